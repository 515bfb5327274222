#pragma once

#include <string>

#include <curl/curl.h>

#include "common/fetch.h"

// Shared by the blocking fetch and the background page visit; not for other callers.

namespace orvane::detail {

// A libcurl handle for one GET of `address` with the fixed request properties (agent, the
// one header line, http/https only, redirects, no reuse) and `limits`' time-outs set. Null
// when the address is unusable or libcurl could not be set up. Free with curl_easy_cleanup.
CURL* new_request(const std::string& address, const FetchLimits& limits);

}  // namespace orvane::detail
