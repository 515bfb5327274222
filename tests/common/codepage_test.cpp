#include "common/codepage.h"

#include <string>

#include <gtest/gtest.h>

namespace orvane {
namespace {

using namespace std::string_literals;

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";           // 中文
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kReplacementUtf8 = "\xEF\xBF\xBD";           // U+FFFD

struct ConvertCase {
  const char* name;
  std::string input;
  std::string expected;
};

class GbkToUtf8Test : public testing::TestWithParam<ConvertCase> {};

TEST_P(GbkToUtf8Test, Converts) { EXPECT_EQ(gbk_to_utf8(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkToUtf8Test,
    testing::Values(ConvertCase{"chinese", kZhongWenGbk, kZhongWenUtf8},
                    ConvertCase{"ascii_unchanged", "Hello, world! 123", "Hello, world! 123"},
                    ConvertCase{"empty", "", ""},
                    ConvertCase{"right_quote", "\xA1\xAF", "\xE2\x80\x99"},
                    ConvertCase{"ends_at_zero_byte", "a\0\xD6\xD0"s, "a"},
                    // Invalid GBK: the lead byte takes the next byte, and the pair reads as
                    // U+FFFD, just as the text search steps over it.
                    ConvertCase{"lead_at_end", "a\x81", "a" + kReplacementUtf8},
                    ConvertCase{"bad_trail_taken_with_lead",
                                "\x81\x20"
                                "b",
                                kReplacementUtf8 + "b"},
                    ConvertCase{"byte_ff", "\xFF\xFF", kReplacementUtf8},
                    ConvertCase{"user_defined_area", "\xAA\xA1", kReplacementUtf8}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

class Utf8ToGbkTest : public testing::TestWithParam<ConvertCase> {};

TEST_P(Utf8ToGbkTest, Converts) { EXPECT_EQ(utf8_to_gbk(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToGbkTest,
    testing::Values(ConvertCase{"chinese", kZhongWenUtf8, kZhongWenGbk},
                    ConvertCase{"ascii", "abc", "abc"},
                    ConvertCase{"thai_has_no_gbk_form", "\xE0\xB8\x81", "?"},
                    ConvertCase{"emoji_is_one_question_mark", "\xF0\x9F\x98\x80", "?"},
                    ConvertCase{"invalid_utf8_byte",
                                "a\xFF"
                                "b",
                                "a?b"},
                    ConvertCase{"cut_short_sequence", "a\xE4\xB8", "a??"}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

TEST(AnsiToWide, OneDoubleAndOneSingleByteCharacterGiveSixBytes) {
  EXPECT_EQ(ansi_to_wide("\xD6\xD0"
                         "a",
                         kCodePageGbk),
            "\x2D\x4E\x61\x00\x00\x00"s);
}

TEST(AnsiToWide, DefaultsToUtf8AndEndsWithOneZeroUnit) {
  EXPECT_EQ(ansi_to_wide("\xE4\xB8\xAD"), "\x2D\x4E\x00\x00"s);
  EXPECT_EQ(ansi_to_wide(""), "\x00\x00"s);
  EXPECT_EQ(ansi_to_wide("a\0b"s), "a\x00\x00\x00"s);
}

TEST(AnsiToWide, UnknownCodePageGivesEmpty) { EXPECT_EQ(ansi_to_wide("abc", 123456), ""); }

struct WideCase {
  const char* name;
  std::string utf16le;
  int code_page;
  std::string expected;
};

class WideToAnsiTest : public testing::TestWithParam<WideCase> {};

TEST_P(WideToAnsiTest, Encodes) {
  const WideCase& c = GetParam();
  EXPECT_EQ(wide_to_ansi(c.utf16le, c.code_page), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideToAnsiTest,
    testing::Values(WideCase{"gbk", "\x2D\x4E\x87\x65\x00\x00"s, kCodePageSystem, kZhongWenGbk},
                    WideCase{"stops_at_zero_unit",
                             "a\x00\x00\x00"
                             "b\x00"s,
                             kCodePageGbk, "a"},
                    WideCase{"no_terminator",
                             "a\x00"
                             "b\x00"s,
                             kCodePageGbk, "ab"},
                    WideCase{"odd_byte_ignored",
                             "a\x00"
                             "b"s,
                             kCodePageGbk, "a"},
                    WideCase{"thai_default_char", "\x01\x0E\x00\x00"s, kCodePageGbk, "?"},
                    WideCase{"surrogate_pair", "\x3D\xD8\x00\xDE"s, kCodePageGbk, "?"},
                    WideCase{"lone_surrogate_gbk",
                             "\x3D\xD8"
                             "a\x00"s,
                             kCodePageGbk, "?a"},
                    WideCase{"utf8", "\x2D\x4E\x87\x65"s, kCodePageUtf8, kZhongWenUtf8},
                    WideCase{"utf8_surrogate_pair", "\x3D\xD8\x00\xDE"s, kCodePageUtf8,
                             "\xF0\x9F\x98\x80"},
                    WideCase{"utf8_lone_surrogate",
                             "\x00\xDC"
                             "a\x00"s,
                             kCodePageUtf8, kReplacementUtf8 + "a"},
                    WideCase{"empty", "", kCodePageGbk, ""}),
    [](const testing::TestParamInfo<WideCase>& info) { return std::string(info.param.name); });

TEST(GbkTable, EveryMappedDoubleByteCharacterRoundTrips) {
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
      std::string wide = ansi_to_wide(gbk, kCodePageGbk);
      ASSERT_EQ(wide.size(), 4u);
      if (wide.substr(0, 2) == "\xFD\xFF") continue;
      ++mapped;
      ASSERT_EQ(wide_to_ansi(wide, kCodePageGbk), gbk) << lead << " " << trail;
    }
  }
  EXPECT_GT(mapped, 20000);  // the converter is there and knows GBK, not only GB2312
}

struct PercentCase {
  const char* name;
  std::string text;
  bool keep_safe_chars;
  bool utf8_first;
  std::string expected;
};

class PercentEncodeTest : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentEncodeTest, Encodes) {
  const PercentCase& c = GetParam();
  EXPECT_EQ(percent_encode(c.text, c.keep_safe_chars, c.utf8_first), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentEncodeTest,
    testing::Values(PercentCase{"plain", "ab", false, false, "%61%62"},
                    PercentCase{"leading_zero", "\n", false, false, "%0A"},
                    PercentCase{"safe_chars", "a-b.c/d_e", true, false, "a-b.c%2Fd%5Fe"},
                    PercentCase{"safe_edges", "09AZaz~ ", true, false, "09AZaz%7E%20"},
                    PercentCase{"utf8_first", "\xD6\xD0", false, true, "%E4%B8%AD"},
                    PercentCase{"gbk_bytes", "\xD6\xD0", true, false, "%D6%D0"},
                    PercentCase{"empty", "", false, false, ""},
                    PercentCase{"ends_at_zero_byte", "a\0b"s, false, false, "%61"}),
    [](const testing::TestParamInfo<PercentCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane
