// Move ordering: the picker hands out a node's moves one at a time in stages
// (hash move, good captures, killers, counter move, quiet moves by history,
// losing captures; a separate order in check), generating quiet moves only
// when nothing earlier cut the node off.
#pragma once

#include <array>
#include <cstdint>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// Capture ordering, [captured type][moving type]: the most valuable victim
// first and, among equal victims, the least valuable attacker. Rows and
// columns 0 and 7 (no piece) are 0.
inline constexpr std::array<std::array<int, 8>, 8> mvvLva = [] {
  constexpr int victim[8] = {0, 64, 192, 192, 320, 576, 2048, 0};
  constexpr int attacker[8] = {0, 1, 3, 3, 5, 9, 32, 0};
  std::array<std::array<int, 8>, 8> table{};
  for (int captured = Pawn; captured <= King; ++captured)
    for (int mover = Pawn; mover <= King; ++mover) table[captured][mover] = victim[captured] - attacker[mover];
  return table;
}();

// Ordering scores.
inline constexpr int CaptureScoreBase = 50000;  // + mvvLva: captures and queen promotions
inline constexpr int FirstKillerScore = 45010;  // evasion order only
inline constexpr int SecondKillerScore = 45000;
inline constexpr int QuietScoreBase = 4000;     // + history

// Stages. nextMove returns the stage a move came from; the search treats
// moves of QuietStage as candidates for reductions and pruning.
enum PickerStage : int {
  PickerDone = 0,
  HashMoveStage = 1,
  GenerateCapturesStage = 2,
  GoodCapturesStage = 3,
  FirstKillerStage = 4,
  SecondKillerStage = 5,
  CounterMoveStage = 6,
  GenerateQuietsStage = 7,
  QuietStage = 8,
  LosingCapturesStage = 9,
  EvasionHashMoveStage = 10,
  GenerateEvasionsStage = 11,
  EvasionStage = 12,
};

using HistoryTable = std::uint16_t[16][64];  // [colour * 8 + piece type][to square]

inline int historyIndex(int colour, int piece) { return colour * 8 + piece; }

struct MovePicker {
  int stage = PickerDone;
  int index = 0;     // next entry to hand out
  int badCount = 0;  // losing captures, kept at the front of the list
  Move hashMove = NoMove;
  Move killer1 = NoMove;
  Move killer2 = NoMove;
  Move counterMove = NoMove;
  int listCount = 0;
  const HistoryTable* history = nullptr;
  MoveEntry moveList[MaxMoves];
};

// Starts the normal order, or the evasion order when the side to move is in
// check. The hash move, killers and counter move may be any move words: each
// is handed out only when it is pseudo-legal in the position.
void initPicker(MovePicker& picker, bool inCheck, Move hashMove, Move killer1, Move killer2, Move counterMove,
                const HistoryTable& history);
// The next move (pseudo-legal; the caller tests legality) and its stage, or
// PickerDone when no move is left.
int nextMove(MovePicker& picker, const Board& board, Move& move);

// Stable insertion sort by score, highest first.
void sortByScore(MoveEntry* entries, int count);

// Ordering score of a capture or queen promotion.
inline int captureScore(Move move) { return CaptureScoreBase + mvvLva[moveCaptured(move)][movePiece(move)]; }

class SearchThread;

// Bookkeeping after a move without capture or promotion cut a node off (not
// in check): it becomes the ply's first killer, its history entry gains
// plies², every quiet move tried before it at the node loses plies², and it
// becomes the counter move to the opponent's last move (none at the root or
// after a null move).
void rewardQuietCutoff(SearchThread& thread, int side, int ply, int plies, Move move, const Move* triedQuiets,
                       int triedCount, Move opponentLastMove);

}  // namespace talvik
