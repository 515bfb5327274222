#pragma once

#include <cstddef>
#include <string_view>

// Plain character-by-character GBK search: the definition the fast find_text must agree
// with. 1-based result, -1 when not found; `ignore_case` folds ASCII letters only.

namespace orvane::test {

inline long long reference_find(std::string_view text, std::string_view needle, long long start = 1,
                                bool ignore_case = false) {
  if (needle.empty() || start > static_cast<long long>(text.size())) return -1;
  auto fold = [](unsigned char b) { return (b >= 'A' && b <= 'Z') ? b + 32 : b; };
  for (std::size_t i = start <= 1 ? 0 : static_cast<std::size_t>(start - 1); i < text.size();) {
    bool match = i + needle.size() <= text.size();
    for (std::size_t k = 0; match && k < needle.size(); ++k) {
      auto a = static_cast<unsigned char>(text[i + k]);
      auto b = static_cast<unsigned char>(needle[k]);
      match = ignore_case ? fold(a) == fold(b) : a == b;
    }
    if (match) return static_cast<long long>(i) + 1;
    i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  }
  return -1;
}

}  // namespace orvane::test
