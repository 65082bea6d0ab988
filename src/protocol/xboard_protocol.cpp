#include "protocol/xboard_protocol.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>
#include <vector>

#include "base/build_info.h"
#include "base/logger.h"
#include "base/output.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "book/opening_book.h"
#include "protocol/configured_settings.h"
#include "protocol/debug_commands.h"
#include "protocol/frontend.h"
#include "protocol/new_game.h"
#include "protocol/xboard_clock.h"
#include "protocol/xboard_options.h"
#include "search/engine.h"
#include "search/game.h"
#include "search/strength.h"
#include "search/table_probes.h"
#include "search/time_control.h"

namespace talvik {

namespace {

constexpr int MovesPerControlAtStart = 40;
// Option values are cut to this many characters.
constexpr std::size_t MaxOptionText = 255;
// Table paths may list several long folder names.
constexpr std::size_t MaxTablePathText = 2047;
// A received move is kept with at most this many characters.
constexpr std::size_t MaxMoveText = 16;

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

// XBoard sends moves without a command word: four coordinate characters (and
// a promotion letter), or castling as O-O / O-O-O.
bool isMoveText(std::string_view token) {
  if (token == "O-O" || token == "O-O-O") return true;
  return token.size() >= 4 && isFile(token[0]) && isRank(token[1]) && isFile(token[2]) && isRank(token[3]);
}

// Whether the GUI's move is the reply the engine ponders on.
bool isExpectedMove(const std::string& text, Move expected, bool chess960) {
  if (text == "O-O" || text == "O-O-O")
    return isCastle(expected) && (moveTo(expected) > moveFrom(expected)) == (text.size() == 3);
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == moveToCoordinate(expected, chess960);
}

bool hasLegalMove(const Board& board) {
  MoveList list;
  return generateLegal(board, list.entries, sideToMoveInCheck(board)) > 0;
}

bool isLegalMove(const Board& board, Move move) {
  MoveList list;
  const int count = generateLegal(board, list.entries, sideToMoveInCheck(board));
  for (int i = 0; i < count; ++i)
    if (list.entries[i].move == move) return true;
  return false;
}

// XBoard shows 100000 + N as a mate in N moves, and -100000 - N as being
// mated in N; other scores are centipawns.
int xboardScore(int score) {
  if (score > MateThreshold) return 100000 + (MateScore - score) / 2 + 1;
  if (score < -MateThreshold) return -100000 - (MateScore + score) / 2;
  return score;
}

int tokenNumber(const LineTokenizer& tokens) {
  return static_cast<int>(std::clamp<long long>(tokens.tokenInt(), INT_MIN, INT_MAX));
}

// The argument of a clock or limit command. One that is not a number is
// refused, and the clock or limit stays as it was: read as 0 it would make
// the engine move at once.
bool numberFollows(LineTokenizer& tokens) {
  const std::string_view command = tokens.token();
  if (!tokens.nextToken()) return false;
  if (tokens.tokenIsNumber()) return true;
  const std::string_view text = tokens.token();
  sendLine("Error (bad number): %.*s %.*s", static_cast<int>(command.size()), command.data(),
           static_cast<int>(text.size()), text.data());
  return false;
}

}  // namespace

// -- the report sink ---------------------------------------------------------

void XboardReportSink::reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth,
                                      std::uint64_t nodes, std::uint64_t elapsedUs) {
  (void)depth, (void)selDepth, (void)nodes, (void)elapsedUs;
  protocol_.searchReported(kind, best, ponder);
}

void XboardReportSink::reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                                std::uint64_t elapsedUs, int selDepth, int bound) {
  (void)line, (void)selDepth, (void)bound;
  if (line <= 1) {
    lastDepth_ = depth;
    lastPvFirst_ = length > 0 ? moves[0] : NoMove;
    lastPvSecond_ = length > 1 ? moves[1] : NoMove;
  }
  if (!protocol_.post_) return;
  // Depth, score in centipawns (a mate as 100000 + N moves), time in
  // centiseconds, nodes, the line.
  const std::string pv = movesToText(moves, length, engine_->chess960 != 0);
  sendLine("%d %d %llu %llu %s", depth, xboardScore(score), static_cast<unsigned long long>(elapsedUs / 10000),
           static_cast<unsigned long long>(nodes), pv.c_str());
}

