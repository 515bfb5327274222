#pragma once

#include <string>
#include <string_view>

// GBK <-> UTF-16 by table, for the core's hot paths (escaped-Unicode decoding). The
// tables come from the system's code page 936 converter once per process; after that
// a conversion costs no more than a lookup per character.
//
// Reading GBK: every byte of 0x80 or more takes the byte after it, as the text search
// does, so both agree on where characters begin. A pair the code page does not map
// (including 0x80 and 0xFF as lead bytes) and a lead byte with nothing after it become
// one U+FFFD. Writing GBK: a character without a GBK form (U+FFFD, a lone surrogate,
// a surrogate pair) becomes one "?".

namespace orvane::gbk {

// Appends the UTF-16 units of `gbk` (all of it, zero bytes included) to `out`.
void append_utf16(std::string_view gbk, std::u16string& out);

// Appends the GBK form of `units` (all of them, zero units included) to `out`.
void append_gbk(std::u16string_view units, std::string& out);

}  // namespace orvane::gbk
