#include "protocol/uci_protocol.h"

#include "base/build_info.h"
#include "base/output.h"
#include "board/move_text.h"
#include "protocol/configured_settings.h"
#include "protocol/debug_commands.h"
#include "protocol/frontend.h"
#include "protocol/new_game.h"
#include "protocol/uci_info.h"
#include "protocol/uci_limits.h"
#include "protocol/uci_options.h"
#include "search/engine.h"
#include "search/game.h"
#include "search/strength.h"
#include "tablebase/syzygy_tables.h"

namespace talvik {

namespace {

// The FEN of a "position fen ..." command is cut to this many characters.
constexpr std::size_t MaxFenText = 255;
constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string coordinate(const Engine& engine, Move move) { return moveToCoordinate(move, engine.chess960 != 0); }

}  // namespace

// -- the report sink ---------------------------------------------------------

void UciReportSink::reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                                   std::uint64_t elapsedUs) {
  (void)depth, (void)selDepth, (void)nodes, (void)elapsedUs;
  protocol_.searchReported(kind, best, ponder);
}

void UciReportSink::reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                             std::uint64_t elapsedUs, int selDepth, int bound) {
  const std::string pv = movesToText(moves, length, engine_->chess960 != 0);
  // Table hits are reported while tables are open, counted over all threads.
  const std::int64_t tableHits =
      largestTable() > 0 ? static_cast<std::int64_t>(engine_->pool.totalTableHits()) : -1;
  sendText(uciPvLine(line, depth, selDepth, score, bound, nodes, elapsedUs, engine_->transTable.hashFull(), pv,
                     tableHits));
}

void UciReportSink::reportHashFull(int perMille) { sendLine("info hashfull %d", perMille); }
void UciReportSink::reportDepth(int depth) { sendLine("info depth %d", depth); }
bool UciReportSink::inputWaiting() { return talvik::inputWaiting(); }
void UciReportSink::pollInput() { readLine(*engine_); }

void UciReportSink::reportCurrentMove(Move move, int number) {
  sendLine("info currmove %s currmovenumber %d", coordinate(*engine_, move).c_str(), number);
}

void UciReportSink::reportRootScore(int score) { sendLine("info depth 0 score %d", score); }
void UciReportSink::reportMessage(const char* text) { sendLine("info string %s", text); }

void UciReportSink::reportSearchStart() {
  SearchTracker::Lock lock(protocol_.tracker_.mutex());
  protocol_.tracker_.started();
}

// -- set-up ------------------------------------------------------------------

void UciProtocol::start() {
  Engine& engine = *engine_;
  EngineSettings& s = engine.settings;
  engine.reportSink = &sink_;
  engine.playsBestMove = 0;  // every "position" sets the game
  sendLine("id name %s %s %s", ProgramName, ProgramVersion, wordSizeText().c_str());
  sendLine("id author %s", ProgramAuthor);
  sendUciOptions(engine);
  engine.initialise(s.hashMb);
  loadConfiguredPersonality(engine);
  setStrength(engine, s.useStrength != 0 ? s.strengthElo : MaxStrengthElo);
  resetForNewGame(engine);
  openConfiguredBook(engine);
  openConfiguredTables(engine);
  startConfiguredThreads(engine);
  sendText("uciok");
}

// -- commands ----------------------------------------------------------------

bool UciProtocol::handleLine(LineTokenizer& tokens) {
  Engine& engine = *engine_;
  if (tokens.tokenBeginsWith("go")) {
    go(tokens);
  } else if (tokens.tokenBeginsWith("position")) {
    position(tokens);
  } else if (tokens.tokenBeginsWith("isready")) {
    {
      // A search told to stop answers first, and settings sent during a
      // search that has ended since take effect first.
      SearchTracker::Lock lock(tracker_.mutex());
      tracker_.awaitStopped(lock);
      tracker_.awaitDeferred(lock);
    }
    sendText("readyok");
  } else if (tokens.tokenBeginsWith("ponderhit")) {
    ponderhit();
  } else if (tokens.tokenBeginsWith("setoption")) {
    // A setting never ends a search: it waits for the search's end.
    OptionSetting setting;
    if (tracker_.runsNow(tokens.line()) && parseSetOption(tokens, setting)) applyUciOption(engine, setting);
  } else if (tokens.tokenBeginsWith("quit")) {
    quit();
    return false;
  } else if (tokens.tokenBeginsWith("ucinewgame")) {
    newGame(tokens);
  } else if (tokens.tokenBeginsWith("stop")) {
    stop();
  } else if (tokens.tokenBeginsWith("debug")) {
    // accepted and ignored
  } else if (const DebugCommand command = debugCommandOf(tokens); command != DebugCommand::None) {
    if (tracker_.runsNow(tokens.line())) runDebugCommand(engine, command, tokens);
  }
  return true;
}

bool UciProtocol::settle(const LineTokenizer& tokens) {
  SearchTracker::Lock lock(tracker_.mutex());
  // A GUI that moves on without "stop" or "ponderhit" still gets the
  // answer its "go ponder" or "go infinite" was owed.
  if (tracker_.phase() == SearchTracker::Phase::Held) releaseHeldAnswer();
  return tracker_.settle(lock, false, tokens.line());
}

