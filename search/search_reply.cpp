#include "search/search_reply.h"

#include "common/gbk_text.h"
#include "common/markers.h"
#include "common/unescape.h"
#include "search/record_pattern.h"

namespace orvane {
namespace {

// Double quotes become single quotes first, so the record pattern accepts either.
std::vector<std::string> record_pieces(std::string_view reply) {
  const std::string swapped = replace_all(as_text(reply), "\"", "'");
  std::vector<std::string> pieces;
  extract_between(swapped, "{", "}", pieces);
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
  SearchReplyReader reader(reply);
  records.reserve(reader.size());
  while (auto record = reader.next()) records.push_back(std::move(*record));
  return records;
}

SearchReplyReader::SearchReplyReader(std::string_view reply) : pieces_(record_pieces(reply)) {}

std::optional<SearchRecord> SearchReplyReader::next() {
  if (next_ >= pieces_.size()) return std::nullopt;
  // The piece is no longer needed once matched; free it as the reader goes.
  std::string piece = std::move(pieces_[next_++]);
  return record_from_piece(piece);
}

}  // namespace orvane
