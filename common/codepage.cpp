#include "common/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/gbk_table.h"
#include "common/gbk_text.h"

namespace orvane {
namespace {

constexpr char16_t kReplacementUnit = 0xFFFD;

class Iconv {
 public:
  Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(m_cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return m_cd; }
  void reset() const { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t m_cd;
};

// The 936 tables: index (lead - 0x80) * 256 + trail gives the unit, 0 when unmapped;
// a unit gives the two-byte code, 0 when GBK has none.
struct GbkTables {
  std::vector<char16_t> to_unicode = std::vector<char16_t>(128 * 256, 0);
  std::vector<std::uint16_t> from_unicode = std::vector<std::uint16_t>(65536, 0);
};

char16_t decode_pair(const Iconv& cd, unsigned char lead, unsigned char trail) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out[8];
  char* ip = in;
  char* op = out;
  std::size_t il = sizeof in;
  std::size_t ol = sizeof out;
  cd.reset();
  if (iconv(cd.get(), &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0 ||
      sizeof out - ol != 2)
    return 0;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               (static_cast<unsigned char>(out[1]) << 8));
}

GbkTables build_tables() {
  GbkTables t;
  Iconv cd("UTF-16LE", "CP936");
  if (!cd.ok()) return t;  // no converter: every non-ASCII character reads as U+FFFD
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      char16_t unit =
          decode_pair(cd, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
      if (unit < 0x80 || unit == kReplacementUnit) continue;
      t.to_unicode[(lead - 0x80) * 256 + trail] = unit;
      if (t.from_unicode[unit] == 0)
        t.from_unicode[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
    }
  }
  return t;
}

const GbkTables& gbk_tables() {
  static const GbkTables tables = build_tables();
  return tables;
}

std::string iconv_name(int code_page) {
  if (code_page == kCodePageUtf8) return "UTF-8";
  return "CP" + std::to_string(code_page);
}

// Converts all of `in` with iconv. What cannot be converted becomes `replacement`
// and the input moves on by `step` bytes (one input unit). False when the converter
// does not exist.
bool convert(const std::string& to, const std::string& from, std::string_view in, std::size_t step,
             std::string_view replacement, std::string& out) {
  Iconv cd(to.c_str(), from.c_str());
  if (!cd.ok()) return false;
  out.assign(in.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(in.data());
  std::size_t il = in.size();
  std::size_t used = 0;
  while (il > 0) {
    char* op = out.data() + used;
    std::size_t ol = out.size() - used;
    std::size_t r = iconv(cd.get(), &ip, &il, &op, &ol);
    used = static_cast<std::size_t>(op - out.data());
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG || out.size() - used < replacement.size()) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL (cut short at the end): one replacement per input unit.
    out.replace(used, replacement.size(), replacement);
    used += replacement.size();
    std::size_t skip = il < step ? il : step;
    ip += skip;
    il -= skip;
    cd.reset();
  }
  out.resize(used);
  return true;
}

std::string units_to_bytes(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

std::u16string bytes_to_units(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto u = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (u == 0) break;
    units.push_back(u);
  }
  return units;
}

void append_hex_byte(std::string& out, unsigned char b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kDigits[b >> 4]);
  out.push_back(kDigits[b & 0x0F]);
}

bool is_safe_char(unsigned char b) {
  return b == '-' || b == '.' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
         (b >= 'a' && b <= 'z');
}

}  // namespace

namespace gbk {

void append_utf16(std::string_view gbk, std::u16string& out) {
  const GbkTables& t = gbk_tables();
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  const std::size_t base = out.size();
  out.resize(base + n);  // never more units than bytes
  char16_t* w = out.data() + base;
  for (std::size_t i = 0; i < n;) {
    unsigned char b = s[i];
    if (b < 0x80) {
      *w++ = b;
      ++i;
    } else if (i + 1 < n) {
      char16_t u = t.to_unicode[(b - 0x80) * 256 + s[i + 1]];
      *w++ = u ? u : kReplacementUnit;
      i += 2;
    } else {
      *w++ = kReplacementUnit;
      ++i;
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

void append_gbk(std::u16string_view units, std::string& out) {
  const GbkTables& t = gbk_tables();
  const std::size_t base = out.size();
  out.resize(base + units.size() * 2);  // at most two bytes a unit
  char* w = out.data() + base;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t u = units[i];
    if (u < 0x80) {
      *w++ = static_cast<char>(u);
      continue;
    }
    // A surrogate pair is one character, and GBK has none of them.
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      ++i;
    std::uint16_t code = t.from_unicode[u];
    if (code == 0 || (u >= 0xD800 && u <= 0xDFFF)) {
      *w++ = '?';
    } else {
      *w++ = static_cast<char>(code >> 8);
      *w++ = static_cast<char>(code & 0xFF);
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

}  // namespace gbk

std::string ansi_to_wide(std::string_view text, int code_page) {
  std::string_view t = as_text(text);
  if (code_page == kCodePageGbk) {
    std::u16string units;
    gbk::append_utf16(t, units);
    units.push_back(u'\0');
    return units_to_bytes(units);
  }
  std::string wide;
  if (!convert("UTF-16LE", iconv_name(code_page), t, 1, "\xFD\xFF", wide)) return {};
  wide.append(2, '\0');
  return wide;
}

std::string wide_to_ansi(std::string_view utf16le, int code_page) {
  std::u16string units = bytes_to_units(utf16le);
  std::string out;
  if (code_page == kCodePageGbk) {
    gbk::append_gbk(units, out);
    return out;
  }
  std::string_view replacement = code_page == kCodePageUtf8 ? "\xEF\xBF\xBD" : "?";
  std::string bytes = units_to_bytes(units);
  if (!convert(iconv_name(code_page), "UTF-16LE", bytes, 2, replacement, out)) return {};
  return std::string(as_text(out));
}

void load_gbk_tables() { gbk_tables(); }

std::string gbk_to_utf8(std::string_view gbk) {
  return wide_to_ansi(ansi_to_wide(gbk, kCodePageGbk), kCodePageUtf8);
}

std::string utf8_to_gbk(std::string_view utf8) {
  return wide_to_ansi(ansi_to_wide(utf8, kCodePageUtf8), kCodePageGbk);
}

std::string percent_encode(std::string_view text, bool keep_safe_chars, bool utf8_first) {
  std::string converted;
  std::string_view bytes = as_text(text);
  if (utf8_first) {
    converted = gbk_to_utf8(bytes);
    bytes = converted;
  }
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (keep_safe_chars && is_safe_char(b))
      out.push_back(c);
    else
      append_hex_byte(out, b);
  }
  return out;
}

}  // namespace orvane
