#include "app/command_line.h"

#include <gtest/gtest.h>

#include "base/build_info.h"

namespace talvik {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SwitchesAndTheirArgumentCounts) {
  struct Case {
    Args args;
    Tool tool;
  };
  const Case cases[] = {
      {{}, Tool::Protocol},
      {{"-help"}, Tool::Help},
      {{"-help", "me", "please"}, Tool::Help},
      {{"-perft", "4"}, Tool::Perft},
      {{"-perft"}, Tool::Protocol},  // no depth: protocol mode
      {{"-perft", "4", "-fen"}, Tool::Protocol},
      {{"-perft", "4", "-fen", "8/8/8/8/8/8/8/8 w"}, Tool::Perft},
      {{"-perft", "4", "-pos", "8/8/8/8/8/8/8/8 w"}, Tool::Protocol},
      {{"-perft", "4", "-fen", "x", "y"}, Tool::Protocol},
      {{"-perftd", "3"}, Tool::PerftDetailed},
      {{"-divide", "3"}, Tool::Divide},
      {{"-perftsuite", "suite.epd"}, Tool::PerftSuite},
      {{"-perftsuite", "suite.epd", "5"}, Tool::PerftSuite},
      {{"-perftsuite", "suite.epd", "5", "6"}, Tool::Protocol},
      {{"-perftsuite"}, Tool::Protocol},
      {{"-evalsuite", "e.epd"}, Tool::EvalSuite},
      {{"-evalsuite"}, Tool::Protocol},
      {{"-checkfensuite", "f.epd"}, Tool::CheckFenSuite},
      {{"-testsee", "s.epd"}, Tool::TestSee},
      {{"-testsee", "s.epd", "x"}, Tool::Protocol},
      {{"-buildbook", "g.pgn", "b.bin", "20", "3"}, Tool::BuildBook},
      {{"-buildbook", "g.pgn", "b.bin", "20"}, Tool::Protocol},
      {{"-buildbook", "g.pgn", "b.bin", "20", "3", "polyglot"}, Tool::BuildBook},
      {{"-buildbook", "g.pgn", "b.bin", "20", "3", "Polyglot"}, Tool::Protocol},
      {{"-buildbook", "g.pgn", "b.bin", "20", "3", "polyglot", "x"}, Tool::Protocol},
      {{"-testsuite"}, Tool::TestSuite},
      {{"-testsuite", "64", "2", "depth", "10", "wac.epd"}, Tool::TestSuite},
      {{"-testsuite", "64", "2", "depth", "10", "wac.epd", "x"}, Tool::Protocol},
      {{"-benchmark"}, Tool::Benchmark},
      {{"-benchmark", "64", "1", "time", "5", "b.epd"}, Tool::Benchmark},
      {{"-Perft", "4"}, Tool::Unknown},  // switches match exactly
      {{"-unknownswitch"}, Tool::Unknown},
      {{"perft", "4"}, Tool::Unknown},
      {{""}, Tool::Unknown},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(parseCommandLine(c.args).tool, c.tool) << joined;
  }
}

TEST(CommandLine, PerftForms) {
  ToolRequest r = parseCommandLine({"-divide", "5"});
  EXPECT_EQ(r.depth, 5);
  EXPECT_EQ(r.fen, "");
  r = parseCommandLine({"-perft", "3", "-fen", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"});
  EXPECT_EQ(r.depth, 3);
  EXPECT_EQ(r.fen, "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(parseCommandLine({"-perftsuite", "s.epd"}).depth, 1);
  EXPECT_EQ(parseCommandLine({"-perftsuite", "s.epd", "4"}).depth, 4);
  EXPECT_EQ(parseCommandLine({"-perftsuite", "s.epd", "-2"}).depth, 5);
  EXPECT_EQ(parseCommandLine({"-perftsuite", "s.epd", "4"}).file, "s.epd");
  r = parseCommandLine({"-buildbook", "g.pgn", "b.bin", "20", "3"});
  EXPECT_EQ(r.file, "g.pgn");
  EXPECT_EQ(r.bookFile, "b.bin");
  EXPECT_EQ(r.depth, 20);
  EXPECT_EQ(r.count, 3);
  EXPECT_FALSE(r.polyglotBook);
  EXPECT_TRUE(parseCommandLine({"-buildbook", "g.pgn", "b.bin", "20", "3", "polyglot"}).polyglotBook);
}

TEST(CommandLine, SuiteValuesDefaultsAndClamps) {
  struct Case {
    Args args;
    int hashMb, threads;
    bool timeMode;
    int value;
    const char* file;
  };
  const Case cases[] = {
      {{"-testsuite"}, 256, 1, false, 12, ""},
      {{"-benchmark", "64"}, 64, 1, false, 12, ""},
      {{"-testsuite", "0", "0", "time", "0", "wac.epd"}, 1, 1, true, 1, "wac.epd"},
      {{"-testsuite", "99999", "100", "depth", "500", "wac.epd"}, 16384, 64, false, 127, "wac.epd"},
      {{"-testsuite", "-5", "-5", "depth", "-5"}, 1, 1, false, 1, ""},
      {{"-testsuite", "32", "2", "Time", "30"}, 32, 2, false, 30, ""},  // only "time" selects time mode
      {{"-benchmark", "32", "2", "time", "3600"}, 32, 2, true, 3600, ""},
      {{"-testsuite", "12abc", "3x", "depth", "+7"}, 12, 3, false, 7, ""},
      {{"-testsuite", "99999999999999999999"}, 16384, 1, false, 12, ""},
  };
  for (const Case& c : cases) {
    const ToolRequest r = parseCommandLine(c.args);
    EXPECT_EQ(r.hashMb, c.hashMb) << c.args.size();
    EXPECT_EQ(r.threads, c.threads);
    EXPECT_EQ(r.timeMode, c.timeMode);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.file, c.file);
  }
}

TEST(CommandLine, HelpText) {
  const std::string wordSize = sizeof(void*) == 8 ? "64 bits" : "32 bits";
  const std::string expected =
      "Talvik 2.2 (" + wordSize + ") by Verenko\n" + "Built on " + buildStamp() + "\n" + popcountText() +
      "\n"
      "\n"
      "Talvik -testsuite<htsize> <nbthreads> [depth|time] <value> <filename.epd>\n"
      "Talvik -perftsuite <filename.epd> <depth>\n"
      "Talvik -perft <depth>\n"
      "Talvik -perft <depth> -fen \"<fen-string>\"\n"
      "Talvik -perftd <depth>\n"
      "Talvik -perftd <depth> -fen \"<fen-string>\"\n"
      "Talvik -divide <depth>\n"
      "Talvik -divide <depth> -fen \"<fen-string>\"\n"
      "Talvik -buildbook <file.pgn> <file.bin> <depth> <count>\n"
      "Talvik -buildbook <file.pgn> <file.bin> <depth> <count> polyglot\n"
      "Talvik -benchmark <htsize> <nbthreads> [depth|time] <value> <filename.epd>\n";
  EXPECT_EQ(helpText(), expected);
  EXPECT_TRUE(popcountText() == "Using hardware popcount" || popcountText() == "Using software popcount");
  // "Mmm dd yyyy at hh:mm:ss"
  EXPECT_EQ(buildStamp().size(), 23u);
  EXPECT_EQ(buildStamp().substr(11, 4), " at ");
}

}  // namespace
}  // namespace talvik
