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

void replace_in(std::string& s, std::string_view from, std::string_view to) {
  if (find_text(s, from) > 0) s = replace_all(s, from, to);
}

std::string protect(std::string_view text) {
  std::string s(text);
  replace_in(s, "\r\n", kCrLfMark);
  if (!s.empty() && s[0] == '\r') s.erase(0, 1);
  replace_all_in_place(s, "\\u", "%u");
  replace_in(s, "'", kRightQuote);
  return s;
}

void unprotect(std::string& text) {
  replace_in(text, kRightQuote, "'");
  replace_in(text, kCrLfMark, "\r\n");
}

// Both decoding stages work in place: no escape is shorter than what it stands for, so
// the write position never passes the read position.
struct Writer {
  char16_t* at;
  void put(char16_t c) { *at++ = c; }
};

// Legacy octal escape: up to three digits from 0-3, up to two from 4-7 (at most \377).
std::size_t read_octal(std::u16string_view s, std::size_t i, Writer& out) {
  int value = s[i] - u'0';
  std::size_t longest = value <= 3 ? 3 : 2;
  std::size_t used = 1;
  while (used < longest && i + used < s.size() && is_octal(s[i + used])) {
    value = value * 8 + (s[i + used] - u'0');
    ++used;
  }
  out.put(static_cast<char16_t>(value));
  return used;
}

// Reads the escape whose letter is at `i` (just after the backslash). Returns how many
// units it used, or 0 when the literal does not compile.
std::size_t read_escape(std::u16string_view s, std::size_t i, Writer& out) {
  char16_t e = s[i];
  switch (e) {
    case u'b':
      out.put(u'\b');
      return 1;
    case u'f':
      out.put(u'\f');
      return 1;
    case u'n':
      out.put(u'\n');
      return 1;
    case u'r':
      out.put(u'\r');
      return 1;
    case u't':
      out.put(u'\t');
      return 1;
    case u'v':
      out.put(u'\v');
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
      out.put(static_cast<char16_t>(v));
      return 3;
    }
    case u'u': {  // only reachable through a trail byte; "\u" was rewritten to "%u"
      long v = hex_run(s, i + 1, 4);
      if (v < 0) return 0;
      out.put(static_cast<char16_t>(v));
      return 5;
    }
    default:
      break;
  }
  if (is_octal(e)) return read_octal(s, i, out);
  out.put(e);  // \8, \9 and every other character stand for themselves
  return 1;
}

// Replaces `s` by its value as the body of a single-quoted literal; false when it
// would not compile (a bare line break, a stray quote, a backslash escaping the
// closing quote).
bool read_literal(std::u16string& s) {
  std::u16string_view in(s);
  Writer out{s.data()};
  for (std::size_t i = 0; i < in.size();) {
    char16_t c = in[i];
    if (c == u'\\') {
      if (i + 1 == in.size()) return false;
      std::size_t used = read_escape(in, i + 1, out);
      if (used == 0) return false;
      i += 1 + used;
      continue;
    }
    if (c == u'\n' || c == u'\r' || c == u'\'') return false;
    out.put(c);
    ++i;
  }
  s.resize(static_cast<std::size_t>(out.at - s.data()));
  return true;
}

// The script unescape(), in place: %uXXXX and %XX decode, every other "%" stays.
void unescape(std::u16string& s) {
  std::u16string_view in(s);
  Writer out{s.data()};
  for (std::size_t i = 0; i < in.size();) {
    if (in[i] == u'%') {
      if (i + 1 < in.size() && in[i + 1] == u'u') {
        long v = hex_run(in, i + 2, 4);
        if (v >= 0) {
          out.put(static_cast<char16_t>(v));
          i += 6;
          continue;
        }
      }
      long v = hex_run(in, i + 1, 2);
      if (v >= 0) {
        out.put(static_cast<char16_t>(v));
        i += 3;
        continue;
      }
    }
    out.put(in[i]);
    ++i;
  }
  s.resize(static_cast<std::size_t>(out.at - s.data()));
}

}  // namespace

std::string decode_escaped_unicode(std::string_view text) {
  std::u16string units;
  gbk::append_utf16(protect(as_text(text)), units);
  if (!read_literal(units)) return {};
  unescape(units);
  // The result is a text: a decoded U+0000 ends it.
  std::u16string_view kept(units);
  kept = kept.substr(0, kept.find(u'\0'));
  std::string gbk;
  gbk::append_gbk(kept, gbk);
  unprotect(gbk);
  return gbk;
}

}  // namespace orvane
