#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Decodes a field sent with \uXXXX, %uXXXX and %XX escapes (and the other escapes of a
// single-quoted JavaScript string literal) into GBK text. Input and output are GBK.
// An input that would not form a valid literal (a bare line feed, a trailing lone
// backslash) gives the empty text. Characters GBK lacks become "?".
std::string decode_escaped_unicode(std::string_view text);

}  // namespace orvane
