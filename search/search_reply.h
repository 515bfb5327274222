#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// One hit of a search; every field is GBK text and may be empty.
struct SearchRecord {
  std::string title;      // decoded
  std::string file_type;  // decoded
  std::string file_size;  // as received
  std::string views;      // as received
  std::string downloads;  // as received
  std::string share_id;   // as received
  bool operator==(const SearchRecord&) const = default;
};

// Every record of a reply, in reply order: one per "{...}" piece, a piece without the
// record's shape giving an empty record. Never fails.
std::vector<SearchRecord> parse_search_reply(std::string_view reply);

// The same records one at a time, so that each piece is matched and decoded just
// before its row is added. The reply is cut into pieces up front (cheap); next()
// decodes one piece.
class SearchReplyReader {
 public:
  // Takes the reply over: move it in and it is worked on without a copy.
  explicit SearchReplyReader(std::string reply);
  std::size_t size() const { return pieces_.size(); }
  // The next record, or nullopt after the last.
  std::optional<SearchRecord> next();

 private:
  std::vector<std::string> pieces_;
  std::size_t next_ = 0;
};

}  // namespace orvane
