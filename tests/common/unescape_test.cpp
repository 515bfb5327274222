#include "common/unescape.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/codepage.h"
#include "common/gbk_text.h"

namespace orvane {
namespace {

using namespace std::string_literals;

const std::string kZhong = "\xD6\xD0";             // 中
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kRightQuote = "\xA1\xAF";        // ’

struct DecodeCase {
  const char* name;
  std::string input;
  std::string expected;
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, Decodes) {
  EXPECT_EQ(decode_escaped_unicode(GetParam().input), GetParam().expected);
}

std::string case_name(const testing::TestParamInfo<DecodeCase>& info) {
  return std::string(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, DecodeTest,
    testing::Values(DecodeCase{"backslash_u", "\\u4e2d\\u6587", kZhongWen},
                    DecodeCase{"percent_u", "%u4e2d%u6587", kZhongWen},
                    DecodeCase{"percent_u_upper_hex", "%u4E2D", kZhong},
                    DecodeCase{"percent_hex", "%41%20%42", "A B"},
                    DecodeCase{"latin1_via_percent", "%E9", "\xA8\xA6"},
                    DecodeCase{"plain_with_apostrophes", "it's O'Neil", "it's O'Neil"},
                    DecodeCase{"upper_u_is_no_escape", "\\U4E2D", "U4E2D"},
                    DecodeCase{"json_escaped_backslash", "\\\\u4e2d", kZhong},
                    DecodeCase{"slash", "a\\/b", "a/b"},
                    DecodeCase{"controls", "\\b\\f\\n\\r\\t\\v", "\b\f\n\r\t\v"},
                    DecodeCase{"right_quote_escape_gives_apostrophe", "\\u2019", "'"},
                    DecodeCase{"right_quote_percent", "%u2019", "'"},
                    DecodeCase{"right_quote_in_input", kRightQuote, "'"},
                    DecodeCase{"escaped_right_quote", "\\" + kRightQuote, "'"},
                    DecodeCase{"escaped_apostrophe", "\\'", "'"},
                    DecodeCase{"escaped_backslash", "a\\\\b", "a\\b"},
                    DecodeCase{"escaped_double_quote", "\\\"", "\""},
                    DecodeCase{"other_letter", "\\a\\q", "aq"},
                    DecodeCase{"escaped_percent_still_unescaped", "\\%41", "A"},
                    DecodeCase{"escaped_double_byte", "\\" + kZhong, kZhong},
                    DecodeCase{"hex_escape", "\\x41\\x62", "Ab"},
                    DecodeCase{"hex_escape_then_unescape", "\\x25u4e2d", kZhong},
                    DecodeCase{"trail_5c_is_no_backslash", "\x81\x5Cu4e2d", "\x81\x5Cu4e2d"},
                    DecodeCase{"lone_percent", "100%", "100%"},
                    DecodeCase{"percent_not_hex", "%zz%4", "%zz%4"},
                    DecodeCase{"short_percent_u", "%u12", "%u12"},
                    DecodeCase{"percent_u_falls_back_to_two", "%u4", "%u4"},
                    DecodeCase{"outside_gbk", "\\u0e01", "?"},
                    DecodeCase{"surrogate_pair", "%uD83D%uDE00", "?"},
                    DecodeCase{"lone_surrogate", "%uD800x", "?x"},
                    DecodeCase{"decoded_crlf_mark", "%7B$%7D", "\r\n"},
                    DecodeCase{"crlf_mark_in_input", "a{$}b", "a\r\nb"},
                    DecodeCase{"empty", "", ""}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, DecodeTest,
    testing::Values(DecodeCase{"crlf_kept", "a\r\nb", "a\r\nb"},
                    DecodeCase{"leading_lone_cr_removed", "\rabc", "abc"},
                    DecodeCase{"leading_cr_before_crlf", "\r\r\nabc", "\r\nabc"},
                    DecodeCase{"lone_lf", "a\nb", ""}, DecodeCase{"lone_lf_at_end", "ab\n", ""},
                    DecodeCase{"lone_cr_inside", "a\rb", ""},
                    DecodeCase{"trailing_backslash", "abc\\", ""},
                    DecodeCase{"trailing_odd_backslashes", "abc\\\\\\", ""},
                    DecodeCase{"continuation_lf", "a\\\nb", "ab"},
                    DecodeCase{"continuation_cr", "a\\\rb", "ab"},
                    // CR LF is already "{$}" when the literal is read: "\{" gives "{".
                    DecodeCase{"backslash_before_crlf", "a\\\r\nb", "a\r\nb"}),
    case_name);

// Forms JSON never sends, decided as a sloppy-mode script engine does.
INSTANTIATE_TEST_SUITE_P(
    OpenForms, DecodeTest,
    testing::Values(DecodeCase{"octal_three_digits", "\\101\\060", "A0"},
                    DecodeCase{"octal_one_digit", "\\1x", "\x01x"},
                    DecodeCase{"octal_stops_at_8", "\\18",
                               "\x01"
                               "8"},
                    DecodeCase{"octal_high_first_digit_takes_two", "\\777", "?7"},
                    DecodeCase{"octal_four_hundred", "\\400", " 0"},
                    DecodeCase{"octal_377_not_in_gbk", "\\377", "?"},
                    DecodeCase{"eight_and_nine", "\\8\\9", "89"},
                    DecodeCase{"octal_zero_ends_text", "a\\0b", "a"},
                    DecodeCase{"zero_then_eight", "a\\08", "a"},
                    DecodeCase{"hex_one_digit", "\\x4", ""}, DecodeCase{"hex_not_hex", "\\xZZ", ""},
                    DecodeCase{"hex_at_end", "ab\\x", ""},
                    DecodeCase{"decoded_zero_ends_text", "ab%00cd", "ab"},
                    DecodeCase{"hex_zero_ends_text", "ab\\x00cd", "ab"}),
    case_name);

// Input bytes that are not valid GBK: a lead byte always takes the next byte, as the
// text search does, and an unmapped pair reads as one "?".
INSTANTIATE_TEST_SUITE_P(InvalidInput, DecodeTest,
                         testing::Values(DecodeCase{"byte_ff",
                                                    "a\xFF"
                                                    "b",
                                                    "a?"},
                                         DecodeCase{"lead_at_end", "ab\x81", "ab?"},
                                         DecodeCase{"lead_takes_line_feed", "a\x81\nb", "a?b"},
                                         DecodeCase{"lead_takes_apostrophe", "a\x81'b", "a?b"},
                                         DecodeCase{"trail_5c_then_escape", "\x81\\\\u4e2d",
                                                    "\x81\\" + kZhong},
                                         DecodeCase{"ends_at_zero_byte", "a\0\\n"s, "a"},
                                         DecodeCase{"zero_byte_hides_bad_tail", "ok\0\n\\"s, "ok"}),
                         case_name);

// --- Differential check against a real script engine -------------------------------

const char kNodeScript[] = R"js(
const lines = require('fs').readFileSync(0, 'utf8').split('\n').filter((l) => l.length);
const out = [];
for (const line of lines) {
  let result = null;
  try {
    (0, eval)("function xx(){var x='" + JSON.parse(line) + "';return unescape(x);}");
    const r = xx();
    result = [];
    for (let i = 0; i < r.length; i++) result.push(r.charCodeAt(i));
  } catch (e) {
    result = null;
  }
  out.push(JSON.stringify(result));
}
process.stdout.write(out.join('\n') + '\n');
)js";

bool have_node() { return std::system("node --version >/dev/null 2>&1") == 0; }

// The program's own wrapping steps, done here with the public helpers.
std::string protect(const std::string& gbk) {
  std::string s = replace_all(gbk, "\r\n", "{$}");
  if (!s.empty() && s[0] == '\r') s.erase(0, 1);
  s = replace_all(s, "\\u", "%u");
  return replace_all(s, "'", kRightQuote);
}

std::string json_string(const std::string& utf16le) {
  std::string json = "\"";
  char buf[8];
  for (std::size_t i = 0; i + 3 < utf16le.size(); i += 2) {  // the zero unit stays out
    unsigned unit =
        static_cast<unsigned char>(utf16le[i]) | (static_cast<unsigned char>(utf16le[i + 1]) << 8);
    std::snprintf(buf, sizeof buf, "\\u%04x", unit);
    json += buf;
  }
  return json + "\"";
}

// "null" -> nullopt; "[1,2]" -> the UTF-16LE bytes of those units.
std::optional<std::string> parse_units(const std::string& line) {
  if (line == "null") return std::nullopt;
  std::string bytes;
  std::istringstream in(line.substr(1, line.size() - 2));
  std::string item;
  while (std::getline(in, item, ',')) {
    unsigned unit = static_cast<unsigned>(std::stoul(item));
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string engine_result(const std::optional<std::string>& units) {
  if (!units) return {};
  std::string gbk = wide_to_ansi(*units, kCodePageGbk);  // stops at a U+0000
  return replace_all(replace_all(gbk, kRightQuote, "'"), "{$}", "\r\n");
}

std::vector<std::string> random_fields(std::size_t count) {
  const std::vector<std::string> tokens = {
      "\\", "\\\\", "u",    "U",         "x",    "0",    "1",    "3",   "4",   "7",    "8", "9",
      "a",  "e",    "F",    "g",         "%",    "%u",   "'",    "\r",  "\n",  "\r\n", "{", "$",
      "}",  "{$}",  kZhong, kRightQuote, "/",    "b",    "n",    "t",   "r",   "v",    "f", " ",
      "\"", "4e2d", "41",   "2019",      "D83D", "DE00", "0e01", "\\x", "\\0", "7B",   "00"};
  std::mt19937 rng(20240607);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < count; ++i) {
    std::string field;
    for (std::size_t n = rng() % 12; n > 0; --n) field += tokens[rng() % tokens.size()];
    fields.push_back(field);
  }
  return fields;
}

TEST(DecodeDifferential, MatchesSloppyModeScriptEngine) {
  ASSERT_TRUE(have_node()) << "node is not installed: ./dev installs it (Debian package nodejs)";
  std::vector<std::string> fields = random_fields(3000);
  fields.insert(fields.end(), {"\\101\\8", "\\x4g", "\\\r\n", "a\\\nb", "\\08", "\\400"});

  auto dir =
      std::filesystem::temp_directory_path() /
      ("orvane_unescape_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
       "_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  {
    std::ofstream(dir / "engine.js") << kNodeScript;
    std::ofstream in(dir / "in.txt", std::ios::binary);
    for (const auto& f : fields) in << json_string(ansi_to_wide(protect(f), kCodePageGbk)) << "\n";
  }
  std::string command = "node " + (dir / "engine.js").string() + " < " + (dir / "in.txt").string() +
                        " > " + (dir / "out.txt").string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream out(dir / "out.txt", std::ios::binary);
  std::string line;
  std::size_t i = 0;
  for (; i < fields.size() && std::getline(out, line); ++i) {
    EXPECT_EQ(decode_escaped_unicode(fields[i]), engine_result(parse_units(line)))
        << "input " << testing::PrintToString(fields[i]);
  }
  EXPECT_EQ(i, fields.size());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvane
