#include "common/markers.h"

#include <cstddef>

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

std::size_t character_length(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1;
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
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t n = blank_length(s, begin);
    if (n == 0) break;
    begin += n;
  }
  std::size_t end = s.size();
  std::size_t run = std::string_view::npos;  // where the current run of blanks began
  for (std::size_t i = begin; i < s.size();) {
    if (character_length(s, i) == 2 && i + 1 == s.size()) {
      // Half a character at the very end is dropped; the blanks before it stay.
      end = i;
      run = std::string_view::npos;
      break;
    }
    std::size_t n = blank_length(s, i);
    if (n > 0 && run == std::string_view::npos) run = i;
    if (n == 0) run = std::string_view::npos;
    i += n > 0 ? n : character_length(s, i);
  }
  if (run != std::string_view::npos) end = run;
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
    pieces.push_back(build_piece(piece, left, right, options));
    p = g;
  }
  return static_cast<int>(pieces.size());
}

}  // namespace orvane
