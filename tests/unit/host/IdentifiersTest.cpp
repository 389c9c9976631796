// Every class and interface ID of the palette, against the literal strings of the host
// automation contract: a digit mistyped in a header would make the host refuse every query.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "host/nanoCAD_TLB.h"

namespace orbelle {
namespace {

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" without the code under test.
Guid parse(const std::wstring& text) {
  Guid guid{};
  unsigned data1 = 0, data2 = 0, data3 = 0;
  unsigned bytes[8] = {};
  const int read = std::swscanf(text.c_str(), L"{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &data1,
                                &data2, &data3, &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                                &bytes[4], &bytes[5], &bytes[6], &bytes[7]);
  EXPECT_EQ(read, 11) << "not a GUID: " << testing::PrintToString(text);
  guid.data1 = data1;
  guid.data2 = static_cast<std::uint16_t>(data2);
  guid.data3 = static_cast<std::uint16_t>(data3);
  for (int i = 0; i < 8; ++i)
    guid.data4[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes[i]);
  return guid;
}

TEST(IdentifiersTest, EveryIdIsTheContractsLiteral) {
  struct Pinned {
    const char* name;
    const Guid& id;
    const wchar_t* contract;
  };
  const Pinned pinned[] = {
      {"CoApplication", CLSID_CoApplication, L"{449354E9-CDD8-4A11-BD82-0D4A3C21E7D2}"},
      {"InanoCADApplication", IID_InanoCADApplication, L"{AFAB189D-226A-4047-B98F-CD75CE56DDE4}"},
      {"InanoCADUtility", IID_InanoCADUtility, L"{52D064C3-27BE-4B56-9F11-A7963AE83532}"},
      {"IAcadState", IID_IAcadState, L"{28FC575E-2B66-4754-82D9-4AC7671E443A}"},
      {"IAcadEntity", IID_IAcadEntity, L"{FFE64704-CEBD-4C88-A867-E7C821AFE488}"},
      {"IAcadText", IID_IAcadText, L"{9CD7E38D-0003-410D-B6DF-DE36FD190850}"},
      // Releases 23.0 and 24.0, as their published type libraries give them.
      {"InanoCADApplication 23", IID_InanoCADApplication_23,
       L"{131B04FD-1ABF-4105-A809-713789256353}"},
      {"InanoCADUtility 23", IID_InanoCADUtility_23, L"{AE21AEC0-F2BF-4419-B455-9E13A58CE45B}"},
      {"InanoCADState 23", IID_InanoCADState_23, L"{A5FC1C8A-5FC6-4901-9C52-5793CC4FDA1D}"},
      {"IAcadEntity 23", IID_IAcadEntity_23, L"{5C0548E8-75CD-4F22-AA54-61BA3D8C7E8D}"},
      {"IAcadText 23", IID_IAcadText_23, L"{5750A4E3-B3CE-4A1C-A228-EB0C12EEDC5E}"},
  };
  for (const Pinned& id : pinned) {
    SCOPED_TRACE(id.name);
    EXPECT_EQ(id.id, parse(id.contract));
    EXPECT_EQ(toRegistryString(id.id), id.contract);
  }
  // No two alike: a copied line left unedited would pass the checks above only once.
  for (const Pinned& a : pinned) {
    for (const Pinned& b : pinned) {
      if (&a != &b) {
        EXPECT_FALSE(a.id == b.id) << a.name << " and " << b.name;
      }
    }
  }
}

}  // namespace
}  // namespace orbelle
