#pragma once

#include <string>
#include <string_view>

// The one forward search and replace-all over GBK texts. Searches step character by
// character: a byte of 0x80 or more and the byte after it are one character, so a
// match never begins at the second byte of a double-byte character.

namespace orvane {

// Returns the 1-based position of the first match of `needle` in `text` at or after
// `start` (1 or less means the first byte), or -1. An empty needle is never found.
// `ignore_case` folds the ASCII letters only. Searches all bytes of `text`: pass a
// Text through as_text() first. Linear time (memchr for the needle's first byte).
long long find_text(std::string_view text, std::string_view needle, long long start = 1,
                    bool ignore_case = false);

// Replaces every occurrence of `from` by `to`, left to right, exact case.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// The same, in `text` itself, for a `to` as long as `from` (otherwise nothing changes).
void replace_all_in_place(std::string& text, std::string_view from, std::string_view to);

// `text` up to its first zero byte: how every routine reads a Text.
inline std::string_view as_text(std::string_view bytes) {
  auto zero = bytes.find('\0');
  return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

}  // namespace orvane
