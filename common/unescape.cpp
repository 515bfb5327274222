#include "common/unescape.h"

#include <cstddef>
#include <string>

#include "common/gbk_table.h"
#include "common/gbk_text.h"

// The field is read as the body of a single-quoted script string literal (sloppy-mode
// rules, legacy octal escapes included), then passed through the script unescape().
// CR LF and "'" are carried as "{$}" and GBK "’" while the literal is read, exactly as
// the original script wrapper did, and restored at the end.

namespace orvane {
namespace {

constexpr std::string_view kRightQuote = "\xA1\xAF";  // ’ in GBK
constexpr std::string_view kCrLfMark = "{$}";

int hex_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The value of `count` hex digits at `at`, or -1 when they are not all there.
long hex_run(std::u16string_view s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return -1;
  long value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int d = hex_value(s[at + i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

bool is_octal(char16_t c) { return c >= u'0' && c <= u'7'; }

std::string protect(std::string_view text) {
  std::string s = replace_all(text, "\r\n", kCrLfMark);
  if (!s.empty() && s[0] == '\r') s.erase(0, 1);
  s = replace_all(s, "\\u", "%u");
  return replace_all(s, "'", kRightQuote);
}

std::string unprotect(std::string_view text) {
  return replace_all(replace_all(text, kRightQuote, "'"), kCrLfMark, "\r\n");
}

// Legacy octal escape: up to three digits from 0-3, up to two from 4-7 (at most \377).
std::size_t read_octal(std::u16string_view s, std::size_t i, std::u16string& out) {
  int value = s[i] - u'0';
  std::size_t longest = value <= 3 ? 3 : 2;
  std::size_t used = 1;
  while (used < longest && i + used < s.size() && is_octal(s[i + used])) {
    value = value * 8 + (s[i + used] - u'0');
    ++used;
  }
  out.push_back(static_cast<char16_t>(value));
  return used;
}

// Reads the escape whose letter is at `i` (just after the backslash). Returns how many
// units it used, or 0 when the literal does not compile.
std::size_t read_escape(std::u16string_view s, std::size_t i, std::u16string& out) {
  char16_t e = s[i];
  switch (e) {
    case u'b':
      out.push_back(u'\b');
      return 1;
    case u'f':
      out.push_back(u'\f');
      return 1;
    case u'n':
      out.push_back(u'\n');
      return 1;
    case u'r':
      out.push_back(u'\r');
      return 1;
    case u't':
      out.push_back(u'\t');
      return 1;
    case u'v':
      out.push_back(u'\v');
      return 1;
    case u'\n':
    case u'\u2028':
    case u'\u2029':
      return 1;  // line continuation
    case u'\r':
      return i + 1 < s.size() && s[i + 1] == u'\n' ? 2 : 1;
    case u'x': {
      long v = hex_run(s, i + 1, 2);
      if (v < 0) return 0;
      out.push_back(static_cast<char16_t>(v));
      return 3;
    }
    case u'u': {  // only reachable through a trail byte; "\u" was rewritten to "%u"
      long v = hex_run(s, i + 1, 4);
      if (v < 0) return 0;
      out.push_back(static_cast<char16_t>(v));
      return 5;
    }
    default:
      break;
  }
  if (is_octal(e)) return read_octal(s, i, out);
  out.push_back(e);  // \8, \9 and every other character stand for themselves
  return 1;
}

// The value of `s` as the body of a single-quoted literal; false when it would not
// compile (a bare line break, a stray quote, a backslash escaping the closing quote).
bool read_literal(std::u16string_view s, std::u16string& out) {
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char16_t c = s[i];
    if (c == u'\\') {
      if (i + 1 == s.size()) return false;
      std::size_t used = read_escape(s, i + 1, out);
      if (used == 0) return false;
      i += 1 + used;
      continue;
    }
    if (c == u'\n' || c == u'\r' || c == u'\'') return false;
    out.push_back(c);
    ++i;
  }
  return true;
}

// The script unescape(): %uXXXX and %XX decode, every other "%" stays.
std::u16string unescape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == u'%') {
      if (i + 1 < s.size() && s[i + 1] == u'u') {
        long v = hex_run(s, i + 2, 4);
        if (v >= 0) {
          out.push_back(static_cast<char16_t>(v));
          i += 6;
          continue;
        }
      }
      long v = hex_run(s, i + 1, 2);
      if (v >= 0) {
        out.push_back(static_cast<char16_t>(v));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
    ++i;
  }
  return out;
}

}  // namespace

std::string decode_escaped_unicode(std::string_view text) {
  std::string protected_text = protect(as_text(text));
  std::u16string units;
  gbk::append_utf16(protected_text, units);
  std::u16string value;
  if (!read_literal(units, value)) return {};
  std::u16string decoded = unescape(value);
  // The result is a text: a decoded U+0000 ends it.
  std::u16string_view kept(decoded);
  kept = kept.substr(0, kept.find(u'\0'));
  std::string gbk;
  gbk::append_gbk(kept, gbk);
  return unprotect(gbk);
}

}  // namespace orvane
