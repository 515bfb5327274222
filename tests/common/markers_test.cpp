#include "common/markers.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace orvane {
namespace {

using namespace std::string_literals;
using Pieces = std::vector<std::string>;

struct TrimCase {
  const char* name;
  std::string text;
  std::string expected;
};

class TrimSpacesTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimSpacesTest, Trims) { EXPECT_EQ(trim_spaces(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimSpacesTest,
    testing::Values(TrimCase{"spaces_and_full_width", "  \xA1\xA1word  \xA1\xA1", "word"},
                    TrimCase{"full_width_between_spaces", " \xA1\xA1 a \xA1\xA1 ", "a"},
                    TrimCase{"tabs_stay", "\tword\t", "\tword\t"},
                    TrimCase{"line_breaks_stay", " \r\nword\n ", "\r\nword\n"},
                    TrimCase{"inner_blanks_stay",
                             " a b\xA1\xA1"
                             "c ",
                             "a b\xA1\xA1"
                             "c"},
                    TrimCase{"spaces_only", "   ", ""},
                    TrimCase{"full_width_only", "\xA1\xA1\xA1\xA1", ""}, TrimCase{"empty", "", ""},
                    TrimCase{"trail_byte_a1_is_no_blank", "a\xB0\xA1\xA1\xA1", "a\xB0\xA1"},
                    TrimCase{"double_byte_kept", " \xD6\xD0 ", "\xD6\xD0"},
                    TrimCase{"dangling_lead_dropped", "ab\xB0", "ab"},
                    TrimCase{"blanks_before_dangling_stay", "ab \xB0", "ab "},
                    TrimCase{"half_full_width_at_end", "ab\xA1", "ab"},
                    TrimCase{"ends_at_zero_byte", " a \0 b"s, "a"}),
    [](const testing::TestParamInfo<TrimCase>& info) { return std::string(info.param.name); });

struct ExtractCase {
  const char* name;
  std::string text;
  std::string left;
  std::string right;
  ExtractOptions options;
  Pieces expected;
};

ExtractOptions longest(int n) {
  ExtractOptions o;
  o.longest_piece = n;
  return o;
}

ExtractOptions start_at(int p) {
  ExtractOptions o;
  o.start_position = p;
  return o;
}

ExtractOptions case_sensitive() {
  ExtractOptions o;
  o.case_sensitive = true;
  return o;
}

ExtractOptions decorated() {
  ExtractOptions o;
  o.prefix = "<";
  o.suffix = ">";
  o.include_left = true;
  o.include_right = true;
  return o;
}

class ExtractBetweenTest : public testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractBetweenTest, CollectsPieces) {
  const ExtractCase& c = GetParam();
  Pieces pieces = {"stale"};
  int count = extract_between(c.text, c.left, c.right, pieces, c.options);
  EXPECT_EQ(pieces, c.expected);
  EXPECT_EQ(count, static_cast<int>(pieces.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractBetweenTest,
    testing::Values(
        ExtractCase{"two_pieces", "{a}{b}", "{", "}", {}, {"a", "b"}},
        ExtractCase{"trimmed", "{ a }", "{", "}", {}, {"a"}},
        ExtractCase{"empty_piece_ends_scan", "{a}{}{b}", "{", "}", {}, {"a"}},
        ExtractCase{"blank_piece_ends_scan", "{a}{ \xA1\xA1 }{b}", "{", "}", {}, {"a"}},
        ExtractCase{"unclosed", "{a", "{", "}", {}, {}},
        ExtractCase{"close_before_open", "a}{b}", "{", "}", {}, {"b"}},
        ExtractCase{"equal_markers", "|a|b|c|", "|", "|", {}, {"a", "b", "c"}},
        ExtractCase{"too_long_ends_scan", "{abcd}{ab}", "{", "}", longest(3), {}},
        ExtractCase{"longest_counts_trimmed_bytes", "{ abc }{abcd}", "{", "}", longest(3), {"abc"}},
        ExtractCase{"decorated", "{ a }", "{", "}", decorated(), {"{<a>}"}},
        ExtractCase{"multi_byte_markers", "'title':'x','y'", "'title':'", "'", {}, {"x"}},
        ExtractCase{"case_folded", "<B>x</B>", "<b>", "</b>", {}, {"x"}},
        ExtractCase{"case_sensitive", "<B>x</B><b>y</b>", "<b>", "</b>", case_sensitive(), {"y"}},
        ExtractCase{"trail_byte_brace", "\xB0{a}{b}", "{", "}", {}, {"b"}},
        ExtractCase{"trail_byte_closing_brace",
                    "{a\xB0}b}",
                    "{",
                    "}",
                    {},
                    {"a\xB0}"
                     "b"}},
        ExtractCase{"start_position", "{a}{b}", "{", "}", start_at(2), {"b"}},
        ExtractCase{"start_position_one", "{a}{b}", "{", "}", start_at(1), {"a", "b"}},
        ExtractCase{"start_beyond_end", "{a}{b}", "{", "}", start_at(7), {}},
        ExtractCase{"empty_left_marker", "{a}", "", "}", {}, {}},
        ExtractCase{"empty_right_marker", "{a}", "{", "", {}, {}},
        ExtractCase{"ends_at_zero_byte", "{a}\0{b}"s, "{", "}", {}, {"a"}}),
    [](const testing::TestParamInfo<ExtractCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane
