// Differential: match_record must give exactly the groups Boost.Regex gives for the same
// pattern text on every input (kept small, since Boost is super-linear on some shapes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include <boost/regex.hpp>

#include "search/record_pattern.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

constexpr std::size_t kLargestInput = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kLargestInput) return 0;
  const std::string piece(reinterpret_cast<const char*>(data), size);
  const auto ours = orvane::match_record(piece);
  if (ours) {
    for (auto group : *ours)
      check(group.data() >= piece.data() &&
            group.data() + group.size() <= piece.data() + piece.size());
  }

  static const boost::regex reference(std::string(orvane::kRecordPattern), boost::regex::perl);
  boost::smatch m;
  bool found = false;
  try {
    found = boost::regex_search(piece, m, reference, boost::match_default);
  } catch (const std::runtime_error&) {
    return 0;  // Boost gave up; nothing to compare against
  }
  check(found == ours.has_value());
  if (!found) return 0;
  for (int k = 0; k < 6; ++k) {
    check(m.position(k + 1) == (*ours)[k].data() - piece.data());
    check(m[k + 1].str() == (*ours)[k]);
  }
  return 0;
}