void XboardReportSink::reportCurrentMove(Move move, int number) {
  currentMove_ = move;
  currentMoveNumber_ = number;
}

void XboardReportSink::reportDepth(int depth) {
  (void)depth;
  currentMove_ = NoMove;  // a new iteration starts with its first move
  currentMoveNumber_ = 0;
}

void XboardReportSink::newSearch() {
  lastDepth_ = 0;
  lastPvFirst_ = NoMove;
  lastPvSecond_ = NoMove;
  currentMove_ = NoMove;
  currentMoveNumber_ = 0;
}

bool XboardReportSink::inputWaiting() { return talvik::inputWaiting(); }
void XboardReportSink::pollInput() { readLine(*engine_); }
void XboardReportSink::reportMessage(const char* text) { sendLine("%s", text); }

void XboardReportSink::reportSearchStart() {
  SearchTracker::Lock lock(protocol_.tracker_.mutex());
  newSearch();
  protocol_.tracker_.started();
}

// -- set-up ------------------------------------------------------------------

void XboardProtocol::start() {
  Engine& engine = *engine_;
  EngineSettings& s = engine.settings;
  engine.reportSink = &sink_;
  engine.initialise(s.hashMb);
  resetGame();
  openConfiguredBook(engine);
  openConfiguredTables(engine);
  loadConfiguredPersonality(engine);
  if (s.useStrength != 0) setStrength(engine, s.strengthElo);
  startConfiguredThreads(engine);
  drawScore = s.drawScore;
  forceMode_ = false;
}

void XboardProtocol::resetGame() {
  Engine& engine = *engine_;
  resetForNewGame(engine);
  engine.movesUntilControl = MovesPerControlAtStart;
  engine.movesPerControl = MovesPerControlAtStart;
  engine.movesToGo = MovesPerControlAtStart;
  engine.infinitePending = 0;
  plyCount_ = 0;
  goSeen_ = false;
}

void XboardProtocol::sendFeatures() {
  sendLine("feature myname=\"%s %s %s\"", ProgramName, ProgramVersion, wordSizeText().c_str());
  sendText("feature setboard=1");
  sendText("feature analyze=1");
  sendText("feature ping=1");
  sendText("feature draw=0");
  sendText("feature sigint=0");
  sendText("feature sigterm=0");
  sendText("feature colors=0");
  sendText("feature smp=1");
  sendText("feature variants=\"normal,fischerandom\"");
  sendText("feature option=\"Clear Hash -button\"");
  sendLine("feature option=\"Book -file %s\"", engine_->settings.bookFile.c_str());
  sendLine("feature option=\"Move Overhead -spin %d 0 %d\"", engine_->settings.moveOverheadMs, MaxMoveOverheadMs);
  sendXboardOptionFeatures(*engine_);
  sendText("feature memory=1");
  sendText("feature egt=\"syzygy\"");
  sendText("feature done=1");
}

// -- commands ----------------------------------------------------------------

bool XboardProtocol::handleLine(LineTokenizer& tokens) {
  Engine& engine = *engine_;
  if (isMoveText(tokens.token())) {
    receivedMove(tokens);
  } else if (tokens.tokenBeginsWith("time") || tokens.tokenBeginsWith("otim")) {
    const bool own = tokens.tokenBeginsWith("time");
    if (numberFollows(tokens)) {
      Lock lock(tracker_.mutex());
      (own ? ownClockMs_ : otherClockMs_) = static_cast<float>(static_cast<double>(tokens.tokenInt()) * 10.0);
    }
  } else if (tokens.tokenBeginsWith("go")) {
    go(tokens);
  } else if (tokens.tokenBeginsWith("quit")) {
    Lock lock(tracker_.mutex());
    engine.ponderEnabled = 0;
    engine.pondering = 0;
    engine.ponderOption = 0;
    tracker_.abort();
    return false;
  } else if (tokens.tokenBeginsWith("undo")) {
    if (settle(tokens, true)) takeBack(1, tokens);
  } else if (tokens.tokenBeginsWith("remove")) {
    // The user retracts their last move and the engine's reply to it.
    if (settle(tokens, true)) takeBack(2, tokens);
  } else if (tokens.tokenBeginsWith("force")) {
    // An engine in force mode neither thinks nor ponders.
    Lock lock(tracker_.mutex());
    forceMode_ = true;
    if (!analyzing_) tracker_.abort();
  } else if (tokens.tokenBeginsWith("result")) {
    Lock lock(tracker_.mutex());
    tracker_.abort();
  } else if (tokens.tokenBeginsWith("analyze")) {
    if (settle(tokens, true)) analyze(tokens);
  } else if (tokens.tokenBeginsWith("exit")) {
    if (settle(tokens, true)) leaveAnalysis();
  } else if (tokens.tokenBeginsWith("setboard")) {
    if (settle(tokens, true)) {
      // A refused position is said; the game (and an analysis of it) goes on.
      if (!setPositionFromFen(engine, tokens.rest())) sendText("tellusererror Illegal position");
      if (analyzing_) analyze(tokens);
    }
  } else if (tokens.tokenBeginsWith("?")) {
    Lock lock(tracker_.mutex());
    tracker_.stop();
  } else if (tokens.tokenBeginsWith("new")) {
    newGame(tokens);
  } else if (tokens.tokenBeginsWith("easy")) {
    Lock lock(tracker_.mutex());
    tracker_.stop();
    engine.ponderOption = 0;
    engine.lastPonderMove = NoMove;
  } else if (tokens.tokenBeginsWith("hint")) {
    hint();
  } else if (tokens.tokenBeginsWith("hard")) {
    engine.ponderEnabled = 1;
    engine.ponderOption = 1;
  } else if (tokens.tokenBeginsWith("post") || tokens.tokenBeginsWith("nopost")) {
    post_ = tokens.tokenBeginsWith("post") ? 1 : 0;
    postChosen_ = true;
  } else if (tokens.tokenBeginsWith("accepted") || tokens.tokenBeginsWith("refused")) {
    // nothing to do
  } else if (tokens.tokenBeginsWith("protover")) {
    if (tokens.nextToken()) {
      protover_ = tokenNumber(tokens);
      // Version 1 GUIs read thinking lines as moves: they get them only after
      // "post". From version 2 on, thinking is shown unless switched off.
      if (protover_ >= 2 && !postChosen_) post_ = 1;
      sendFeatures();
    }
  } else if (tokens.tokenBeginsWith("ping")) {
    if (tokens.nextToken()) {
      // A search told to stop says its last words before the pong.
      Lock lock(tracker_.mutex());
      tracker_.awaitStopped(lock);
      tracker_.awaitDeferred(lock);
      sendLine("pong %d", tokenNumber(tokens));
    }
  } else if (tokens.tokenBeginsWith("st")) {
    // Limits and settings never end a search: they wait for its end.
    if (tracker_.runsNow(tokens.line()) && numberFollows(tokens)) {
      setXboardMoveTime(engine, tokens.tokenInt());
      timeControlGiven();
    }
  } else if (tokens.tokenBeginsWith("sd")) {
    if (tracker_.runsNow(tokens.line()) && numberFollows(tokens)) setDepth(tokens.tokenInt());
  } else if (tokens.tokenBeginsWith("level")) {
    if (tracker_.runsNow(tokens.line()) && setXboardLevel(engine, tokens.rest())) {
      ownClockMs_ = otherClockMs_ = std::nullopt;
      timeControlGiven();
    }
  } else if (tokens.tokenBeginsWith(".")) {
    analysisStatus();
  } else if (tokens.tokenBeginsWith("cores")) {
    if (tracker_.runsNow(tokens.line()) && tokens.nextToken()) {
      const int cores = tokenNumber(tokens);
      logInfo("Using %d threads", cores);
      engine.pool.setThreadCount(cores);  // clamped to 1..64 there
    }
  } else if (tokens.tokenBeginsWith("#") || tokens.tokenBeginsWith("computer")) {
    // nothing to do
  } else if (const DebugCommand command = debugCommandOf(tokens); command != DebugCommand::None) {
    if (tracker_.runsNow(tokens.line())) runDebugCommand(engine, command, tokens);
  } else if (tokens.tokenBeginsWith("option")) {
    if (tracker_.runsNow(tokens.line())) setOption(tokens.rest());
  } else if (tokens.tokenBeginsWith("egtpath")) {
    if (tracker_.runsNow(tokens.line())) setTablePath(tokens);
  } else if (tokens.tokenBeginsWith("memory")) {
    // A new table size waits for the end of the search, as other settings do.
    if (tracker_.runsNow(tokens.line()) && tokens.nextToken()) setXboardMemory(engine, tokens.token());
  } else if (tokens.tokenBeginsWith("variant")) {
    // Chess960 castling travels as king takes rook.
    if (settle(tokens, true) && tokens.nextToken()) engine.chess960 = tokens.token() == "fischerandom" ? 1 : 0;
  }
  return true;
}

