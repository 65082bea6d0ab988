// The one central object: the game the engine plays, its history, the tables
// and threads of the search, the limits set by the protocols and the flags
// through which a running search is stopped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "board/move.h"
#include "book/book_entry.h"
#include "book/polyglot_file.h"
#include "eval/personality.h"
#include "search/relaxed.h"
#include "search/report_sink.h"
#include "search/thread_pool.h"
#include "search/time_control.h"
#include "search/transposition_table.h"

namespace talvik {

struct PvLine {
  std::int32_t previousScore;
  std::int32_t score;
  std::int32_t depth;  // plies
  std::int32_t length;
  Move moves[128];
};

// Values read from talvik.ini (or their presets). They are the working
// settings and the defaults the UCI protocol announces for its options.
struct EngineSettings {
  int hashMb = 32;
  int book = 0;
  std::string bookFile = "talvikbook-20.bin";
  int bookSelectivity = 100;
  int useStrength = 0;
  int strengthElo = 3200;
  int uciLimitMode = 0;
  int maxThreads = 1;
  int minSplitDepth = 4;
  int usePersonality = 0;
  bool usePersonalityIsOne = false;
  std::string personalityFile;
  int logLevel = 0;
  int logFormat = 0;
  int logPid = 0;
  int useNullMovePruning = 1;
  int useLMR = 1;
  int drawScore = 0;
  // Milliseconds kept off every time budget for the GUI's and the pipe's
  // delays (option "Move Overhead"; the working value).
  int moveOverheadMs = DefaultMoveOverheadMs;
  int useInputThread = 1;
  int usePersonalityOptions = 0;
  // Syzygy endgame tables: folders separated by ':', the least remaining
  // depth (plies) of a probe in the search, whether the fifty-move rule
  // spoils table wins, and the most pieces probed.
  std::string syzygyPath;
  int syzygyProbeDepth = 1;
  int syzygy50MoveRule = 1;
  int syzygyProbeLimit = 7;
  double eloNodesParamA = 242.573714;
  double eloNodesParamB = 749.87557;
  bool configFound = false;
};

// Search stop codes (Engine::stopRequest).
enum StopKind : int { StopNone = 0, StopNormal = 1, StopPonder = 2, StopAbort = 3, StopPonderDone = 5 };
// Search limit modes (Engine::limitMode).
enum LimitMode : int { LimitDepth = 0, LimitNodes = 1, LimitMoveTime = 2, LimitClock = 3, LimitInfinite = 4 };

inline constexpr int RepetitionCapacity = 256;

class Engine {
 public:
  Engine();
  virtual ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Builds tables, installs the evaluation defaults, allocates the hash table,
  // sets the start position and creates the search threads.
  void initialise(int hashMegabytes);
  void newGame();
  // Undoes the last game move; false (0) when the game is empty.
  int takeBack();
  void requestAbort();
  void tearDown();

  // Appends a key to the repetition list; when the list is full the oldest
  // half is dropped (positions that old are past the fifty-move horizon).
  void pushRepetitionKey(std::uint64_t key);
  // Plays a legal move on the game: repetition key, make, undo record.
  void playMove(Move move);
  // Standard FEN fullmove number of the current game position.
  int fullmoveNumber() const;
  // Points reportSink back at the engine's own sink, which reports nothing.
  void useBaseReportSink() { reportSink = &baseSink; }

