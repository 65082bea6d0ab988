// The interface through which the search reports its progress and result,
// and reads input while it thinks. The base class does nothing; the UCI and
// XBoard front ends and the developer tools each provide their own.
#pragma once

#include <cstdint>

#include "board/move.h"

namespace talvik {

class Engine;

class ReportSink {
 public:
  explicit ReportSink(Engine* engine = nullptr) : engine_(engine) {}
  virtual ~ReportSink() = default;

  // kind = the engine's stopRequest when the search ended: 1 normal or
  // stopped, 2 ponder search stopped, 3 aborted, 5 ponder search completed.
  virtual void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                              std::uint64_t elapsedUs) {
    (void)kind, (void)best, (void)ponder, (void)depth, (void)selDepth, (void)nodes, (void)elapsedUs;
  }
  // line 0 in single-PV mode; bound 0 exact, 1 upper, 2 lower.
  virtual void reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                        std::uint64_t elapsedUs, int selDepth, int bound) {
    (void)line, (void)depth, (void)score, (void)moves, (void)length, (void)nodes, (void)elapsedUs, (void)selDepth,
        (void)bound;
  }
  virtual void reportHashFull(int perMille) { (void)perMille; }
  virtual void reportDepth(int depth) { (void)depth; }
  // Whether a line of input is waiting (polling mode); only the protocols
  // read input, so the tools' sinks and the base sink never have any.
  virtual bool inputWaiting() { return false; }
  // Reads one line of input and handles it (polling mode).
  virtual void pollInput() {}
  virtual void reportCurrentMove(Move move, int number) { (void)move, (void)number; }
  virtual void reportRootScore(int score) { (void)score; }
  virtual void reportMessage(const char* text) { (void)text; }
  // The search has begun: its stop code is reset and `searching` is set, so
  // a stop or ponderhit that arrived while the search was being handed over
  // can take effect from here on.
  virtual void reportSearchStart() {}

  Engine* engine() const { return engine_; }

 protected:
  Engine* engine_;
};

}  // namespace talvik
