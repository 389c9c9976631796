#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Options.h"

namespace orbelle::sim {
namespace {

using ::testing::HasSubstr;

TEST(OptionsTest, EveryOptionIsReadAndTheTitleDefaultsToTheHostsOwn) {
  EXPECT_EQ(parseOptions({}).title, L"nanoCAD 5");
  const Options options =
      parseOptions({L"--drawing", L"Z:\\demo.json", L"--script", L"s.txt", L"--log", L"log.jsonl",
                    L"--title", L"nanoCAD 5 - Drawing1"});
  EXPECT_EQ(options.drawing, L"Z:\\demo.json");
  EXPECT_EQ(options.script, L"s.txt");
  EXPECT_EQ(options.log, L"log.jsonl");
  EXPECT_EQ(options.title, L"nanoCAD 5 - Drawing1");
  EXPECT_EQ(options.dialect, "canonical");
  EXPECT_EQ(parseOptions({L"--dialect", L"by-reference"}).dialect, "by-reference");
  EXPECT_TRUE(parseOptions({L"/RegServer"}).registerServer);
  EXPECT_TRUE(parseOptions({L"-regserver"}).registerServer);
  EXPECT_TRUE(parseOptions({L"/UNREGSERVER"}).unregisterServer);
  EXPECT_TRUE(parseOptions({L"-Embedding"}).embedding);
}

TEST(OptionsTest, BadOptionsSayWhatIsWrong) {
  const std::pair<std::vector<std::wstring>, const char*> cases[] = {
      {{L"--drawing"}, "option --drawing needs a value"},
      {{L"--log", L""}, "option --log needs a value"},
      {{L"--script", L"--log", L"x"}, "option --script needs a value"},
      {{L"--log", L"a", L"--log", L"b"}, "given twice"},
      {{L"--Drawing", L"x"}, "unknown option \"--Drawing\""},
      {{L"demo.json"}, "unknown option \"demo.json\""},
      {{L"/RegServer", L"/UnregServer"}, "exclude each other"},
      {{L"--dialect", L"bytes"}, "unknown dialect \"bytes\"; the dialects are canonical, "},
  };
  for (const auto& [arguments, message] : cases) {
    try {
      parseOptions(arguments);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const OptionsError& e) {
      EXPECT_THAT(e.what(), HasSubstr(message));
    }
  }
}

}  // namespace
}  // namespace orbelle::sim
