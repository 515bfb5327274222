#pragma once

#include <cstddef>
#include <string>

// The program's only network access: one blocking HTTP/1.0 GET per call.

namespace orvane {

// The reply body of `address` as text (bytes before the first zero byte, no code-page
// conversion), whatever the HTTP status. Every failure gives the empty text.
std::string fetch_page_text(const std::string& address);

struct FetchResult {
  bool arrived = false;   // a reply from the server was received (any status)
  bool complete = false;  // and its body to the end: not cut by a limit, a stall or a reset
  std::string text;       // as fetch_page_text returns it
  long status = 0;        // the final HTTP status, after redirects; 0 when nothing arrived
};

// Like fetch_page_text, but also says whether a reply arrived at all and with which status,
// so that a page that could not be fetched, or an error page, can be told apart from a page.
FetchResult fetch_page(const std::string& address);

// A 2xx status: the server (and any proxy or gateway on the way) says the body is the page.
constexpr bool success_status(long status) { return status >= 200 && status <= 299; }

// The answer can be taken as the page asked for: it arrived, whole, with a 2xx status. An
// error page from a proxy, a gateway or a rate limit is never such an answer.
constexpr bool answer_succeeded(const FetchResult& result) {
  return result.arrived && result.complete && success_status(result.status);
}

// Limits that keep a dead, stalled or endless server from freezing the window.
struct FetchLimits {
  long connect_timeout_ms = 15000;         // to establish the connection
  long stall_timeout_s = 20;               // abort when under 1 byte/s arrives for this long
  long total_timeout_s = 120;              // the whole transfer
  std::size_t max_body_bytes = 32u << 20;  // then the bytes so far are kept
};

FetchLimits fetch_limits();
// For tests: shorter limits. Applies to every later fetch of the process.
void set_fetch_limits(const FetchLimits& limits);

}  // namespace orvane
