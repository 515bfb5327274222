// Any reply parses without failing; the one-at-a-time reader agrees with the whole parse;
// the fields kept as received are pieces of the reply after the quote swap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "search/search_reply.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const auto records = orvane::parse_search_reply(reply);

  orvane::SearchReplyReader reader{std::string(reply)};
  check(reader.size() == records.size());
  for (const auto& expected : records) {
    const auto record = reader.next();
    check(record.has_value() && *record == expected);
  }
  check(!reader.next().has_value());

  // The swap steps by character: a quote byte that trails a double-byte character stays.
  std::string swapped(reply.substr(0, reply.find('\0')));
  for (std::size_t i = 0; i < swapped.size();) {
    const auto b = static_cast<unsigned char>(swapped[i]);
    if (b == '"') swapped[i] = '\'';
    i += b >= 0x80 ? 2 : 1;
  }
  for (const auto& r : records)
    for (const std::string* field : {&r.file_size, &r.views, &r.downloads, &r.share_id})
      check(swapped.find(*field) != std::string::npos);
  return 0;
}
