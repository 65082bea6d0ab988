#include "protocol/debug_commands.h"

#include <algorithm>
#include <climits>

#include "base/output.h"
#include "board/fen.h"
#include "eval/evaluate.h"
#include "search/engine.h"
#include "search/game.h"
#include "tools/perft.h"

namespace talvik {

DebugCommand debugCommandOf(const LineTokenizer& tokens) {
  struct Word {
    const char* text;
    DebugCommand command;
  };
  static constexpr Word Words[] = {
      {"printBoard", DebugCommand::PrintBoard}, {"eval", DebugCommand::Eval},
      {"printHashKey", DebugCommand::PrintHashKey}, {"printFEN", DebugCommand::PrintFen},
      {"perftd", DebugCommand::PerftDetailed}, {"perft", DebugCommand::Perft},
      {"divide", DebugCommand::Divide},
  };
  for (const Word& word : Words)
    if (tokens.tokenBeginsWith(word.text)) return word.command;
  return DebugCommand::None;
}

void runDebugCommand(Engine& engine, DebugCommand command, LineTokenizer& tokens) {
  switch (command) {
    case DebugCommand::PrintBoard:
      printBoard(engine.board);
      return;
    case DebugCommand::Eval: {
      // The main thread's pawn table: no search runs while this does.
      PawnHashTable& pawnHash = engine.pool.mainThread->pawnHash;
      const int score = evaluateLazy(engine.evalContext, engine.board, pawnHash, -32000, 32000);
      sendLine("eval = %.2f", score / 100.0);
      return;
    }
    case DebugCommand::PrintHashKey:
      sendLine("%llx", static_cast<unsigned long long>(engine.board.hashKey));
      return;
    case DebugCommand::PrintFen:
      sendText(gameFen(engine));
      return;
    default:
      break;
  }
  if (!tokens.nextToken()) return;
  const int depth = static_cast<int>(std::clamp<long long>(tokens.tokenInt(), INT_MIN, INT_MAX));
  if (command == DebugCommand::PerftDetailed) runPerftDetailed(engine, depth);
  else if (command == DebugCommand::Perft) runPerft(engine, depth);
  else if (command == DebugCommand::Divide) runDivide(engine, depth);
}

}  // namespace talvik
