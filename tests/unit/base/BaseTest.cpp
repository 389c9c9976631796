#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Exceptions.h"
#include "base/Utf8.h"

namespace orbelle::base {
namespace {

TEST(Utf8, WellFormedTextConvertsIncludingCharactersBeyondTheBasicPlane) {
  EXPECT_EQ(utf8ToWide("Tahoma 8"), L"Tahoma 8");
  EXPECT_EQ(utf8ToWide("南西アイソメビュー"), L"南西アイソメビュー");
  EXPECT_EQ(utf8ToWide("\xF0\x9F\x93\x90"), L"\U0001F4D0");  // a pair of surrogates on Windows
}

TEST(Utf8, WideTextGoesBackToTheSameUtf8) {
  for (const char* text :
       {"Orbelle '25.01.07A", "スタイル 'x' が見つかりません", "\xF0\x9F\x93\x90"})
    EXPECT_EQ(wideToUtf8(utf8ToWide(text)), text);
  EXPECT_EQ(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(Utf8, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(utf8ToWide("a\x80"
                       "b"),
            L"a\uFFFDb");                          // a lone continuation byte
  EXPECT_EQ(utf8ToWide("a\xE3\x82"), L"a\uFFFD");  // cut short at the end
  EXPECT_EQ(utf8ToWide("\xE3\x82"
                       "z"),
            L"\uFFFDz");                                 // cut short before ASCII
  EXPECT_EQ(utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");    // overlong '/'
  EXPECT_EQ(utf8ToWide("\xED\xA0\x80"), L"\uFFFD");      // an encoded surrogate
  EXPECT_EQ(utf8ToWide("\xF4\x90\x80\x80"), L"\uFFFD");  // past U+10FFFF
}

TEST(Exceptions, ExceptionsAreDescribedByTheirUtf8Message) {
  EXPECT_EQ(describeException(
                std::make_exception_ptr(std::runtime_error("C:\\p\\orbelle.ini に書き込めません"))),
            L"C:\\p\\orbelle.ini に書き込めません");
  EXPECT_EQ(describeException(std::make_exception_ptr(42)), L"An unknown error occurred.");
}

}  // namespace
}  // namespace orbelle::base
