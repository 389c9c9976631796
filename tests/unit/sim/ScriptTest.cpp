#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "sim/Script.h"

namespace orbelle::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ScriptTest, EveryStepParsesWithItsValues) {
  const auto steps = parseScript(
      "\xEF\xBB\xBF# answers for one session\r\n"
      "select 2A 2b   # two objects\n"
      "select\n"
      "\n"
      "point 100,50\n"
      "point -1E-5,.5,7.5\n"
      "pick 2C 1,2\n"
      "PICK none\n"
      "number -60\n"
      "escape\n"
      "wait-command \"^C-VIEW SWISO ZOOM E\\r\"\n"
      "type \"move # not a comment\\r\"\n"
      "save-json C:\\out dir\\drawing.json\n"
      "save-png \"Z:/tmp/a b.png\"\n"
      "dialect wide-handles\n"
      "exit\n");
  ASSERT_EQ(steps.size(), 14u);
  EXPECT_EQ(steps[0].kind, StepKind::Select);
  EXPECT_THAT(steps[0].handles, ElementsAre(0x2A, 0x2B));
  EXPECT_EQ(steps[0].line, 2);
  EXPECT_TRUE(steps[1].handles.empty());
  EXPECT_EQ(steps[2].point, (Vec3{100, 50, 0}));
  EXPECT_EQ(steps[3].point, (Vec3{-1e-5, 0.5, 7.5}));
  EXPECT_THAT(steps[4].handles, ElementsAre(0x2C));
  EXPECT_EQ(steps[4].point, (Vec3{1, 2, 0}));
  EXPECT_TRUE(steps[5].handles.empty());
  EXPECT_FALSE(steps[5].point.has_value());
  EXPECT_EQ(steps[6].number, -60);
  EXPECT_EQ(steps[7].kind, StepKind::Escape);
  EXPECT_EQ(steps[8].text, L"^C-VIEW SWISO ZOOM E\r");
  EXPECT_EQ(steps[9].text, L"move # not a comment\r");
  EXPECT_EQ(steps[10].text, L"C:\\out dir\\drawing.json");
  EXPECT_EQ(steps[11].text, L"Z:/tmp/a b.png");
  EXPECT_EQ(steps[12].kind, StepKind::Dialect);
  EXPECT_EQ(steps[12].text, L"wide-handles");
  EXPECT_EQ(steps[13].kind, StepKind::Exit);
  EXPECT_EQ(steps[13].line, 16);
}

TEST(ScriptTest, RevokeTakesNothing) {
  EXPECT_EQ(parseScript("revoke  # then kill\n").at(0).kind, StepKind::Revoke);
  EXPECT_THROW(parseScript("revoke now\n"), ScriptError);
}

TEST(ScriptTest, BadScriptsNameTheLineAndWhatIsWrong) {
  struct Case {
    const char* script;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"select 2A\nclick 3,4\n", 2, "unknown step \"click\""},
      {"point 100\n", 1, "not a point"},
      {"point\n", 1, "needs X,Y"},
      {"point 1,2 3,4\n", 1, "unexpected \"3,4\""},
      {"number 1,5\n", 1, "not a number"},
      {"\n\nselect 2A G7\n", 3, "not an entity handle"},
      {"pick\n", 1, "\"none\""},
      {"wait-command SELECT\n", 1, "double quotes"},
      {"type \"SELECT\n", 1, "not closed"},
      {"type \"\\q\"\n", 1, "escape"},
      {"save-json\n", 1, "file path"},
      {"escape now\n", 1, "unexpected"},
      {"select\ndialect\n", 2, "one of canonical, variant-arrays"},
      {"dialect Canonical\n", 1, "unknown dialect \"Canonical\""},
  };
  for (const Case& c : cases) {
    try {
      parseScript(c.script);
      ADD_FAILURE() << "accepted: " << c.script;
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.line(), c.line) << c.script;
      EXPECT_THAT(e.what(), HasSubstr(c.reason)) << c.script;
    }
  }
}

TEST(ScriptTest, ATypeLibraryHostRefusesEveryDialectStepButCanonicalAtItsLine) {
  const std::pair<const char*, int> cases[] = {
      {"", 0},
      {"dialect canonical\nselect 2A\n", 0},
      {"select 2A\n\ndialect wide-handles\n", 3},
      {"dialect canonical\ndialect by-reference\ndialect unknown-objects\n", 2},
  };
  for (const auto& [script, line] : cases) {
    try {
      refuseDialects(parseScript(script));
      EXPECT_EQ(line, 0) << "accepted: " << script;
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.line(), line) << script;
      EXPECT_THAT(e.what(), HasSubstr("no dialect but canonical"));
    }
  }
}

}  // namespace
}  // namespace orbelle::sim
