#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "sim/Registrations.h"

namespace orbelle::sim {
namespace {

using ::testing::HasSubstr;

const std::wstring kOurs = L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}";
const std::wstring kOther = L"{0D7A3D22-5B1E-4C59-8E53-3F1A90C7B001}";

TEST(RegistrationsTest, AReleaseRegistersItsVersionedProgramIdAndTheVersionIndependentOne) {
  const ProgramIds ids = programIdsOf("24.0");
  EXPECT_EQ(ids.versioned, L"nanoCAD.Application.24.0");
  EXPECT_EQ(ids.independent, L"nanoCAD.Application");
  EXPECT_EQ(programIdsOf("26.0").versioned, L"nanoCAD.Application.26.0");
}

TEST(RegistrationsTest, AProgramIdIsWrittenOnlyWhenAbsentOrOursAndAnotherClassesIsNeverTaken) {
  struct Case {
    ProgramIdKey key;
    Claim versioned, independent;
    bool removable;  // at exit
  };
  std::wstring lowerOurs = kOurs;
  for (wchar_t& c : lowerOurs)
    c = static_cast<wchar_t>(std::towlower(c));
  const Case cases[] = {
      {{false, L""}, Claim::Write, Claim::Write, false},
      {{true, kOurs}, Claim::Write, Claim::Write, true},      // a leftover of its own
      {{true, lowerOurs}, Claim::Write, Claim::Write, true},  // class IDs ignore case
      {{true, kOther}, Claim::Refuse, Claim::Skip, false},    // another release's, or nanoCAD's
      {{true, L""}, Claim::Refuse, Claim::Skip, false},       // a key naming no class is not ours
  };
  for (const Case& c : cases) {
    EXPECT_EQ(claimProgramId(c.key, kOurs, true), c.versioned);
    EXPECT_EQ(claimProgramId(c.key, kOurs, false), c.independent);
    EXPECT_EQ(namesClass(c.key, kOurs), c.removable);
  }
}

TEST(RegistrationsTest, TheServerProgramIsTheFileNameOfItsCommandLine) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"\"Z:\\work\\build\\sim\\nanosim.exe\"", L"nanosim.exe"},
      {L"\"C:\\Program Files\\Nanosoft\\nanoCAD x64 24.0\\nCad.exe\" -Embedding", L"nCad.exe"},
      {L"C:\\Program Files\\Nanosoft\\nCad.exe -Embedding", L"nCad.exe"},
      {L"  C:/tools/nanosim.exe", L"nanosim.exe"},
      {L"nanosim.exe /Automation", L"nanosim.exe"},
      {L"C:\\x\\server.dll", L"server.dll"},
  };
  for (const auto& [commandLine, program] : cases)
    EXPECT_EQ(serverProgram(commandLine), program);
}

TEST(RegistrationsTest, AKeyIsAnothersWhenItNamesAnythingButTheStandinsLibrariesAndProgram) {
  const std::wstring first = L"{6F1C2B9E-4A3D-4E8B-9C57-2D1E0F3A5B71}";
  const std::wstring second = L"{A22CB54B-6323-494A-8F02-C4822C326203}";
  const std::vector<std::wstring> ours{first, second};
  const std::wstring ourServer = L"\"Z:\\old\\build\\sim\\NANOSIM.EXE\"";
  const std::wstring nanoCad = L"\"C:\\Program Files\\Nanosoft\\nCad.exe\"";
  struct Case {
    RegistrationKey key;
    const char* other;  // what the refusal says; null: the stand-in may write it
  };
  const Case cases[] = {
      {{}, nullptr},                                        // absent
      {{true, true, std::nullopt, std::nullopt}, nullptr},  // an empty key is no one's
      {{true, false, first, std::nullopt}, nullptr},
      {{true, false, L"{a22cb54b-6323-494a-8f02-c4822c326203}", std::nullopt}, nullptr},
      {{true, false, first, ourServer}, nullptr},  // an earlier build's, elsewhere
      {{true, false, std::nullopt, ourServer}, nullptr},
      {{true, false, L"{15D10019-0000-0000-0000-000000000000}", std::nullopt},
       "names the type library {15D10019-0000-0000-0000-000000000000}"},
      {{true, false, first, nanoCad}, "names the server"},
      {{true, false, std::nullopt, nanoCad}, "names the server \"C:\\Program Files"},
      {{true, false, std::nullopt, std::nullopt}, "names neither a type library nor a server"},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> other = otherOwner(c.key, ours, L"nanosim.exe");
    if (c.other == nullptr) {
      EXPECT_EQ(other, std::nullopt) << other.value_or("");
    } else {
      ASSERT_TRUE(other.has_value()) << c.other;
      EXPECT_THAT(*other, HasSubstr(c.other));
    }
  }
}

}  // namespace
}  // namespace orbelle::sim
