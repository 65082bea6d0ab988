#include "search/search_driver.h"

#include "board/movegen.h"
#include "search/engine.h"

namespace talvik {

// Stand-in until the real driver lands: plays the first legal move.
void searchRoot(Engine& engine, bool ponder) {
  (void)ponder;
  engine.searching = 1;
  engine.stopRequest = StopNone;
  MoveList list;
  const int count = generateLegal(engine.board, list.entries, sideToMoveInCheck(engine.board));
  const Move best = count > 0 ? list.entries[0].move : NoMove;
  if (best != NoMove && engine.limitMode != LimitInfinite) engine.playMove(best);
  engine.stopRequest = StopNormal;
  engine.searching = 0;
  engine.reportSink->reportBestMove(StopNormal, best, NoMove, 1, 0, 0, 0);
}

}  // namespace talvik