void UciProtocol::searchEnded() { tracker_.runDeferred(); }

void UciProtocol::go(LineTokenizer& tokens) {
  if (!settle(tokens)) return;
  Engine& engine = *engine_;
  const int mode = applyGoParameters(engine, tokens);
  {
    SearchTracker::Lock lock(tracker_.mutex());
    tracker_.requested(mode != 0);
  }
  startSearch(engine, mode);
}

void UciProtocol::position(LineTokenizer& tokens) {
  if (!settle(tokens)) return;
  Engine& engine = *engine_;
  if (!tokens.nextToken()) return;
  if (tokens.tokenBeginsWith("startpos")) {
    setPositionFromFen(engine, StartFen);
    if (tokens.nextToken() && tokens.token() == "moves") playMoveText(engine, tokens.rest());
    return;
  }
  if (!tokens.tokenBeginsWith("fen")) return;
  const std::string_view line = tokens.line();
  const std::size_t fenStart = tokens.tokenEnd();
  std::size_t fenEnd = line.size();
  bool hasMoves = false;
  while (tokens.nextToken()) {
    if (tokens.token() != "moves") continue;
    fenEnd = tokens.tokenStart();
    hasMoves = true;
    break;
  }
  std::string_view fen = line.substr(fenStart, fenEnd - fenStart);
  while (!fen.empty() && fen.front() == ' ') fen.remove_prefix(1);
  while (!fen.empty() && fen.back() == ' ') fen.remove_suffix(1);
  // A refused position is said, and the engine keeps the one it had.
  const char* problem = nullptr;
  if (!setPositionFromFen(engine, fen.substr(0, MaxFenText), &problem)) {
    sendLine("info string Illegal position: %s", problem);
    return;
  }
  if (hasMoves) playMoveText(engine, tokens.rest());
}

void UciProtocol::ponderhit() {
  SearchTracker::Lock lock(tracker_.mutex());
  if (tracker_.phase() == SearchTracker::Phase::Held) releaseHeldAnswer();
  else tracker_.endPondering();  // nothing to do without a pending search
}

void UciProtocol::stop() {
  SearchTracker::Lock lock(tracker_.mutex());
  // A ponder search that already ended has its answer ready: no new search.
  if (tracker_.phase() == SearchTracker::Phase::Held) releaseHeldAnswer();
  else tracker_.stop();
}

void UciProtocol::quit() {
  SearchTracker::Lock lock(tracker_.mutex());
  quitting_ = true;
  engine_->lastPonderMove = NoMove;
  tracker_.abort();
}

void UciProtocol::newGame(const LineTokenizer& tokens) {
  SearchTracker::Lock lock(tracker_.mutex());
  engine_->lastPonderMove = NoMove;
  // The held answer of the last game's search is still owed.
  if (tracker_.phase() == SearchTracker::Phase::Held) releaseHeldAnswer();
  // A running search is aborted and answers before the reset (in polling
  // mode the command comes back once the search has ended).
  if (!tracker_.settle(lock, true, tokens.line())) return;
  resetForNewGame(*engine_);
}

// -- answers -----------------------------------------------------------------

void UciProtocol::sendBestMove(Move best, Move ponder) {
  const Engine& engine = *engine_;
  if (engine.ponderOption && ponder != NoMove && best != NoMove)
    sendLine("bestmove %s ponder %s", coordinate(engine, best).c_str(), coordinate(engine, ponder).c_str());
  else
    sendLine("bestmove %s", coordinate(engine, best).c_str());
}

void UciProtocol::releaseHeldAnswer() {
  Engine& engine = *engine_;
  if (heldPonder_) {
    engine.goPonder = 1;
  } else {
    engine.infinitePending = 0;
    engine.lastPonderMove = lastPonderMove_;
  }
  sendBestMove(lastBestMove_, lastPonderMove_);
  tracker_.release();
}

void UciProtocol::searchReported(int kind, Move best, Move ponder) {
  Engine& engine = *engine_;
  SearchTracker::Lock lock(tracker_.mutex());
  lastBestMove_ = best;
  lastPonderMove_ = ponder;
  // A search that ended just before an abort reached it counts as aborted.
  if (kind == StopAbort || tracker_.abortRequested() || engine.newGamePending) {
    if (engine.newGamePending) {
      engine.newGamePending = 0;
      resetForNewGame(engine);
    }
    engine.infinitePending = 0;
    // A new game cuts the search short but the GUI still waits for its
    // answer; only "quit" needs none.
    if (!quitting_) sendLine("bestmove %s", coordinate(engine, best).c_str());
    tracker_.reported(false);
    return;
  }
  // A ponder search or an analysis that ended on its own waits for
  // "ponderhit" or "stop", unless one of them has already come.
  const bool endedOnItsOwn = !tracker_.answerRequested();
  if (endedOnItsOwn && (kind == StopPonderDone || engine.infinitePending)) {
    heldPonder_ = kind == StopPonderDone;
    tracker_.reported(true);
    return;
  }
  engine.lastPonderMove = ponder;
  engine.infinitePending = 0;
  sendBestMove(best, ponder);
  tracker_.reported(false);
}

}  // namespace talvik
