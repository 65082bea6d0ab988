#include "search/move_picker.h"

#include "board/movegen.h"
#include "board/see.h"
#include "search/thread_pool.h"

namespace talvik {

namespace {

bool isCaptureOrQueenPromotion(Move move) { return isCapture(move) || movePromotion(move) == Queen; }

int quietScore(const MovePicker& picker, int side, Move move) {
  return QuietScoreBase + (*picker.history)[historyIndex(side, movePiece(move))][moveTo(move)];
}

void scoreCaptures(MoveEntry* entries, int count) {
  for (int i = 0; i < count; ++i) {
    const Move m = entries[i].move;
    entries[i].score = isCaptureOrQueenPromotion(m) ? captureScore(m) : QuietScoreBase;
  }
}

void scoreEvasions(const MovePicker& picker, int side, MoveEntry* entries, int count) {
  for (int i = 0; i < count; ++i) {
    const Move m = entries[i].move;
    if (isCaptureOrQueenPromotion(m))
      entries[i].score = captureScore(m);
    else if (m == picker.killer1)
      entries[i].score = FirstKillerScore;
    else if (m == picker.killer2)
      entries[i].score = SecondKillerScore;
    else
      entries[i].score = quietScore(picker, side, m);
  }
}

// A capture that gives up more than it wins: a less valuable victim and an
// exchange that loses material. Such captures wait until the quiet moves.
bool isLosingCapture(const Board& board, Move move) {
  return pieceValue[moveCaptured(move)] < pieceValue[movePiece(move)] && staticExchange(board, move) < 0;
}

// The next list entry not handed out before: never the hash move, and in the
// quiet stage neither the killers nor the counter move. NoMove at the end.
Move takeListed(MovePicker& p, bool skipRefutations) {
  while (p.index < p.listCount) {
    const Move m = p.moveList[p.index++].move;
    if (m == p.hashMove) continue;
    if (skipRefutations && (m == p.killer1 || m == p.killer2 || m == p.counterMove)) continue;
    return m;
  }
  return NoMove;
}

}  // namespace

void sortByScore(MoveEntry* entries, int count) {
  for (int i = 1; i < count; ++i) {
    const MoveEntry entry = entries[i];
    int j = i;
    for (; j > 0 && entries[j - 1].score < entry.score; --j) entries[j] = entries[j - 1];
    entries[j] = entry;
  }
}

void initPicker(MovePicker& picker, bool inCheck, Move hashMove, Move killer1, Move killer2, Move counterMove,
                const HistoryTable& history) {
  picker.stage = inCheck ? EvasionHashMoveStage : HashMoveStage;
  picker.index = picker.badCount = picker.listCount = 0;
  picker.hashMove = hashMove;
  picker.killer1 = killer1;
  picker.killer2 = killer2;
  picker.counterMove = counterMove;
  picker.history = &history;
}

int nextMove(MovePicker& p, const Board& board, Move& move) {
  const int side = static_cast<int>(board.sideToMove);
  for (;;) {
    switch (p.stage) {
      case HashMoveStage:
      case EvasionHashMoveStage: {
        const int stage = p.stage;
        p.stage = stage == HashMoveStage ? GenerateCapturesStage : GenerateEvasionsStage;
        if (p.hashMove != NoMove && isPseudoLegal(board, p.hashMove)) {
          move = p.hashMove;
          return stage;
        }
        p.hashMove = NoMove;  // a key collision or a stale entry: forget it
        break;
      }

      case GenerateCapturesStage:
        p.listCount = generateCaptures(board, p.moveList);
        scoreCaptures(p.moveList, p.listCount);
        sortByScore(p.moveList, p.listCount);
        p.index = 0;
        p.stage = GoodCapturesStage;
        break;

      case GoodCapturesStage:
        while (p.index < p.listCount) {
          const Move m = p.moveList[p.index++].move;
          if (m == p.hashMove) continue;
          if (isLosingCapture(board, m)) {
            // The entries before `index` are spent, so the front of the list
            // can hold the losing captures.
            p.moveList[p.badCount++].move = m;
            continue;
          }
          move = m;
          return GoodCapturesStage;
        }
        p.stage = FirstKillerStage;
        break;

      case FirstKillerStage:
        p.stage = SecondKillerStage;
        if (p.killer1 != NoMove && p.killer1 != p.hashMove && isPseudoLegal(board, p.killer1)) {
          move = p.killer1;
          return FirstKillerStage;
        }
        break;

      case SecondKillerStage:
        p.stage = CounterMoveStage;
        if (p.killer2 != NoMove && p.killer2 != p.hashMove && p.killer2 != p.killer1 &&
            isPseudoLegal(board, p.killer2)) {
          move = p.killer2;
          return SecondKillerStage;
        }
        break;

      case CounterMoveStage:
        p.stage = GenerateQuietsStage;
        if (p.counterMove != NoMove && p.counterMove != p.hashMove && p.counterMove != p.killer1 &&
            p.counterMove != p.killer2 && isPseudoLegal(board, p.counterMove)) {
          move = p.counterMove;
          return CounterMoveStage;
        }
        break;

      case GenerateQuietsStage: {
        const int first = p.listCount;
        const int count = generateQuiets(board, p.moveList + first);
        for (int i = first; i < first + count; ++i) p.moveList[i].score = quietScore(p, side, p.moveList[i].move);
        sortByScore(p.moveList + first, count);
        p.index = first;
        p.listCount = first + count;
        p.stage = QuietStage;
        break;
      }

      case QuietStage:
        if ((move = takeListed(p, true)) != NoMove) return QuietStage;
        p.listCount = p.badCount;
        p.index = 0;
        p.stage = LosingCapturesStage;
        break;

      case LosingCapturesStage:
      case EvasionStage: {
        const int stage = p.stage;
        if ((move = takeListed(p, false)) != NoMove) return stage;
        p.stage = PickerDone;
        break;
      }

      case GenerateEvasionsStage:
        p.listCount = generateEvasions(board, p.moveList);
        scoreEvasions(p, side, p.moveList, p.listCount);
        sortByScore(p.moveList, p.listCount);
        p.index = 0;
        p.stage = EvasionStage;
        break;

      default:
        move = NoMove;
        return PickerDone;
    }
  }
}

void rewardQuietCutoff(SearchThread& thread, int side, int ply, int plies, Move move, const Move* triedQuiets,
                       int triedCount, Move opponentLastMove) {
  Move* killers = thread.killers[ply];
  if (killers[0] != move) {
    killers[1] = killers[0];
    killers[0] = move;
  }
  // History stays within 0..31999: a change that would leave the range is dropped.
  const int bonus = plies * plies;
  std::uint16_t& entry = thread.history[historyIndex(side, movePiece(move))][moveTo(move)];
  if (entry + bonus < 32000) entry = static_cast<std::uint16_t>(entry + bonus);
  for (int i = 0; i < triedCount; ++i) {
    const Move tried = triedQuiets[i];
    std::uint16_t& malus = thread.history[historyIndex(side, movePiece(tried))][moveTo(tried)];
    if (malus >= bonus) malus = static_cast<std::uint16_t>(malus - bonus);
  }
  if (opponentLastMove != NoMove) thread.counterMoves[side][moveFrom(opponentLastMove)][moveTo(opponentLastMove)] = move;
}

}  // namespace talvik
