// First byte: which conversion and its options; the rest is the input. Checks the shape
// of every result and the round trips that must hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/codepage.h"
#include "common/gbk_text.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

int hex(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

std::string percent_decode(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      check((s[i] >= '0' && s[i] <= '9') || (s[i] >= 'A' && s[i] <= 'Z') ||
            (s[i] >= 'a' && s[i] <= 'z') || s[i] == '-' || s[i] == '.');
      out.push_back(s[i]);
      continue;
    }
    check(i + 2 < s.size());
    check(std::string_view("0123456789ABCDEF").find(s[i + 1]) != std::string_view::npos);
    check(std::string_view("0123456789ABCDEF").find(s[i + 2]) != std::string_view::npos);
    out.push_back(static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2])));
    i += 2;
  }
  return out;
}

bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

void check_wide(const std::string& wide) {
  check(wide.size() >= 2 && wide.size() % 2 == 0);
  for (std::size_t i = 0; i + 2 < wide.size(); i += 2) check(wide[i] != 0 || wide[i + 1] != 0);
  check(wide[wide.size() - 2] == 0 && wide[wide.size() - 1] == 0);
}

void fuzz_percent(std::string_view text, bool keep, bool utf8_first) {
  std::string encoded = orvane::percent_encode(text, keep, utf8_first);
  std::string expected =
      utf8_first ? orvane::gbk_to_utf8(text) : std::string(orvane::as_text(text));
  check(percent_decode(encoded) == expected);
  if (!keep) check(encoded.size() == 3 * expected.size());
}

void fuzz_gbk(std::string_view text) {
  std::string utf8 = orvane::gbk_to_utf8(text);
  check(is_utf8(utf8) && utf8.find('\0') == std::string::npos);
  std::string wide = orvane::ansi_to_wide(text, orvane::kCodePageGbk);
  check_wide(wide);
  // Without unreadable bytes the way back gives the same text.
  bool readable = true;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
    readable = readable && !(wide[i] == '\xFD' && wide[i + 1] == '\xFF');
  if (readable) check(orvane::utf8_to_gbk(utf8) == orvane::as_text(text));
}

void fuzz_wide(std::string_view bytes, int code_page) {
  std::string text = orvane::wide_to_ansi(bytes, code_page);
  check(text.find('\0') == std::string::npos);
  if (code_page == orvane::kCodePageUtf8) check(is_utf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned mode = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  static constexpr int kCodePages[] = {orvane::kCodePageGbk, orvane::kCodePageUtf8, 1252};
  const int code_page = kCodePages[(mode >> 3) % 3];
  switch (mode & 7) {
    case 0:
      fuzz_percent(rest, mode & 8, mode & 16);
      break;
    case 1:
      fuzz_gbk(rest);
      break;
    case 2:
      check_wide(orvane::ansi_to_wide(rest, code_page));
      break;
    case 3:
      fuzz_wide(rest, code_page);
      break;
    default:
      check(is_utf8(orvane::gbk_to_utf8(orvane::utf8_to_gbk(rest))));
      break;
  }
  return 0;
}