  Board board{};
  std::uint32_t chess960 = 0;
  SearchThread* mainThreadRef = nullptr;
  Personality evalContext;
  TransTable transTable;
  std::int32_t repCount = 0;
  std::uint64_t repKeys[RepetitionCapacity]{};
  ThreadPool pool;
  std::vector<Move> gameMoves;
  std::vector<UndoRecord> gameUndo;
  std::int32_t pvLineCount = 0;
  std::int32_t excludedCount = 0;
  Move excludedMoves[32]{};
  PvLine pvLines[32]{};
  ReportSink* reportSink = &baseSink;
  std::vector<BookEntry> bookEntries;
  std::vector<PolyglotEntry> polyglotEntries;  // a book in the Polyglot format, used instead
  std::int32_t bookSelectivity = 100;
  std::uint32_t startSec = 0;
  std::uint32_t startUsec = 0;
  Relaxed<std::int32_t> stopRequest{StopNone};
  std::int32_t rootSide = White;
  std::int32_t multiPV = 1;
  std::int32_t limitMode = LimitMoveTime;
  // The elapsed time at which a timed search stops, and where its budget
  // began: 0, or the moment of the ponder hit.
  Relaxed<std::int32_t> timeBudgetUs{7500};
  Relaxed<std::int32_t> budgetStartUs{0};
  // 32 bits: a 64-bit atomic is a library call on a 32-bit ARM processor.
  Relaxed<std::uint32_t> pollInterval{4096};
  // The main thread writes the poll counter at every node: it has a cache
  // line of its own, apart from the stop flag and the limits that every
  // search thread reads at every node.
  alignas(64) Relaxed<std::uint32_t> pollCounter{0};
  std::uint64_t lastPollUs = 0;  // elapsed time at the last clock poll (main thread only)
  Relaxed<std::uint64_t> npsCounter{0};  // every search thread counts
  alignas(64) std::uint64_t npsLimit = 0;
  std::uint64_t strengthNodes = 0;
  std::int32_t uciLimitMode = 0;
  std::uint64_t nodeLimit = 2000000;
  std::int32_t moveTimeUs = 5000000;
  std::int32_t movesToGo = 40;
  std::int32_t increment[2] = {0, 0};
  std::int32_t searchesThisGame = 0;
  std::int32_t budgetSearchIndex = 0;  // searchesThisGame when the running search began
  std::int32_t depthLimit = 8;
  // Limits that apply together with limitMode, 0 for none: the search also
  // ends after this iteration, at this node count, or once a mate in this
  // many moves (or fewer) is proved.
  std::int32_t depthCap = 0;
  std::uint64_t nodeCap = 0;
  std::int32_t mateMoves = 0;
  // The root moves a "go searchmoves" allows; none means every legal move.
  std::int32_t searchMoveCount = 0;
  Move searchMoves[256]{};
  std::int32_t defaultClockMs = 300000;
  std::int32_t bookMaxMoves = 20;
  Relaxed<float> clockMs[2] = {300000.0f, 300000.0f};
  Relaxed<std::uint8_t> searching{0};
  Relaxed<std::uint8_t> ponderEnabled{0};
  Relaxed<std::uint8_t> pondering{0};
  std::uint8_t inputThreadActive = 0;
  Relaxed<std::uint8_t> reportCurrMove{0};
  std::uint8_t reportBounds = 1;
  // Reported lines are continued from the table (reading only; the tests
  // switch it off to show that the search itself does not change).
  std::uint8_t continueLines = 1;
  // The engine keeps the game and plays its own best move on it (XBoard and
  // the tools); under UCI every "position" sets the game and a search leaves
  // it as it found it.
  std::uint8_t playsBestMove = 1;
  std::uint8_t currMoveAfter2s = 1;
  std::uint8_t testSuiteActive = 0;
  std::uint8_t useNullMove = 1;
  std::uint8_t useLMR = 1;
  std::uint8_t ownBook = 0;
  std::int32_t strengthElo = 3200;
  std::uint8_t strengthLimited = 0;

  // Hand-over of searches from the input thread to the main thread.
  std::mutex inputMutex;
  std::condition_variable inputCond;
  Relaxed<std::uint8_t> searchRequested{0};
  Relaxed<std::uint8_t> searchTaken{0};  // the main thread runs a handed-over search
  std::int32_t searchMode = 0;
  std::uint32_t useInputThread = 1;
  Relaxed<std::uint8_t> quitRequested{0};

  // Protocol state.
  int protocolId = 0;
  Relaxed<std::int32_t> infinitePending{0};
  Relaxed<std::uint8_t> ponderOption{0};
  Relaxed<std::uint8_t> goPonder{0};
  Relaxed<std::uint8_t> newGamePending{0};
  Relaxed<Move> lastPonderMove{NoMove};
  Relaxed<std::int32_t> movesUntilControl{40};
  Relaxed<std::int32_t> movesPerControl{0};
  std::uint8_t usePersonalityActive = 0;

  // Endgame tables in the current search: positions of at most tablePieces
  // pieces are probed (0: none), of exactly that many only with at least
  // tableProbeDepth half-plies left. Set before the search threads start.
  std::int32_t tablePieces = 0;
  std::int32_t tableProbeDepth = 2;
  std::uint8_t tableRule50 = 1;
  // The tables ranked the root moves: the search keeps only the moves of
  // the best result, whose score its lines report.
  std::uint8_t tableRootRanked = 0;
  std::int32_t tableRootScore = 0;

  // Fullmove number read from the FEN that started the game line (0 = absent).
  std::int32_t startFullmove = 1;
  EngineSettings settings;

 private:
  ReportSink baseSink{this};
};

// Reads the book into the engine (and switches the book on), in either
// format (see loadBookEntries). A refused book leaves the book off and
// returns false.
bool loadBook(Engine& engine, const std::string& fileName);
// Frees the book and switches it off.
void unloadBook(Engine& engine);

// Score of a draw from the root side's view (option and key DrawScore).
extern int drawScore;
// Minimum remaining depth, in half-plies, for a split point.
extern int minSplitDepth;

}  // namespace talvik
