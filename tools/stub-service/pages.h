#pragma once

#include <string>
#include <string_view>

#include "tools/stub-service/catalogue.h"

// The HTML pages of the stub's web host and API host (UTF-8).

namespace orvane::stub {

// What the service sends for a keyword it refuses: an XHTML 1.0 page declaring the XHTML
// namespace, which is how the program recognises a refusal.
std::string refused_page(std::string_view keyword);

// The share page. Only a gone share carries "share_nofound_des"; only a share the service
// cannot show carries "module-error"; a live share carries neither.
std::string share_page(const Share& share);

std::string not_found_page(std::string_view path);
std::string stats_page(std::string_view version, unsigned long visit);
std::string simple_page(std::string_view title, std::string_view text);

}  // namespace orvane::stub