void XboardProtocol::setBookFile(std::string_view name) {
  // The file name is the rest of the line, so that names with blanks work.
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  EngineSettings& s = engine_->settings;
  s.bookFile = std::string(name.substr(0, MaxOptionText));
  // As the UCI option: a new file is opened when the book is on.
  if (s.book == 1) loadBook(*engine_, s.bookFile);
}

bool XboardProtocol::settle(const LineTokenizer& tokens, bool abort) {
  Lock lock(tracker_.mutex());
  // An analysis never answers with a move.
  return tracker_.settle(lock, abort || analyzing_, tokens.line());
}

void XboardProtocol::searchEnded() { tracker_.runDeferred(); }

void XboardProtocol::takeBack(int plies, LineTokenizer& tokens) {
  Engine& engine = *engine_;
  for (int i = 0; i < plies && engine.takeBack(); ++i) plyCount_ = std::max(plyCount_ - 1, 0);
  // The expected reply belonged to the position taken back.
  engine.lastPonderMove = NoMove;
  engine.goPonder = 0;
  if (analyzing_) analyze(tokens);
}

void XboardProtocol::timeControlGiven() {
  timeControlGiven_ = true;
  // A depth limit set before still applies, together with the clock.
  engine_->depthCap = depthLimit_;
}

void XboardProtocol::setDepth(long long depth) {
  Engine& engine = *engine_;
  depthLimit_ = static_cast<int>(std::clamp<long long>(depth, 1, MaxPly));
  if (!timeControlGiven_) {
    setXboardDepth(engine, depth);
    return;
  }
  // xboard sends "sd" with its time control: the depth caps the timed search.
  engine.depthLimit = depthLimit_;
  engine.depthCap = depthLimit_;
}

void XboardProtocol::setOption(std::string_view text) {
  // "option NAME" for a button, "option NAME=VALUE" otherwise.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const std::size_t equals = text.find('=');
  std::string_view name = text.substr(0, equals);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const std::string_view value = equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
  if (name == "Clear Hash") {
    engine_->transTable.clear();
  } else if (name == "Book" && equals != std::string_view::npos) {
    setBookFile(value);
  } else if (name == "Move Overhead") {
    LineTokenizer number(value);
    if (number.nextToken() && number.tokenIsNumber())
      engine_->settings.moveOverheadMs = static_cast<int>(std::clamp<long long>(number.tokenInt(), 0, MaxMoveOverheadMs));
    else
      logMessage(LogWarning, "option Move Overhead : '%.*s' is not a number, the value is kept",
                 static_cast<int>(value.size()), value.data());
  } else if (!applyXboardOption(*engine_, name, value)) {
    logMessage(LogWarning, "unknown option %.*s", static_cast<int>(name.size()), name.data());
  }
}

void XboardProtocol::setTablePath(LineTokenizer& tokens) {
  // "egtpath syzygy PATH": the path is the rest of the line. Other kinds of
  // tables are not read.
  if (!tokens.nextToken()) return;
  if (tokens.token() != "syzygy") {
    logInfo("egtpath: no tables of the kind \"%s\"", std::string(tokens.token().substr(0, MaxOptionText)).c_str());
    return;
  }
  std::string_view path = tokens.nextToken() ? tokens.line().substr(tokens.tokenStart()) : std::string_view();
  while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
  useTablePath(*engine_, std::string(path.substr(0, MaxTablePathText)));
}

void XboardProtocol::hint() {
  Engine& engine = *engine_;
  Lock lock(tracker_.mutex());
  Move hint = NoMove;
  if (tracker_.pending() && engine.goPonder) {
    hint = engine.lastPonderMove;  // pondered on, already on the board
  } else if (!tracker_.pending() || analyzing_) {
    // The board does not change under an analysis or without a search.
    for (const Move candidate : {engine.lastPonderMove.load(), sink_.lastPvSecond()})
      if (candidate != NoMove && isLegalMove(engine.board, candidate)) {
        hint = candidate;
        break;
      }
  }
  if (hint != NoMove) sendLine("Hint: %s", moveToCoordinate(hint, engine.chess960 != 0).c_str());
}

