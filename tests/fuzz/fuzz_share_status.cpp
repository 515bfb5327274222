// The share check's verdict against a plain-byte reference: the markers are ASCII, so
// a byte-wise case-insensitive search agrees with the GBK-stepping one except where a
// match would begin on a trail byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "check/share_status.h"

namespace {

bool lower_equal(char a, char b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  return lower(a) == lower(b);
}

// Finds `marker` at a character start, stepping over double-byte characters.
bool holds(std::string_view page, std::string_view marker) {
  for (std::size_t i = 0; i + marker.size() <= page.size();) {
    std::size_t k = 0;
    while (k < marker.size() && lower_equal(page[i + k], marker[k])) ++k;
    if (k == marker.size()) return true;
    i += static_cast<unsigned char>(page[i]) >= 0x80 ? 2 : 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view page(reinterpret_cast<const char*>(data), size);
  page = page.substr(0, page.find('\0'));
  orvane::ShareStatus expected = orvane::ShareStatus::Normal;
  if (holds(page, "share_nofound_des"))
    expected = orvane::ShareStatus::Invalid;
  else if (holds(page, "module-error"))
    expected = orvane::ShareStatus::Unknown;
  if (orvane::judge_share_page(page) != expected) std::abort();
  if (orvane::judge_share_page(page, false) != orvane::ShareStatus::Unknown) std::abort();
  return 0;
}
