#include "app/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "base/config.h"

namespace talvik {
namespace {

EngineSettings settingsFrom(const std::string& text) {
  Config config;
  parseConfigText(config, text);
  EngineSettings settings;
  applySettings(settings, config);
  return settings;
}

TEST(ConfigReader, KeepsKeysAndValuesExactly) {
  Config config;
  parseConfigText(config,
                  "[Engine]\n"          // no '=': skipped
                  "# Hash=1\n"          // comments
                  "; Hash=2\n"
                  "a=\n"                // shorter than 3 characters: skipped
                  "Hash = 64\n"         // blanks belong to key and value
                  "Book=1\tlater=2\n"   // a tab ends the line
                  "BookFile=my book.bin\r\n"
                  "x=y=z\n"             // the first '=' splits
                  "=ab\n"               // empty key
                  "Hash=16\nHash=8\n");  // duplicates stay, in order
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Hash ", " 64"}, {"Book", "1"}, {"BookFile", "my book.bin"}, {"x", "y=z"}, {"", "ab"},
      {"Hash", "16"},   {"Hash", "8"}};
  EXPECT_EQ(config.pairs, expected);
  EXPECT_EQ(configInt(config, "Hash", -1), 16);  // the first one wins
  EXPECT_EQ(configInt(config, "Hash ", -1), 64);
  EXPECT_EQ(configInt(config, "hash", -1), -1);  // case matters
  EXPECT_EQ(configString(config, "BookFile", ""), "my book.bin");
}

TEST(ConfigReader, CutsLinesAt1023Characters) {
  Config config;
  parseConfigText(config, "Key=" + std::string(2000, 'v') + "\nNext=1\n");
  ASSERT_EQ(config.pairs.size(), 2u);
  EXPECT_EQ(config.pairs[0].second.size(), 1023u - 4u);
  EXPECT_EQ(config.pairs[1].first, "Next");
}

TEST(ConfigReader, ReadsIntegersLikeTheEngineDoes) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"42", 42},          {"  -7", -7},        {"+5", 5},   {"12abc", 12},
               {"abc", 0},          {"", 0},             {"- 3", 0},  {"99999999999999", 2147483647},
               {"-99999999999", -2147483647 - 1}};
  for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text), c.value) << c.text;
}

TEST(ConfigReader, RealValuesMustBeFinite) {
  Config config;
  parseConfigText(config, "A=1.5\nB=nan\nC=inf\nD=x\n");
  EXPECT_DOUBLE_EQ(configReal(config, "A", 7.0), 1.5);
  EXPECT_DOUBLE_EQ(configReal(config, "B", 7.0), 7.0);
  EXPECT_DOUBLE_EQ(configReal(config, "C", 7.0), 7.0);
  EXPECT_DOUBLE_EQ(configReal(config, "D", 7.0), 0.0);
  EXPECT_DOUBLE_EQ(configReal(config, "E", 7.0), 7.0);
}

