#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Decodes a field sent with \uXXXX, %uXXXX and %XX escapes (and the other escapes of a
// single-quoted JavaScript string literal) into GBK text. Input and output are GBK.
// An input that would not form a valid literal (a bare line feed, a trailing lone
// backslash, "\x" without two hex digits) gives the empty text. Characters GBK lacks
// become "?". Forms JSON never sends follow sloppy-mode script rules: "\0".."\377"
// are octal escapes, "\8" and "\9" the digits, a backslash before a line break is a
// line continuation. A decoded U+0000 ends the text. "’" in the result comes back as
// "'" and "{$}" as CR LF, as the wrapper that protected the literal did.
std::string decode_escaped_unicode(std::string_view text);

}  // namespace orvane
