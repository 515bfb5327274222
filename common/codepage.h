#pragma once

#include <string>
#include <string_view>

// Code-page conversion between GBK, UTF-8 and UTF-16, and percent-encoding.
// Texts are byte strings that end at their first zero byte; a byte array (the UTF-16
// form) is a std::string of raw bytes whose zero bytes are data.
//
// GBK (936) goes through tables taken once from the system converter (iconv "CP936");
// other code pages through iconv ("UTF-8", "CP<n>"). Reading GBK, every byte of 0x80
// or more takes the byte after it, as the text search steps: a pair GBK does not map
// (user-defined area, a bad second byte, 0x80 or 0xFF first), and a lead byte with
// nothing after it, each read as one U+FFFD, so a bad byte never swallows more than
// the one byte the search also steps over. Invalid UTF-8 reads as U+FFFD per bad byte.

namespace orvane {

inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;
// The system code page the program is made for: GBK.
inline constexpr int kCodePageSystem = kCodePageGbk;

// Decodes `text` (read up to its first zero byte) from `code_page` into UTF-16LE.
// The result always ends with one zero unit, so it holds 2 * (units + 1) bytes.
// Bytes the code page cannot decode become U+FFFD. An unknown code page gives "".
std::string ansi_to_wide(std::string_view text, int code_page = kCodePageUtf8);

// Encodes UTF-16LE units (up to the first zero unit; a trailing odd byte is ignored)
// into `code_page`. A character the code page has no form for becomes "?" (a surrogate
// pair is one character); into UTF-8 a lone surrogate becomes U+FFFD. An unknown code
// page gives "".
std::string wide_to_ansi(std::string_view utf16le, int code_page = kCodePageSystem);

// Builds the GBK tables now rather than at the first conversion, for callers with idle
// time to spare (a few milliseconds of iconv calls, once per process).
void load_gbk_tables();

// GBK text in, the UTF-8 bytes of the same characters out.
std::string gbk_to_utf8(std::string_view gbk);

// UTF-8 text in, GBK out; characters GBK lacks become "?". Used where the UI hands
// text back to the core.
std::string utf8_to_gbk(std::string_view utf8);

// Writes every byte as "%" and two upper-case hex digits. With `keep_safe_chars`,
// "-", ".", digits and ASCII letters stay as they are. With `utf8_first`, the GBK text
// is converted to UTF-8 before encoding.
std::string percent_encode(std::string_view text, bool keep_safe_chars = false,
                           bool utf8_first = false);

}  // namespace orvane