TEST(Settings, ValuesAbsentValuesAndClamps) {
  const struct {
    const char* file;
    int EngineSettings::*field;
    int expected;
  } cases[] = {
      {"Hash=64\n", &EngineSettings::hashMb, 64},
      {"Hash = 64\n", &EngineSettings::hashMb, 1},  // the key is "Hash ": Hash absent
      {"Book=1\n", &EngineSettings::hashMb, 1},
      {"Hash=100000\n", &EngineSettings::hashMb, 2048},
      {"Hash=-5\n", &EngineSettings::hashMb, 1},
      {"Hash=16\nHash=16\nHash=8\n", &EngineSettings::hashMb, 16},
      {"#Hash=64\n;Hash=64\nHash=4\n", &EngineSettings::hashMb, 4},
      {"MaxThreads=4\tfour threads\n", &EngineSettings::maxThreads, 4},
      {"MaxThreads=0\n", &EngineSettings::maxThreads, 1},
      {"MaxThreads=100\n", &EngineSettings::maxThreads, 64},
      {"BookSelectivity=250\n", &EngineSettings::bookSelectivity, 100},
      {"BookSelectivity=0\n", &EngineSettings::bookSelectivity, 1},
      {"MinSplitDepth=0\n", &EngineSettings::minSplitDepth, 1},
      {"Hash=1\n", &EngineSettings::minSplitDepth, 4},
      {"StrengthELO=1500\n", &EngineSettings::strengthElo, 3200},  // read only with UseStrength
      {"UseStrength=1\nStrengthELO=1500\n", &EngineSettings::strengthElo, 1500},
      {"UseStrength=1\nStrengthELO=1500\nUsePersonality=2\n", &EngineSettings::strengthElo, 3200},
      {"Hash=1\n", &EngineSettings::useInputThread, 1},
      {"UseInputThread=0\n", &EngineSettings::useInputThread, 0},
      {"LogLevel=73\n", &EngineSettings::logLevel, 73},
      {"LogFormat=abc\n", &EngineSettings::logFormat, 0},
      {"Hash=1\n", &EngineSettings::useNullMovePruning, 1},
      {"DrawScore=-20\n", &EngineSettings::drawScore, -20},
  };
  for (const auto& c : cases) EXPECT_EQ(settingsFrom(c.file).*c.field, c.expected) << c.file;
}

TEST(Settings, StringsRealsAndFlags) {
  const EngineSettings absent = settingsFrom("Hash=1\n");
  EXPECT_EQ(absent.bookFile, "talvikbook-20.bin");
  EXPECT_EQ(absent.personalityFile, "");
  EXPECT_DOUBLE_EQ(absent.eloNodesParamA, 242.573714);
  EXPECT_DOUBLE_EQ(absent.eloNodesParamB, 749.87557);

  const EngineSettings set = settingsFrom(
      "BookFile=other.bin\nPersonalityFile=tal.txt\nUsePersonality=2\nEloNodesParamA=1.25\nEloNodesParamB=-3\n");
  EXPECT_EQ(set.bookFile, "other.bin");
  EXPECT_EQ(set.personalityFile, "tal.txt");
  EXPECT_FALSE(set.usePersonalityIsOne);
  EXPECT_TRUE(settingsFrom("UsePersonality=1\n").usePersonalityIsOne);
  EXPECT_DOUBLE_EQ(set.eloNodesParamA, 1.25);
  EXPECT_DOUBLE_EQ(set.eloNodesParamB, -3.0);
}

// Without a file every setting keeps its preset; note the asymmetry of Hash
// (32 MB here, 1 MB for a file that lacks the key).
TEST(Settings, MissingFileKeepsThePresets) {
  EngineSettings settings;
  EXPECT_FALSE(readSettings(settings, "/nonexistent/talvik.ini"));
  EXPECT_FALSE(settings.configFound);
  EXPECT_EQ(settings.hashMb, 32);
  EXPECT_EQ(settings.maxThreads, 1);
  EXPECT_EQ(settings.useInputThread, 1);
  EXPECT_EQ(settings.logLevel, 0);
}

// The example talvik.ini installed with the engine states every preset: read
// as a file, it leaves the engine exactly as no file does.
TEST(Settings, InstalledExampleStatesThePresets) {
  EngineSettings fromExample;
  ASSERT_TRUE(readSettings(fromExample, std::string(TALVIK_SOURCE_DIR) + "/package/talvik.ini"));
  const auto fields = [](const EngineSettings& s) {
    return std::tie(s.hashMb, s.book, s.bookFile, s.bookSelectivity, s.useStrength, s.strengthElo, s.uciLimitMode,
                    s.maxThreads, s.minSplitDepth, s.usePersonality, s.usePersonalityIsOne, s.personalityFile,
                    s.logLevel, s.logFormat, s.logPid, s.useNullMovePruning, s.useLMR, s.drawScore, s.moveOverheadMs,
                    s.useInputThread, s.usePersonalityOptions, s.eloNodesParamA, s.eloNodesParamB);
  };
  EXPECT_TRUE(fields(fromExample) == fields(EngineSettings{}));
}

}  // namespace
}  // namespace talvik
