#include "common/fetch.h"

#include "common/http_client.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include <curl/curl.h>

namespace orvane {

namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kProtocols[] = "http,https";
constexpr long kMaxRedirects = 10;
constexpr std::size_t kHostLimit = 256;   // a host must be shorter than this
constexpr std::size_t kPathLimit = 2048;  // and the path with its query too

std::mutex g_limits_mutex;
FetchLimits g_limits;

// The process's one HTTP client: libcurl set up once, and a handle holding the fixed request
// properties that every fetch copies. It lives until the process ends.
class HttpClient {
 public:
  static HttpClient& instance() {
    static HttpClient client;
    return client;
  }

  // A handle for one fetch, with the fixed properties set; null when the client is unusable.
  CURL* new_handle() {
    std::lock_guard lock(m_mutex);
    return m_template ? curl_easy_duphandle(m_template) : nullptr;
  }

 private:
  HttpClient() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return;
    m_global = true;
    // Our one header line; the empty form drops what a proxy would otherwise be told.
    m_headers = curl_slist_append(nullptr, "Accept: */*");
    m_proxy_headers = curl_slist_append(nullptr, "Proxy-Connection:");
    m_template = curl_easy_init();
    if (m_template && m_headers && m_proxy_headers) configure(m_template);
  }

  ~HttpClient() {
    if (m_template) curl_easy_cleanup(m_template);
    curl_slist_free_all(m_headers);
    curl_slist_free_all(m_proxy_headers);
    if (m_global) curl_global_cleanup();
  }

  void configure(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, m_headers);
    curl_easy_setopt(curl, CURLOPT_PROXYHEADER, m_proxy_headers);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  }

  std::mutex m_mutex;
  bool m_global = false;
  curl_slist* m_headers = nullptr;
  curl_slist* m_proxy_headers = nullptr;
  CURL* m_template = nullptr;
};

struct HandleDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlText {
  void operator()(char* text) const { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlText>;

// A space or a control byte could end up as a request line or a header of its own.
bool has_unsafe_byte(const std::string& address) {
  return std::any_of(address.begin(), address.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
  });
}

CurlString url_part(CURLU* url, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, 0) != CURLUE_OK) return CurlString();
  return CurlString(text);
}

// The address as it goes on the wire: dot segments resolved, fragment dropped. Empty when the
// address is unusable.
std::string canonical_address(const std::string& address) {
  if (address.empty() || has_unsafe_byte(address)) return {};
  std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
  const CurlString scheme = url_part(url.get(), CURLUPART_SCHEME);
  const CurlString host = url_part(url.get(), CURLUPART_HOST);
  const CurlString path = url_part(url.get(), CURLUPART_PATH);
  const CurlString query = url_part(url.get(), CURLUPART_QUERY);
  if (!scheme || !host || !path) return {};
  if (std::strcmp(scheme.get(), "http") != 0 && std::strcmp(scheme.get(), "https") != 0) return {};
  const std::size_t path_length =
      std::strlen(path.get()) + (query ? 1 + std::strlen(query.get()) : 0);
  if (std::strlen(host.get()) >= kHostLimit || path_length >= kPathLimit) return {};
  curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
  const CurlString canonical = url_part(url.get(), CURLUPART_URL);
  return canonical ? std::string(canonical.get()) : std::string();
}

// What one transfer has gathered so far.
struct Transfer {
  std::string text;  // body bytes before the first zero byte
  bool saw_zero = false;
  std::size_t received = 0;
  std::size_t cap = 0;
  long final_statuses = 0;  // status lines other than 1xx, one per reply
};

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  const std::size_t take = std::min(length, transfer.cap - transfer.received);
  transfer.received += take;
  if (!transfer.saw_zero) {
    const char* zero = static_cast<const char*>(std::memchr(data, '\0', take));
    transfer.saw_zero = zero != nullptr;
    transfer.text.append(data, zero ? static_cast<std::size_t>(zero - data) : take);
  }
  return take;  // short of `length` at the cap: libcurl ends the transfer there
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  // "HTTP/x.y NNN": a status line; 1xx replies are followed by the real one.
  if (length >= 12 && std::memcmp(data, "HTTP/", 5) == 0) {
    const char* space = static_cast<const char*>(std::memchr(data, ' ', length));
    if (space && space + 1 < data + length && space[1] != '1') ++transfer.final_statuses;
  }
  return length;
}

// Success, or a failure after which the bytes so far are a reply cut short, not a failed request.
bool keeps_the_body(CURLcode code) {
  switch (code) {
    case CURLE_OK:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_WRITE_ERROR:
      return true;
    default:
      return false;
  }
}

void apply_limits(CURL* curl, const FetchLimits& limits) {
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::max(limits.connect_timeout_ms, 1L));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(limits.stall_timeout_s, 1L));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, std::max(limits.total_timeout_s, 1L));
}

}  // namespace

FetchLimits fetch_limits() {
  std::lock_guard lock(g_limits_mutex);
  return g_limits;
}

void set_fetch_limits(const FetchLimits& limits) {
  std::lock_guard lock(g_limits_mutex);
  g_limits = limits;
}

namespace detail {

CURL* new_request(const std::string& address, const FetchLimits& limits) {
  const std::string url = canonical_address(address);
  if (url.empty()) return nullptr;
  CURL* curl = HttpClient::instance().new_handle();
  if (curl == nullptr) return nullptr;
  apply_limits(curl, limits);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());  // libcurl keeps its own copy
  return curl;
}

}  // namespace detail

FetchResult fetch_page(const std::string& address) {
  const FetchLimits limits = fetch_limits();
  std::unique_ptr<CURL, HandleDeleter> curl(detail::new_request(address, limits));
  if (!curl) return {};

  Transfer transfer;
  transfer.cap = limits.max_body_bytes;
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
  const CURLcode code = curl_easy_perform(curl.get());

  long redirects = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_COUNT, &redirects);
  // Every followed redirect had a reply of its own; the last request needs one more.
  const bool replied = transfer.final_statuses > redirects;
  FetchResult result;
  result.arrived = replied && keeps_the_body(code);
  result.complete = result.arrived && code == CURLE_OK;
  if (result.arrived) {
    result.text = std::move(transfer.text);
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
  }
  return result;
}

std::string fetch_page_text(const std::string& address) { return fetch_page(address).text; }

}  // namespace orvane
