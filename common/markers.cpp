#include "common/markers.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/gbk_text.h"

namespace orvane {
namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

// Length of the blank starting at `i`: 1 for a space, 2 for a full-width space, else 0.
std::size_t blank_length(std::string_view s, std::size_t i) {
  if (s[i] == ' ') return 1;
  if (static_cast<unsigned char>(s[i]) == kFullWidthSpaceByte && i + 1 < s.size() &&
      static_cast<unsigned char>(s[i + 1]) == kFullWidthSpaceByte)
    return 2;
  return 0;
}

std::string build_piece(std::string_view piece, std::string_view left, std::string_view right,
                        const ExtractOptions& options) {
  std::string stored;
  stored.reserve(left.size() + options.prefix.size() + piece.size() + options.suffix.size() +
                 right.size());
  if (options.include_left) stored.append(left);
  stored.append(as_text(options.prefix));
  stored.append(piece);
  stored.append(as_text(options.suffix));
  if (options.include_right) stored.append(right);
  return stored;
}

}  // namespace

std::string trim_spaces(std::string_view text) {
  std::string_view s = as_text(text);
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t begin = 0;
  while (begin < n) {
    std::size_t blank = blank_length(s, begin);
    if (blank == 0) break;
    begin += blank;
  }
  // One walk by characters: `end` follows the last character that is no blank. Runs of
  // eight ASCII bytes, most of a reply, go a word at a time.
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
  std::size_t end = begin;
  std::size_t i = begin;
  while (i < n) {
    std::uint64_t word = 0;
    if (i + 8 <= n && (std::memcpy(&word, b + i, 8), (word & kHigh) == 0)) {
      // Bytes that are not spaces are non-zero in `others`; the highest one is the last.
      const std::uint64_t others = word ^ kSpaces;
      if (others != 0) end = i + static_cast<std::size_t>((63 - std::countl_zero(others)) / 8) + 1;
      i += 8;
      continue;
    }
    if (b[i] < 0x80) {
      if (b[i] != ' ') end = i + 1;
      ++i;
      continue;
    }
    if (i + 1 == n) {
      // Half a character at the very end is dropped; the blanks before it stay.
      end = i;
      break;
    }
    if (blank_length(s, i) == 0) end = i + 2;
    i += 2;
  }
  return std::string(s.substr(begin, end - begin));
}

int extract_between(std::string_view text, std::string_view left, std::string_view right,
                    std::vector<std::string>& pieces, const ExtractOptions& options) {
  pieces.clear();
  std::string_view s = as_text(text);
  left = as_text(left);
  right = as_text(right);
  if (left.empty() || right.empty()) return 0;
  const bool ignore_case = !options.case_sensitive;
  const bool decorated = options.include_left || options.include_right || !options.prefix.empty() ||
                         !options.suffix.empty();
  long long p = options.start_position;
  for (;;) {
    long long f = find_text(s, left, p, ignore_case);
    if (f < 0) break;
    long long q = f + static_cast<long long>(left.size());
    long long g = find_text(s, right, q, ignore_case);
    if (g < 0) break;
    std::string piece =
        trim_spaces(s.substr(static_cast<std::size_t>(q - 1), static_cast<std::size_t>(g - q)));
    if (piece.empty()) break;
    if (options.longest_piece > 0 && piece.size() > static_cast<std::size_t>(options.longest_piece))
      break;
    pieces.push_back(decorated ? build_piece(piece, left, right, options) : std::move(piece));
    p = g;
  }
  return static_cast<int>(pieces.size());
}

}  // namespace orvane
