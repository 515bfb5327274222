#include "common/gbk_text.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/reference_find.h"

namespace orvane {
namespace {

struct FindCase {
  const char* name;
  std::string text;
  std::string needle;
  long long start;
  bool ignore_case;
  long long expected;
};

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsAtCharacterStarts) {
  const FindCase& c = GetParam();
  EXPECT_EQ(find_text(c.text, c.needle, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(FindCase{"first", "abcabc", "b", 1, false, 2},
                    FindCase{"from_start", "abcabc", "c", 4, false, 6},
                    FindCase{"start_zero", "abc", "a", 0, false, 1},
                    FindCase{"start_negative", "abc", "a", -7, false, 1},
                    FindCase{"start_at_last_byte", "abc", "c", 3, false, 3},
                    FindCase{"start_beyond_end", "abc", "c", 4, false, -1},
                    FindCase{"absent", "abc", "d", 1, false, -1},
                    FindCase{"empty_needle", "abc", "", 1, false, -1},
                    FindCase{"needle_longer", "ab", "abc", 1, false, -1},
                    FindCase{"needle_at_end", "xxab", "ab", 1, false, 3},
                    FindCase{"trail_byte_is_brace", "\xB0{{", "{", 1, false, 3},
                    FindCase{"trail_after_high_run", "\xB0\xB0\xB0{", "{", 1, false, -1},
                    FindCase{"high_run_even", "\xB0\xB0{", "{", 1, false, 3},
                    FindCase{"low_byte_resyncs", "\xB0\x41\xB0{", "{", 1, false, -1},
                    FindCase{"straddling_needle", "\xD6\xD0\xCE\xC4", "\xD0\xCE", 1, false, -1},
                    FindCase{"double_byte_needle", "a\xD6\xD0\xCE\xC4", "\xCE\xC4", 1, false, 4},
                    FindCase{"start_on_trail_counts", "\xB0{", "{", 2, false, 2},
                    FindCase{"dangling_lead", "a\xB0", "\xB0", 1, false, 2},
                    FindCase{"case_exact", "ABC", "b", 1, false, -1},
                    FindCase{"case_folded", "ABC", "b", 1, true, 2},
                    FindCase{"case_folded_upper_needle", "xabc", "BC", 1, true, 3},
                    FindCase{"fold_letters_only", "[", "{", 1, true, -1},
                    FindCase{"fold_skips_trail",
                             "\xB0"
                             "aA",
                             "a", 1, true, 3}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(FindTextRandom, AgreesWithCharacterByCharacterSearch) {
  const std::string alphabet = "aAb{ \xB0\xA1\x7B";
  std::mt19937 rng(12345);
  auto random_text = [&](std::size_t max_len) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string text = random_text(40);
    std::string needle = random_text(3);
    long long start = static_cast<long long>(rng() % 44) - 2;
    bool ignore_case = rng() % 2 == 0;
    ASSERT_EQ(find_text(text, needle, start, ignore_case),
              test::reference_find(text, needle, start, ignore_case))
        << "text=" << testing::PrintToString(text) << " needle=" << testing::PrintToString(needle)
        << " start=" << start << " ignore_case=" << ignore_case;
  }
}

struct ReplaceCase {
  const char* name;
  std::string text;
  std::string from;
  std::string to;
  std::string expected;
};

class ReplaceAllTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesEveryOccurrenceLeftToRight) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(replace_all(c.text, c.from, c.to), c.expected);
  if (c.from.size() == c.to.size()) {
    std::string in_place = c.text;
    replace_all_in_place(in_place, c.from, c.to);
    EXPECT_EQ(in_place, c.expected) << "in place";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    testing::Values(ReplaceCase{"every", "a'b'c", "'", "\xA1\xAF",
                                "a\xA1\xAF"
                                "b\xA1\xAF"
                                "c"},
                    ReplaceCase{"none", "abc", "x", "y", "abc"},
                    ReplaceCase{"empty_from", "abc", "", "y", "abc"},
                    ReplaceCase{"non_overlapping", "aaa", "aa", "b", "ba"},
                    ReplaceCase{"no_rescan_of_output", "aba", "a", "aa", "aabaa"},
                    ReplaceCase{"exact_case", "aA", "a", "b", "bA"},
                    ReplaceCase{"to_empty", "a{$}b{$}", "{$}", "", "ab"},
                    ReplaceCase{"skips_trail_byte", "\xB0'x'", "'", "Q", "\xB0'xQ"},
                    ReplaceCase{"whole_text", "ab", "ab", "", ""},
                    ReplaceCase{"same_length_non_overlapping", "aaaa\\uu", "aa", "ba", "baba\\uu"},
                    ReplaceCase{"same_length_skips_trail_byte", "\xB0\\u\\u\xB0\\", "\\u", "%u",
                                "\xB0\\u%u\xB0\\"}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane
