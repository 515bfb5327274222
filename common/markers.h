#pragma once

#include <string>
#include <string_view>
#include <vector>

// Trimming and between-markers extraction over GBK texts (character stepping).

namespace orvane {

// Removes ASCII spaces and full-width spaces (A1 A1) from both ends, and a dangling
// lead byte at the very end. Tabs and line breaks are kept.
std::string trim_spaces(std::string_view text);

struct ExtractOptions {
  bool case_sensitive = false;  // false: ASCII letters in markers match either case
  int longest_piece = 0;        // > 0: a piece longer than this many bytes ends the scan
  std::string prefix;           // put before every stored piece
  std::string suffix;           // put after every stored piece
  bool include_left = false;    // put the left marker in front of the prefix
  bool include_right = false;   // put the right marker behind the suffix
  int start_position = 0;       // 1-based byte where the first search begins; <= 1: first byte
};

// Empties `pieces`, then stores in text order every trimmed piece between `left` and the
// first `right` after it. The next left marker is searched from the right marker that
// closed the previous piece. An empty or over-long piece ends the scan. Returns the
// number of pieces stored. Empty markers store nothing.
int extract_between(std::string_view text, std::string_view left, std::string_view right,
                    std::vector<std::string>& pieces, const ExtractOptions& options = {});

}  // namespace orvane
