#include "tools/stub-service/catalogue.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace orvane::stub {
namespace {

constexpr std::string_view kFixedRefused[] = {"refused"};

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string folded(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), fold);
  return out;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> split_tabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const auto tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool parse_count(std::string_view text, long long& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

std::optional<ShareState> parse_state(std::string_view text) {
  if (text == "alive") return ShareState::Alive;
  if (text == "missing") return ShareState::Missing;
  if (text == "broken") return ShareState::Broken;
  return std::nullopt;
}

bool valid_id(std::string_view id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

std::optional<Share> parse_share(std::string_view line) {
  const auto f = split_tabs(line);
  if (f.size() != 8) return std::nullopt;
  Share share{std::string(f[0]), std::string(f[1]), std::string(f[2]), std::string(f[3]), 0, 0,
              std::string(f[6]), ShareState::Alive};
  const auto state = parse_state(f[7]);
  if (!valid_id(share.id) || share.title.empty() || !parse_count(f[4], share.views) ||
      !parse_count(f[5], share.downloads) || !state)
    return std::nullopt;
  share.state = *state;
  return share;
}

// A coarse category for "catid", which the program reads past but the format carries.
std::string_view category_of(std::string_view type) {
  for (std::string_view t : {"mp4", "mkv", "avi"})
    if (type == t) return "1";
  for (std::string_view t : {"pdf", "doc", "xls", "ppt", "txt", "epub"})
    if (type == t) return "2";
  for (std::string_view t : {"mp3", "flac"})
    if (type == t) return "3";
  for (std::string_view t : {"exe", "iso", "zip"})
    if (type == t) return "4";
  return "5";
}

// Length of the UTF-8 sequence starting with `lead`, 0 if it cannot start one.
int sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes one character at `i`; advances `i`. Returns 0xFFFD for a bad sequence.
char32_t next_code_point(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const int length = sequence_length(lead);
  if (length == 0 || i + length > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  i += length;
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

void append_u(std::string& out, unsigned unit) {
  constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

void append_field(std::string& out, std::string_view key, std::string_view value, bool first) {
  if (!first) out += ',';
  out += '"';
  out += key;
  out += "\":\"";
  out += value;
  out += '"';
}

std::string record_json(const Share& s) {
  std::string out = "{";
  append_field(out, "title", escape_json_ascii(s.title), true);
  append_field(out, "catid", category_of(s.file_type), false);
  append_field(out, "filetype", escape_json_ascii(s.file_type), false);
  append_field(out, "filesize", s.size, false);
  append_field(out, "hits", std::to_string(s.views), false);
  append_field(out, "sharexiazai", std::to_string(s.downloads), false);
  append_field(out, "url", s.id, false);
  out += '}';
  return out;
}

}  // namespace

Order order_from_param(std::string_view value) {
  if (value == "1") return Order::Updated;
  if (value == "2") return Order::Views;
  return Order::Relevance;
}

const Share* Catalogue::find(std::string_view id) const {
  const auto it =
      std::find_if(shares.begin(), shares.end(), [&](const Share& s) { return s.id == id; });
  return it == shares.end() ? nullptr : &*it;
}

std::optional<Catalogue> parse_catalogue(std::string_view text, std::string& error) {
  Catalogue catalogue;
  std::size_t line_no = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    auto line = text.substr(start, end - start);
    start = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line_no == 1 || trimmed(line).empty()) continue;
    if (line.starts_with("#refused\t")) {
      catalogue.refused.push_back(folded(trimmed(line.substr(9))));
      continue;
    }
    if (line.starts_with('#')) continue;
    auto share = parse_share(line);
    if (!share) {
      error = "line " + std::to_string(line_no) + ": expected 8 tab-separated columns " +
              "(id, title, file type, size, views, downloads, updated, state)";
      return std::nullopt;
    }
    catalogue.shares.push_back(std::move(*share));
  }
  return catalogue;
}

std::optional<Catalogue> load_catalogue(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the data file " + path;
    return std::nullopt;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read the data file " + path;
    return std::nullopt;
  }
  auto catalogue = parse_catalogue(text, error);
  if (!catalogue) error = path + ": " + error;
  return catalogue;
}

bool is_refused(const Catalogue& catalogue, std::string_view keyword) {
  const auto key = folded(trimmed(keyword));
  if (key.empty()) return true;
  for (auto word : kFixedRefused)
    if (key == word) return true;
  return std::find(catalogue.refused.begin(), catalogue.refused.end(), key) !=
         catalogue.refused.end();
}

std::vector<const Share*> search(const Catalogue& catalogue, std::string_view keyword,
                                 Order order) {
  const auto key = folded(keyword);
  std::vector<const Share*> hits;
  if (key.empty()) return hits;
  for (const auto& share : catalogue.shares)
    if (folded(share.title).find(key) != std::string::npos) hits.push_back(&share);

  switch (order) {
    case Order::Relevance:
      std::stable_partition(hits.begin(), hits.end(),
                            [&](const Share* s) { return folded(s->title).starts_with(key); });
      break;
    case Order::Updated:
      std::stable_sort(hits.begin(), hits.end(),
                       [](const Share* a, const Share* b) { return a->updated > b->updated; });
      break;
    case Order::Views:
      std::stable_sort(hits.begin(), hits.end(),
                       [](const Share* a, const Share* b) { return a->views > b->views; });
      break;
  }
  return hits;
}

std::string search_reply_body(const std::vector<const Share*>& hits) {
  if (hits.empty()) return "empty";
  std::string out = "{\"total\":\"" + std::to_string(hits.size()) + "\",\"list\":[";
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i > 0) out += ',';
    out += record_json(*hits[i]);
  }
  out += "]}";
  return out;
}

std::string escape_json_ascii(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = next_code_point(utf8, i);
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x7F) {
      out += static_cast<char>(cp);
    } else if (cp < 0x10000) {
      append_u(out, static_cast<unsigned>(cp));
    } else {
      const auto v = static_cast<unsigned>(cp - 0x10000);
      append_u(out, 0xD800 + (v >> 10));
      append_u(out, 0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

}  // namespace orvane::stub
