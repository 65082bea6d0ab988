#include "book/polyglot_move.h"

#include "board/movegen.h"

namespace talvik {

namespace {

constexpr int ToShift = 0, FromShift = 6, PromotionShift = 12;
// The format numbers promotions knight 1 .. queen 4; Talvik's types are one higher.
constexpr int PromotionOffset = Knight - 1;

}  // namespace

std::uint16_t toPolyglotMove(Move move) {
  const int promotion = movePromotion(move);
  return static_cast<std::uint16_t>(moveTo(move) << ToShift | moveFrom(move) << FromShift |
                                    (promotion ? promotion - PromotionOffset : 0) << PromotionShift);
}

Move fromPolyglotMove(const Board& board, std::uint16_t move) {
  const Square to = (move >> ToShift) & 63, from = (move >> FromShift) & 63;
  const int code = move >> PromotionShift;  // bit 15 is never set in a valid move
  if (code > Queen - PromotionOffset) return NoMove;
  const int promotion = code ? code + PromotionOffset : NoPiece;
  MoveList legal;
  const int count = generateLegal(board, legal.entries, sideToMoveInCheck(board));
  for (int i = 0; i < count; ++i) {
    const Move m = legal.entries[i].move;
    if (moveFrom(m) == from && moveTo(m) == to && movePromotion(m) == promotion) return m;
  }
  return NoMove;
}

}  // namespace talvik
