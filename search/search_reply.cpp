#include "search/search_reply.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "common/gbk_text.h"
#include "common/markers.h"
#include "common/unescape.h"
#include "search/record_pattern.h"

namespace orvane {
namespace {

// replace_all(text, "\"", "'") for this one-byte case, in place: the same character walk
// (a byte of 0x80 or more takes the byte after it, so a quote there is left alone)
// without building the result a piece at a time (about a fifth of the parse). Runs of
// eight ASCII bytes, the bulk of a reply, are checked a word at a time.
void swap_quotes(std::string& text) {
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t kQuotes = 0x2222222222222222ULL;
  constexpr unsigned kQuoteToApostrophe = '"' ^ '\'';
  char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    std::uint64_t word = 0;
    if (i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & kHigh) == 0)) {
      // The high bit of each byte that is a quote, exactly (no borrow between bytes), then
      // those bytes flipped to an apostrophe.
      const std::uint64_t x = word ^ kQuotes;
      const std::uint64_t quotes = ~(((x & kLow7) + kLow7) | x) & kHigh;
      if (quotes != 0) {
        word ^= (quotes >> 7) * kQuoteToApostrophe;
        std::memcpy(p + i, &word, 8);
      }
      i += 8;
      continue;
    }
    const auto byte = static_cast<unsigned char>(p[i]);
    if (byte == '"') p[i] = '\'';
    i += byte >= 0x80 ? 2 : 1;
  }
}

// Double quotes become single quotes first, so the record pattern accepts either. The
// swap works on the reply itself: a reply can be as large as the fetch allows.
std::vector<std::string> record_pieces(std::string& reply) {
  const std::size_t zero = reply.find('\0');
  if (zero != std::string::npos) reply.resize(zero);  // the reply is a text
  swap_quotes(reply);
  std::vector<std::string> pieces;
  extract_between(reply, "{", "}", pieces);
  return pieces;
}

SearchRecord record_from_piece(std::string_view piece) {
  const auto groups = match_record(piece);
  if (!groups) return {};
  const auto& g = *groups;
  return SearchRecord{decode_escaped_unicode(g[0]),
                      decode_escaped_unicode(g[1]),
                      std::string(g[2]),
                      std::string(g[3]),
                      std::string(g[4]),
                      std::string(g[5])};
}

}  // namespace

std::vector<SearchRecord> parse_search_reply(std::string_view reply) {
  std::vector<SearchRecord> records;
  SearchReplyReader reader{std::string(reply)};
  records.reserve(reader.size());
  while (auto record = reader.next()) records.push_back(std::move(*record));
  return records;
}

SearchReplyReader::SearchReplyReader(std::string reply) : pieces_(record_pieces(reply)) {}

std::optional<SearchRecord> SearchReplyReader::next() {
  if (next_ >= pieces_.size()) return std::nullopt;
  // The piece is no longer needed once matched; free it as the reader goes.
  std::string piece = std::move(pieces_[next_++]);
  return record_from_piece(piece);
}

}  // namespace orvane
