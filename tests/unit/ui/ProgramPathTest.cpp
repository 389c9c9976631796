#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/ProgramPath.h"

namespace orbelle::ui {
namespace {

// GetModuleFileNameW as Windows does it: a path that does not fit is cut to the buffer, ends
// with a null there, and the size of the buffer is returned.
struct ModuleFileName {
  std::wstring path;
  std::vector<std::size_t> sizesAsked;

  std::size_t operator()(wchar_t* buffer, std::size_t size) {
    sizesAsked.push_back(size);
    const std::size_t copied = std::min(path.size(), size - 1);
    std::copy_n(path.begin(), copied, buffer);
    buffer[copied] = L'\0';
    return path.size() < size ? path.size() : size;
  }
};

std::wstring deepPath(std::size_t length) {
  std::wstring path = L"C:\\";
  while (path.size() + 11 + 12 <= length)
    path += L"フォルダ 12345\\";
  path.append(length - 12 - path.size(), L'x');
  return path + L"\\orbelle.exe";
}

TEST(ProgramPath, PathsOfAnyLengthAreReadWholeWithTheBufferDoubledWhenCutShort) {
  struct Case {
    std::size_t length;
    std::vector<std::size_t> sizes;
  };
  for (const Case& c : {Case{30, {260}}, Case{259, {260}}, Case{260, {260, 520}},
                        Case{261, {260, 520}}, Case{1000, {260, 520, 1040}},
                        Case{32767, {260, 520, 1040, 2080, 4160, 8320, 16640, 33280}}}) {
    ModuleFileName module{deepPath(c.length), {}};
    EXPECT_EQ(readWhole(std::ref(module)), module.path) << c.length;
    EXPECT_EQ(module.sizesAsked, c.sizes) << c.length;
  }
}

TEST(ProgramPath, AFailedReadOrAPathThatNeverFitsThrows) {
  EXPECT_THROW(readWhole([](wchar_t*, std::size_t) -> std::size_t { return 0; }),
               std::runtime_error);
  std::size_t calls = 0;
  EXPECT_THROW(readWhole([&calls](wchar_t*, std::size_t size) {
                 ++calls;
                 return size;
               }),
               std::runtime_error);
  EXPECT_EQ(calls, 8u);  // 260 up to 33280, past the longest Windows path: then it gives up
}

TEST(ProgramPath, TheProgramsNameIsItsFileNameWithoutExtension) {
  EXPECT_EQ(programNameOf(L"C:\\Tools\\orbelle.exe"), L"orbelle");
  EXPECT_EQ(programNameOf(L"Z:/tmp/iso.v2.exe"), L"iso.v2");
  EXPECT_EQ(programNameOf(L"C:\\my.tools\\palette"), L"palette");  // the dot is a folder's
  EXPECT_EQ(programNameOf(L"orbelle.exe"), L"orbelle");
  EXPECT_EQ(programNameOf(L"C:\\Tools\\.exe"), L".exe");
  EXPECT_EQ(programNameOf(deepPath(400)), L"orbelle");
}

}  // namespace
}  // namespace orbelle::ui
