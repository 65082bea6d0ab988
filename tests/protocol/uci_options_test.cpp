#include "protocol/uci_options.h"

#include <gtest/gtest.h>

#include <string>

namespace talvik {
namespace {

TEST(UciOptions, SetOptionLines) {
  struct Case {
    const char* line;
    bool ok;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"setoption name Hash value 64", true, "Hash", "64"},
      {"setoption  name  MultiPV  value  3  extra", true, "MultiPV", "3"},
      {"setoption name Clear Hash", true, "Clear Hash", ""},
      {"setoption name Clear", false, "", ""},
      {"setoption name Hash value", false, "", ""},
      {"setoption name Hash 64", false, "", ""},
      {"setoption name", false, "", ""},
      {"setoption Hash value 64", false, "", ""},
      // File names may hold blanks.
      {"setoption name PersonalityFile value my files/aggressive.txt  ", true, "PersonalityFile",
       "my files/aggressive.txt"},
      {"setoption name Book value books/main book.bin", true, "Book", "books/main book.bin"},
  };
  for (const Case& c : cases) {
    LineTokenizer tokens(c.line);
    tokens.nextToken();
    OptionSetting setting;
    ASSERT_EQ(parseSetOption(tokens, setting), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(setting.name, c.name) << c.line;
    EXPECT_EQ(setting.value, c.value) << c.line;
  }
}

TEST(UciOptions, LongNamesAndValuesAreCut) {
  const std::string line = "setoption name " + std::string(300, 'N') + " value " + std::string(300, 'v');
  LineTokenizer tokens(line);
  tokens.nextToken();
  OptionSetting setting;
  ASSERT_TRUE(parseSetOption(tokens, setting));
  EXPECT_EQ(setting.name, std::string(255, 'N'));
  EXPECT_EQ(setting.value, std::string(255, 'v'));
}

}  // namespace
}  // namespace talvik