void XboardProtocol::analysisStatus() {
  Engine& engine = *engine_;
  Lock lock(tracker_.mutex());
  if (!analyzing_) return;
  // Elapsed time in centiseconds, nodes, depth, root moves left and in all,
  // the move being searched (the best so far before the first report of one).
  MoveList list;
  const int total = generateLegal(engine.board, list.entries, sideToMoveInCheck(engine.board));
  const bool running = tracker_.phase() == SearchTracker::Phase::Running;  // its start time is set
  const int number = std::clamp(sink_.currentMoveNumber(), 0, total);
  const Move current = sink_.currentMove() != NoMove ? sink_.currentMove() : sink_.lastPvFirst();
  sendLine("stat01: %llu %llu %d %d %d %s", static_cast<unsigned long long>(running ? elapsedUs(engine) / 10000 : 0),
           static_cast<unsigned long long>(engine.pool.totalNodes()), sink_.lastDepth(), total - number, total,
           moveToCoordinate(current, engine.chess960 != 0).c_str());
}

void XboardProtocol::go(LineTokenizer& tokens) {
  if (!settle(tokens, true)) return;
  Engine& engine = *engine_;
  leaveAnalysis();
  if (!goSeen_) {
    // The first "go" of a game: the moves already played count against
    // the time control, which may have been passed several times.
    goSeen_ = true;
    const int perControl = engine.movesPerControl;
    int left = engine.movesUntilControl;
    if (left != 0) {
      left -= plyCount_ / 2;
      if (left <= 0 && perControl > 0) left = ((left - 1) % perControl + perControl) % perControl + 1;
      engine.movesUntilControl = left;
      engine.movesToGo = left;
    }
  }
  forceMode_ = false;
  launch(0, false);
}

void XboardProtocol::newGame(LineTokenizer& tokens) {
  Engine& engine = *engine_;
  // The reset must come before any later command (a "level" right after
  // "new" belongs to the new game), so a running search is waited for. It
  // is aborted while still pondering, so that it takes its predicted move
  // back.
  if (!settle(tokens, true)) return;
  engine.ponderOption = 0;
  engine.ponderEnabled = 0;
  engine.pondering = 0;
  engine.lastPonderMove = NoMove;
  analyzing_ = false;
  ownClockMs_ = otherClockMs_ = std::nullopt;
  timeControlGiven_ = false;
  depthLimit_ = 0;
  resetGame();
  engine.chess960 = 0;
  forceMode_ = false;
}

void XboardProtocol::analyze(LineTokenizer& tokens) {
  (void)tokens;
  Engine& engine = *engine_;
  if (!analyzing_) {
    limitModeBeforeAnalysis_ = engine.limitMode;
    depthCapBeforeAnalysis_ = engine.depthCap;
  }
  analyzing_ = true;
  engine.depthCap = 0;
  engine.infinitePending = 1;
  engine.limitMode = LimitInfinite;
  launch(0, false);
}

void XboardProtocol::leaveAnalysis() {
  if (!analyzing_) return;
  analyzing_ = false;
  engine_->limitMode = limitModeBeforeAnalysis_;
  engine_->depthCap = depthCapBeforeAnalysis_;
  engine_->infinitePending = 0;
}

void XboardProtocol::launch(int mode, bool lockHeld) {
  Lock lock(tracker_.mutex(), std::defer_lock);
  if (!lockHeld) lock.lock();
  // "time" is the engine's clock, "otim" the opponent's, whichever colour
  // the engine plays now; the engine searches for the side to move (in a
  // ponder search too, with the predicted move on the board).
  Engine& engine = *engine_;
  const int side = static_cast<int>(engine.board.sideToMove);
  if (ownClockMs_) engine.clockMs[side] = *ownClockMs_;
  if (otherClockMs_) engine.clockMs[side ^ 1] = *otherClockMs_;
  // The moves left to the control, for a reply and a ponder search alike.
  if (!analyzing_) engine.movesToGo = engine.movesUntilControl;
  searchGameLength_ = engine.gameMoves.size();
  tracker_.requested(mode != 0);
  if (lock.owns_lock()) lock.unlock();
  startSearch(engine, mode);
}

