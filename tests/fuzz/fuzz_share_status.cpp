// The share check's verdict against the plain character-by-character reference search.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "check/share_status.h"
#include "tests/support/reference_find.h"

namespace {

bool holds(std::string_view page, std::string_view marker) {
  return orvane::test::reference_find(page, marker, 1, /*ignore_case=*/true) >= 1;
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
