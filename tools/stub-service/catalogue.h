#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The stub service's made-up shares, read from a tab-separated UTF-8 file, and the
// search over them. Everything here is UTF-8; the service never holds GBK.

namespace orvane::stub {

enum class ShareState { Alive, Missing, Broken };

struct Share {
  std::string id;         // letters and digits, the web host's /go/<id>
  std::string title;      // UTF-8
  std::string file_type;  // UTF-8, e.g. "pdf" or a Chinese word
  std::string size;       // as shown, e.g. "1.2G"
  long long views = 0;
  long long downloads = 0;
  std::string updated;  // ISO date, so text order is time order
  ShareState state = ShareState::Alive;
};

// The order parameter of the search address: none, "1" (newest first), "2" (most views).
enum class Order { Relevance, Updated, Views };
Order order_from_param(std::string_view value);

struct Catalogue {
  std::vector<Share> shares;
  std::vector<std::string> refused;  // keywords the service refuses, besides the fixed ones

  const Share* find(std::string_view id) const;
};

// Columns: id, title, file type, size, views, downloads, updated, state. The first line is
// a header; lines starting with "#refused<TAB>" add a refused keyword; other "#" lines and
// blank lines are skipped. nullopt with `error` set when the file cannot be read or a line
// is malformed.
std::optional<Catalogue> load_catalogue(const std::string& path, std::string& error);
std::optional<Catalogue> parse_catalogue(std::string_view text, std::string& error);

// Empty after trimming, or on a refused list (ASCII case folded).
bool is_refused(const Catalogue& catalogue, std::string_view keyword);

// Shares whose title holds the keyword (ASCII letters folded), in the given order. With
// the default order titles that start with the keyword come first, then catalogue order.
std::vector<const Share*> search(const Catalogue& catalogue, std::string_view keyword, Order order);

// The reply body for hits: {"total":"N","list":[{...},...]} with every value quoted, no
// white space, titles and file types with lower-case \uXXXX for every non-ASCII character.
// No hits: "empty".
std::string search_reply_body(const std::vector<const Share*>& hits);

// Every non-ASCII character (and '"', '\\', control bytes) written as a JSON escape;
// characters beyond the BMP as surrogate pairs, invalid UTF-8 bytes as \ufffd.
std::string escape_json_ascii(std::string_view utf8);

}  // namespace orvane::stub
