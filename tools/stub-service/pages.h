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

// The reason phrase of an HTTP status ("Not Found" for 404), "Error" for one it does not know.
const char* status_reason(int status);
// What a gateway or a proxy sends when the service behind it is down: HTML 4.01 with a
// style sheet in braces, no XHTML namespace, neither share marker.
std::string gateway_page(int status);
std::string stats_page(std::string_view version, unsigned long visit);
std::string simple_page(std::string_view title, std::string_view text);

}  // namespace orvane::stub
