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

TEST(OptionsTest, TheReleaseDecidesTheDispatchAndTheNamesItRegistersUnder) {
  struct Case {
    std::vector<std::wstring> arguments;
    std::string release;
    Dispatch dispatch;
    std::string releaseName, programVersion;
  };
  const Case cases[] = {
      {{}, "5", Dispatch::Hand, "5", "5.0"},
      {{L"--dispatch", L"type-library"}, "5", Dispatch::TypeLibrary, "5", "5.0"},
      {{L"--release", L"5", L"--dispatch", L"hand"}, "5", Dispatch::Hand, "5", "5.0"},
      {{L"--release", L"24"}, "24", Dispatch::TypeLibrary, "24", "24.0"},
      {{L"--dispatch", L"type-library", L"--release", L"24"},
       "24",
       Dispatch::TypeLibrary,
       "24",
       "24.0"},
      {{L"--release", L"24", L"--class-id", L"{6e3b1c0a-26aa-4c3b-9d2e-00000000002f}", L"--version",
        L"26.0"},
       "24",
       Dispatch::TypeLibrary,
       "26.0",
       "26.0"},
      {{L"--release", L"24", L"--dialect", L"canonical"},
       "24",
       Dispatch::TypeLibrary,
       "24",
       "24.0"},
  };
  for (const Case& c : cases) {
    const Options options = parseOptions(c.arguments);
    EXPECT_EQ(options.release, c.release);
    EXPECT_EQ(options.dispatch, c.dispatch);
    EXPECT_EQ(releaseName(options), c.releaseName);
    EXPECT_EQ(programVersion(options), c.programVersion);
  }
  // Class IDs as the registry writes them, whatever the case they were given in.
  EXPECT_EQ(parseOptions({L"--release", L"24", L"--class-id",
                          L"{6e3b1c0a-26aa-4c3b-9d2e-00000000002f}", L"--version", L"26.0"})
                .classId,
            L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}");
}

TEST(OptionsTest, ReleasesAndDispatchesThatCannotBeAreRefusedSayingWhy) {
  const std::wstring id = L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}";
  const std::pair<std::vector<std::wstring>, const char*> cases[] = {
      {{L"--release", L"23"}, "unknown release \"23\"; the releases are 5 and 24"},
      {{L"--release", L"24", L"--release", L"5"}, "--release is given twice"},
      {{L"--dispatch", L"typelib"}, "unknown dispatch \"typelib\""},
      {{L"--release", L"24", L"--dispatch", L"hand"}, "release 24 answers through its type"},
      {{L"--release", L"24", L"-Embedding"}, "-Embedding is how COM starts release 5"},
      {{L"--dispatch", L"type-library", L"--dialect", L"by-reference"},
       "--dialect by-reference: type-library dispatch answers in the types"},
      {{L"--release", L"24", L"--dialect", L"wide-handles"}, "--dialect wide-handles"},
      {{L"--class-id", id, L"--version", L"26.0"}, "give them with --release 24"},
      {{L"--release", L"5", L"--version", L"26.0"}, "give them with --release 24"},
      {{L"--release", L"24", L"--class-id", id}, "--class-id and --version go together"},
      {{L"--release", L"24", L"--version", L"26.0"}, "--class-id and --version go together"},
      {{L"--release", L"24", L"--class-id", L"6E3B1C0A-26AA-4C3B-9D2E-00000000002F"},
       "is no class ID"},
      {{L"--release", L"24", L"--class-id", L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002}"},
       "is no class ID"},
      {{L"--release", L"24", L"--class-id", L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002G}"},
       "is no class ID"},
      {{L"--release", L"24", L"--class-id", L"{6E3B1C0A-26AA-4C3B9-D2E-00000000002F}"},
       "is no class ID"},
      {{L"--release", L"24", L"--version", L"26"}, "--version \"26\" is no version"},
      {{L"--release", L"24", L"--version", L"26."}, "is no version"},
      {{L"--release", L"24", L"--version", L".0"}, "is no version"},
      {{L"--release", L"24", L"--version", L"26.0.1"}, "is no version"},
      {{L"--release", L"24", L"--version", L"v26.0"}, "is no version"},
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
