// Input: one flag byte, longest piece, start position, then text, left, right, prefix
// and suffix separated by 0x01. Checks the GBK search against a plain character walk
// and the shape of every stored piece.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/gbk_text.h"
#include "common/markers.h"
#include "tests/support/reference_find.h"

using orvane::test::reference_find;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::string_view> split(std::string_view s) {
  std::vector<std::string_view> parts;
  for (;;) {
    auto at = s.find('\x01');
    parts.push_back(s.substr(0, at));
    if (at == std::string_view::npos) return parts;
    s.remove_prefix(at + 1);
  }
}

bool starts_with_blank(std::string_view s) {
  return !s.empty() && (s[0] == ' ' || (s.size() > 1 && s.substr(0, 2) == "\xA1\xA1"));
}

// trim_spaces as a plain walk, one character at a time: leading blanks off, then the
// end follows the last character that is no blank; a lone lead byte at the very end is
// dropped and keeps the blanks before it.
std::string reference_trim(std::string_view text) {
  std::string_view s = orvane::as_text(text);
  const auto blank = [&](std::size_t i) -> std::size_t {
    if (s[i] == ' ') return 1;
    return i + 1 < s.size() && s.substr(i, 2) == "\xA1\xA1" ? 2 : 0;
  };
  std::size_t begin = 0;
  while (begin < s.size() && blank(begin) > 0) begin += blank(begin);
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    const std::size_t length = static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1;
    if (length == 2 && i + 1 == s.size()) {
      end = i;
      break;
    }
    if (blank(i) == 0) end = i + length;
    i += length;
  }
  return std::string(s.substr(begin, end - begin));
}

void check_pieces(std::string_view text, std::string_view left, std::string_view right,
                  const orvane::ExtractOptions& o) {
  std::vector<std::string> pieces;
  int count = orvane::extract_between(text, left, right, pieces, o);
  check(count == static_cast<int>(pieces.size()));
  left = orvane::as_text(left);
  right = orvane::as_text(right);
  std::string head = (o.include_left ? std::string(left) : "") + o.prefix;
  std::string tail = o.suffix + (o.include_right ? std::string(right) : "");
  for (const auto& p : pieces) {
    check(p.size() > head.size() + tail.size());
    check(p.compare(0, head.size(), head) == 0);
    check(p.compare(p.size() - tail.size(), tail.size(), tail) == 0);
    std::string_view piece(p.data() + head.size(), p.size() - head.size() - tail.size());
    check(!starts_with_blank(piece));
    check(o.longest_piece <= 0 || piece.size() <= static_cast<std::size_t>(o.longest_piece));
    check(orvane::as_text(text).find(piece) != std::string_view::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const unsigned flags = data[0];
  const int longest = static_cast<std::int8_t>(data[1]);
  const int start = static_cast<std::int8_t>(data[2]);
  auto parts = split(input.substr(3));
  std::string_view text = parts[0];
  std::string_view left = parts.size() > 1 ? parts[1] : "{";
  std::string_view right = parts.size() > 2 ? parts[2] : "}";

  const bool ignore_case = flags & 1;
  check(orvane::find_text(text, left, start, ignore_case) ==
        reference_find(text, left, start, ignore_case));
  check(orvane::find_text(text, right, start, !ignore_case) ==
        reference_find(text, right, start, !ignore_case));

  std::string to(right);
  to.resize(left.size(), '#');
  std::string in_place(text);
  orvane::replace_all_in_place(in_place, left, to);
  check(in_place == orvane::replace_all(text, left, to));

  std::string trimmed = orvane::trim_spaces(text);
  check(orvane::as_text(text).find(trimmed) != std::string_view::npos);
  check(!starts_with_blank(trimmed));
  check(trimmed == reference_trim(text));

  orvane::ExtractOptions o;
  o.case_sensitive = !ignore_case;
  o.include_left = flags & 2;
  o.include_right = flags & 4;
  o.longest_piece = longest;
  o.start_position = start;
  if (parts.size() > 3) o.prefix = std::string(orvane::as_text(parts[3]));
  if (parts.size() > 4) o.suffix = std::string(orvane::as_text(parts[4]));
  check_pieces(text, left, right, o);
  return 0;
}
