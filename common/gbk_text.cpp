#include "common/gbk_text.h"

#include <cstddef>
#include <cstring>

namespace orvane {
namespace {

constexpr bool is_high(unsigned char b) { return b >= 0x80; }

constexpr unsigned char fold(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool equal_folded(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Is `pos` the start of a character, given that `boundary` (<= pos) is one? A byte
// below 0x80 always ends a character (alone or as a trail byte), so only the run of
// high bytes right before `pos` matters: they pair up from the last low byte.
bool starts_character(const unsigned char* s, std::size_t boundary, std::size_t pos) {
  std::size_t i = pos;
  while (i > boundary && is_high(s[i - 1])) --i;
  return (pos - i) % 2 == 0;
}

std::size_t next_character(const unsigned char* s, std::size_t pos) {
  return is_high(s[pos]) ? pos + 2 : pos + 1;
}

// Finds the next byte at or after `from` (before `last`) that can begin the needle.
class FirstByteScanner {
 public:
  FirstByteScanner(const unsigned char* s, std::size_t last, unsigned char first, bool fold_case)
      : m_s(s), m_last(last), m_lower(first), m_upper(first) {
    if (fold_case && first >= 'a' && first <= 'z')
      m_upper = static_cast<unsigned char>(first - ('a' - 'A'));
    if (fold_case && first >= 'A' && first <= 'Z') m_lower = fold(first);
  }

  // Position of the next candidate at or after `from`, or the end position when none.
  std::size_t next(std::size_t from) {
    if (m_lower == m_upper) return scan(from, m_lower);
    // Each letter case keeps its own next hit, so no byte is scanned twice.
    if (m_next_lower == kUnknown || m_next_lower < from) m_next_lower = scan(from, m_lower);
    if (m_next_upper == kUnknown || m_next_upper < from) m_next_upper = scan(from, m_upper);
    return m_next_lower < m_next_upper ? m_next_lower : m_next_upper;
  }

 private:
  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

  std::size_t scan(std::size_t from, unsigned char c) const {
    if (from >= m_last) return m_last;
    const void* hit = std::memchr(m_s + from, c, m_last - from);
    return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - m_s) : m_last;
  }

  const unsigned char* m_s;
  std::size_t m_last;
  unsigned char m_lower;
  unsigned char m_upper;
  std::size_t m_next_lower = kUnknown;
  std::size_t m_next_upper = kUnknown;
};

}  // namespace

long long find_text(std::string_view text, std::string_view needle, long long start,
                    bool ignore_case) {
  if (needle.empty() || needle.size() > text.size()) return -1;
  if (start > static_cast<long long>(text.size())) return -1;
  std::size_t boundary = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  // Last position where the needle still fits, plus one.
  const std::size_t last = text.size() - needle.size() + 1;
  FirstByteScanner scanner(s, last, static_cast<unsigned char>(needle[0]), ignore_case);
  std::size_t pos = boundary;
  while (pos < last) {
    std::size_t candidate = scanner.next(pos);
    if (candidate >= last) return -1;
    if (!starts_character(s, boundary, candidate)) {
      // A trail byte: the next byte starts a character.
      boundary = pos = candidate + 1;
      continue;
    }
    // The scanner found the first byte already (either case when folding).
    const char* at = text.data() + candidate;
    bool match =
        needle.size() == 1 || (ignore_case ? equal_folded(at, needle.data(), needle.size())
                                           : std::memcmp(at, needle.data(), needle.size()) == 0);
    if (match) return static_cast<long long>(candidate) + 1;
    boundary = pos = next_character(s, candidate);
  }
  return -1;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  long long hit = find_text(text, from, 1);
  if (hit < 0) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  while (hit > 0) {
    auto at = static_cast<std::size_t>(hit - 1);
    out.append(text, copied, at - copied);
    out.append(to);
    copied = at + from.size();
    hit = find_text(text, from, static_cast<long long>(copied) + 1);
  }
  out.append(text, copied, std::string_view::npos);
  return out;
}

void replace_all_in_place(std::string& text, std::string_view from, std::string_view to) {
  if (from.size() != to.size()) return;
  // Each search starts where replace_all's would: after the last match, which is all it
  // reads, so the bytes already replaced change nothing.
  long long hit = find_text(text, from, 1);
  while (hit > 0) {
    const auto at = static_cast<std::size_t>(hit - 1);
    text.replace(at, to.size(), to);
    hit = find_text(text, from, static_cast<long long>(at + from.size()) + 1);
  }
}

}  // namespace orvane
