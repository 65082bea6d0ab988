#include "eval/endgames.h"

#include <cstdint>

#include "eval/eval_masks.h"
#include "eval/kpk_bitbase.h"
#include "eval/parameters.h"

namespace talvik {

namespace {

// Drives the lone king to the edge; symmetric in both axes.
constexpr std::int32_t MateEdge[64] = {
    80, 70, 60, 50, 50, 60, 70, 80,  //
    70, 60, 40, 30, 30, 40, 60, 70,  //
    60, 40, 20, 10, 10, 20, 40, 60,  //
    50, 30, 10, 0,  0,  10, 30, 50,  //
    50, 30, 10, 0,  0,  10, 30, 50,  //
    60, 40, 20, 10, 10, 20, 40, 60,  //
    70, 60, 40, 30, 30, 40, 60, 70,  //
    80, 70, 60, 50, 50, 60, 70, 80};

enum class Ending : std::uint8_t { Draw, Mate, KingPawnKing, Scale };

struct EndgameRule {
  std::uint64_t signature;
  Ending ending;
  int value;  // Mate / KingPawnKing: the strong colour; Scale: the factor
};

// Piece letters N, B, R, Q, P of one side as signature units.
constexpr std::uint64_t sideUnits(const char* pieces, int colour) {
  std::uint64_t units = 0;
  for (const char* c = pieces; *c; ++c) {
    const int type = *c == 'P' ? Pawn : *c == 'N' ? Knight : *c == 'B' ? Bishop : *c == 'R' ? Rook : Queen;
    units += materialUnit(type, colour);
  }
  return units;
}
constexpr std::uint64_t signature(const char* white, const char* black) {
  return sideUnits(white, White) + sideUnits(black, Black);
}

// White's pieces, Black's pieces (kings aside); the match is exact.
constexpr EndgameRule Rules[] = {
    // Two knights cannot force mate, and a minor against a minor holds.
    {signature("NN", ""), Ending::Draw, 0},
    {signature("", "NN"), Ending::Draw, 0},
    {signature("N", "N"), Ending::Draw, 0},
    {signature("N", "B"), Ending::Draw, 0},
    {signature("B", "N"), Ending::Draw, 0},
    {signature("B", "B"), Ending::Draw, 0},
    {signature("Q", ""), Ending::Mate, White},
    {signature("", "Q"), Ending::Mate, Black},
    {signature("R", ""), Ending::Mate, White},
    {signature("", "R"), Ending::Mate, Black},
    {signature("P", ""), Ending::KingPawnKing, White},
    {signature("", "P"), Ending::KingPawnKing, Black},
    // Minor-piece endings that are nearly always drawn, however large the
    // nominal edge.
    {signature("NN", "NN"), Ending::Scale, 2},
    {signature("NN", "N"), Ending::Scale, 2},
    {signature("N", "NN"), Ending::Scale, 2},
    {signature("NN", "B"), Ending::Scale, 2},
    {signature("B", "NN"), Ending::Scale, 2},
    {signature("BN", "N"), Ending::Scale, 2},
    {signature("N", "BN"), Ending::Scale, 2},
    {signature("BN", "B"), Ending::Scale, 2},
    {signature("B", "BN"), Ending::Scale, 2},
    {signature("BB", "N"), Ending::Scale, 4},
    {signature("N", "BB"), Ending::Scale, 4},
    {signature("BB", "B"), Ending::Scale, 4},
    {signature("B", "BB"), Ending::Scale, 4},
    {signature("P", "N"), Ending::Scale, 8},
    {signature("N", "P"), Ending::Scale, 8},
    {signature("P", "B"), Ending::Scale, 8},
    {signature("B", "P"), Ending::Scale, 8},
    {signature("R", "N"), Ending::Scale, 8},
    {signature("N", "R"), Ending::Scale, 8},
    {signature("R", "B"), Ending::Scale, 8},
    {signature("B", "R"), Ending::Scale, 8},
};

// Score for `strong` as seen by the side to move.
int forSideToMove(const Board& board, int strong, int value) {
  return static_cast<int>(board.sideToMove) == strong ? value : -value;
}

int scoreMate(const Board& board, int strong, int piece) {
  const Square lone = board.kingSquare[strong ^ 1];
  const int value = pieceValue[piece] + MateEdge[lone] +
                    evalParams.mateDistance[kingDistance(lone, board.kingSquare[strong])];
  return forSideToMove(board, strong, value);
}

int scoreKingPawnKing(const Board& board, int strong) {
  const Square pawn = lowestSquare(board.pieces(Pawn, strong));
  const int strongToMove = static_cast<int>(board.sideToMove) == strong;
  // The table holds a White pawn; a Black one is looked up on the flipped board.
  const int flip = strong == White ? 0 : 56;
  if (!kpkProbe(strongToMove, board.kingSquare[strong] ^ flip, board.kingSquare[strong ^ 1] ^ flip, pawn ^ flip))
    return 0;
  return forSideToMove(board, strong, pieceValue[Pawn] + 8 * relativeRank(strong, pawn));
}

}  // namespace

EndgameVerdict recogniseEndgame(const Board& board) {
  const bool pawnless = !(board.pieces(Pawn, White) | board.pieces(Pawn, Black));
  if (pawnless && board.material[Black] + board.material[White] <= pieceValue[Bishop]) return {true, 0, 32};
  for (const EndgameRule& rule : Rules) {
    if (rule.signature != board.materialSig) continue;
    switch (rule.ending) {
      case Ending::Draw:
        return {true, 0, 32};
      case Ending::Mate:
        return {true, scoreMate(board, rule.value, board.pieces(Queen, rule.value) ? Queen : Rook), 32};
      case Ending::KingPawnKing:
        return {true, scoreKingPawnKing(board, rule.value), 32};
      case Ending::Scale:
        return {false, 0, rule.value};
    }
  }
  return {false, 0, 32};
}

}  // namespace talvik
