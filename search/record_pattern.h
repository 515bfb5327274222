#pragma once

#include <array>
#include <optional>
#include <string_view>

// The record pattern of a search reply and a matcher for it that runs in linear time.

namespace orvane {

// The definition the matcher implements (Perl syntax, case-sensitive, "." matching every
// byte, line breaks included), applied to one record piece after every double quote of the
// reply has become a single quote. Kept as the reference for the tests; the program does
// not compile it: a backtracking engine is super-linear on pieces that never complete a
// record (Boost.Regex 1.74: seconds for 100 KB, then it gives up).
inline constexpr std::string_view kRecordPattern =
    R"('title':'(.*?)','catid':'.*?','filetype':'(.*?)','filesize':'(.*?)','hits':'(.*?)',)"
    R"('sharexiazai':'(.*?)','url':'(.*?)')";

// The six capture groups of the leftmost match of kRecordPattern in `piece` (title, file
// type, file size, views, downloads, share id), exactly as a Perl-compatible engine gives
// them, or nullopt when the piece holds no match. Works on bytes (no character stepping;
// zero bytes are ordinary bytes). The views point into `piece`. O(piece size).
std::optional<std::array<std::string_view, 6>> match_record(std::string_view piece);

}  // namespace orvane
