#include "search/record_pattern.h"

#include <cstddef>

namespace orvane {
namespace {

// The pattern read as literal delimiters with a lazy "anything" between each pair:
// 'title':'(g1)','catid':'(skipped)','filetype':'(g2)',...,'url':'(g6)'
constexpr std::string_view kOpen = "'title':'";
constexpr std::array<std::string_view, 7> kDelimiters = {"','catid':'",
                                                         "','filetype':'",
                                                         "','filesize':'",
                                                         "','hits':'",
                                                         "','sharexiazai':'",
                                                         "','url':'",
                                                         "'"};
// Which capture group the text before each delimiter is; -1: matched but not captured.
constexpr std::array<int, 7> kGroupBefore = {0, -1, 1, 2, 3, 4, 5};

// The delimiters above, put back together, must spell the pattern the tests check against.
constexpr bool spells_record_pattern() {
  std::string_view rest = kRecordPattern;
  auto take = [&rest](std::string_view part) {
    if (!rest.starts_with(part)) return false;
    rest.remove_prefix(part.size());
    return true;
  };
  if (!take(kOpen)) return false;
  for (std::size_t k = 0; k < kDelimiters.size(); ++k)
    if (!take(kGroupBefore[k] >= 0 ? "(.*?)" : ".*?") || !take(kDelimiters[k])) return false;
  return rest.empty();
}
static_assert(spells_record_pattern());

}  // namespace

// Why the earliest delimiter at each step gives the regex's answer:
// - For a fixed start, a lazy group tries the shortest text first, so it ends at the
//   earliest next delimiter from which the rest can still match. Let next(x) be where the
//   rest of the chain ends when each delimiter is taken at its first occurrence at or after
//   x; next is monotone (a later x can only find each delimiter later). So if the rest
//   matches after some later occurrence, it matches after the earliest one too, and the
//   earliest one is what the engine settles on.
// - For the start: the engine tries starts left to right, and only an occurrence of
//   'title':' can start a match. A later occurrence begins the chain later, so by the same
//   monotonicity it fails wherever the first one fails. Only the first needs trying.
std::optional<std::array<std::string_view, 6>> match_record(std::string_view piece) {
  std::size_t at = piece.find(kOpen);
  if (at == std::string_view::npos) return std::nullopt;
  at += kOpen.size();
  std::array<std::string_view, 6> groups;
  for (std::size_t k = 0; k < kDelimiters.size(); ++k) {
    const std::size_t end = piece.find(kDelimiters[k], at);
    if (end == std::string_view::npos) return std::nullopt;
    if (kGroupBefore[k] >= 0) groups[kGroupBefore[k]] = piece.substr(at, end - at);
    at = end + kDelimiters[k].size();
  }
  return groups;
}

}  // namespace orvane
