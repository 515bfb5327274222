// Decoding never grows a field (every escape is longer than what it stands for, and a
// character takes at most as many bytes as it came in), and a result is a text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/gbk_text.h"
#include "common/unescape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string decoded = orvane::decode_escaped_unicode(input);
  if (decoded.size() > orvane::as_text(input).size()) std::abort();
  if (decoded.find('\0') != std::string::npos) std::abort();
  return 0;
}