void XboardProtocol::receivedMove(LineTokenizer& tokens) {
  Engine& engine = *engine_;
  const std::string text = tokens.tokenCopy(MaxMoveText + 1);
  {
    Lock lock(tracker_.mutex());
    if (engine.ponderOption && engine.goPonder && engine.lastPonderMove != NoMove && tracker_.pending()) {
      // The engine ponders on its expected reply, already on the board. The
      // move is kept in case the ponder search reports without using it.
      ++plyCount_;
      pendingMove_ = text;
      if (isExpectedMove(text, engine.lastPonderMove, engine.chess960 != 0)) {
        engine.goPonder = 0;
        // The clock and moves to go are those of this move, not those the
        // ponder search began with.
        tracker_.endPondering(ownClockMs_, engine.movesUntilControl);
      } else {
        tracker_.stop();
      }
      return;
    }
  }
  if (!settle(tokens, true)) return;
  ++plyCount_;
  engine.goPonder = 0;
  playAndReply(text, false);
}

void XboardProtocol::playAndReply(const std::string& moveText, bool insideReport) {
  Engine& engine = *engine_;
  if (!playMoveText(engine, moveText)) return;  // reported as illegal; nothing changed
  if (!hasLegalMove(engine.board)) return;      // mate or stalemate: the game is over
  if (analyzing_) {
    engine.infinitePending = 1;
    engine.limitMode = LimitInfinite;
  } else if (forceMode_) {
    return;
  }
  // From the report, the search asked for runs after the current one.
  launch(0, insideReport);
}

bool XboardProtocol::opponentMoveMissing(const std::string& moveText) const {
  // After a ponder hit the predicted move stays on the board, unless the
  // ponder search had ended on its own just before and took it back.
  return !moveText.empty() && engine_->gameMoves.size() < searchGameLength_;
}

// -- answers -----------------------------------------------------------------

void XboardProtocol::searchReported(int kind, Move best, Move ponder) {
  Engine& engine = *engine_;
  Lock lock(tracker_.mutex());
  const std::string pending = std::exchange(pendingMove_, std::string());
  const bool aborted = kind == StopAbort || tracker_.abortRequested() || engine.newGamePending;
  tracker_.reported(false);

  if (aborted) {
    // A search that ended on its own just before the abort reached it has
    // played its move on the board, which the GUI never hears of.
    if (engine.gameMoves.size() > searchGameLength_) engine.takeBack();
    // The opponent's move that arrived meanwhile is part of the game all the
    // same (a later "undo" or move refers to it); only the reply is dropped.
    if (opponentMoveMissing(pending)) playMoveText(engine, pending);
    engine.goPonder = 0;
    if (engine.newGamePending) {
      engine.newGamePending = 0;
      resetGame();
    }
    engine.infinitePending = 0;
    return;
  }
  if (kind == StopPonder || kind == StopPonderDone) {
    // The ponder search has taken its predicted move back; the opponent's
    // actual move, if it came meanwhile, is played now.
    engine.goPonder = 0;
    if (opponentMoveMissing(pending)) playAndReply(pending, true);
    return;
  }
  if (analyzing_ || engine.testSuiteActive || best == NoMove) return;

  sendLine("move %s", moveToCoordinate(best, engine.chess960 != 0).c_str());
  engine.lastPonderMove = ponder;
  if (kind == StopNormal && engine.movesPerControl != 0) {
    if (engine.movesUntilControl <= 1) engine.movesUntilControl = engine.movesPerControl.load();
    else engine.movesUntilControl = engine.movesUntilControl - 1;
  }
  if (engine.ponderOption) {
    engine.goPonder = 0;
    if (ponder != NoMove) startPondering(ponder);
  }
}

void XboardProtocol::startPondering(Move expected) {
  Engine& engine = *engine_;
  sendLine("Hint: %s", moveToCoordinate(expected, engine.chess960 != 0).c_str());
  if (!isLegalMove(engine.board, expected)) return;
  engine.playMove(expected);
  engine.goPonder = 1;
  launch(1, true);
}

}  // namespace talvik
