#include "tests/support/scripted_server.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::test {

namespace {

constexpr std::size_t kMaxRequestBytes = 64 * 1024;
constexpr std::size_t kMaxConnections = 10000;
constexpr Millis kMaxRequestWait{30000};
constexpr Millis kCloseGrace{1000};
constexpr int kPollSliceMs = 100;

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

const char* reason_of(int code) {
  switch (code) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    case 504:
      return "Gateway Timeout";
    default:
      return "Status";
  }
}

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

// Waits for `events` on fd or for the wake descriptor; true when fd is ready.
bool wait_fd(int fd, short events, int wake_fd, int timeout_ms, bool* woken) {
  pollfd fds[2] = {{fd, events, 0}, {wake_fd, POLLIN, 0}};
  const int n = ::poll(fds, 2, timeout_ms);
  if (n <= 0) return false;
  if (fds[1].revents != 0) {
    *woken = true;
    return false;
  }
  return fds[0].revents != 0;
}

void parse_request(Request& request) {
  const auto head_end = request.raw.find("\r\n\r\n");
  request.complete = head_end != std::string::npos;
  const std::string head = request.raw.substr(0, head_end);
  std::size_t line_start = 0;
  bool first = true;
  while (line_start < head.size()) {
    auto line_end = head.find("\r\n", line_start);
    if (line_end == std::string::npos) line_end = head.size();
    const std::string line = head.substr(line_start, line_end - line_start);
    line_start = line_end + 2;
    if (first) {
      first = false;
      const auto a = line.find(' ');
      const auto b = line.find(' ', a == std::string::npos ? a : a + 1);
      if (a == std::string::npos || b == std::string::npos) return;
      request.method = line.substr(0, a);
      request.target = line.substr(a + 1, b - a - 1);
      request.version = line.substr(b + 1);
      continue;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    request.headers.emplace_back(line.substr(0, colon), trim(line.substr(colon + 1)));
  }
}

}  // namespace

// ---- Request

std::string Request::path() const { return target.substr(0, target.find('?')); }

std::string Request::query() const {
  const auto q = target.find('?');
  return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::string Request::header(const std::string& name) const {
  const std::string wanted = lower(name);
  for (const auto& [key, value] : headers) {
    if (lower(key) == wanted) return value;
  }
  return {};
}

bool Request::has_header(const std::string& name) const {
  const std::string wanted = lower(name);
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& h) { return lower(h.first) == wanted; });
}

// ---- Script

Script& Script::send(std::string bytes) {
  m_steps.push_back({Step::Kind::send, std::move(bytes), Millis{0}, 0});
  return *this;
}

Script& Script::sleep(Millis delay) {
  m_steps.push_back({Step::Kind::sleep, {}, delay, 0});
  return *this;
}

Script& Script::trickle(std::string bytes, Millis gap) {
  m_steps.push_back({Step::Kind::trickle, std::move(bytes), gap, 0});
  return *this;
}

Script& Script::endless(std::string chunk, std::size_t max_bytes) {
  m_steps.push_back({Step::Kind::endless, std::move(chunk), Millis{0}, max_bytes});
  return *this;
}

Script& Script::hang() {
  m_steps.push_back({Step::Kind::hang, {}, Millis{0}, 0});
  return *this;
}

Script& Script::close() {
  m_steps.push_back({Step::Kind::close, {}, Millis{0}, 0});
  return *this;
}

Script& Script::reset() {
  m_steps.push_back({Step::Kind::reset, {}, Millis{0}, 0});
  return *this;
}

// ---- Reply

namespace Reply {

std::string head(int code, const std::string& extra_headers) {
  return "HTTP/1.0 " + std::to_string(code) + " " + reason_of(code) + "\r\n" + extra_headers +
         "\r\n";
}

Script status(int code, std::string body) {
  const std::string headers =
      "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  return Script().send(head(code, headers) + body);
}

Script ok(std::string body) { return status(200, std::move(body)); }

Script without_length(int code, std::string body) {
  return Script().send(head(code, "Content-Type: text/html\r\n") + body);
}

Script redirect(std::string location, int code) {
  const std::string body = "<a href=\"" + location + "\">moved</a>";
  return Script().send(head(code, "Location: " + location + "\r\nContent-Length: " +
                                      std::to_string(body.size()) + "\r\n") +
                       body);
}

Script raw(std::string bytes) { return Script().send(std::move(bytes)); }

Script headers_then_hang(std::string headers) { return Script().send(std::move(headers)).hang(); }

}  // namespace Reply

// ---- ScriptedServer

ScriptedServer::ScriptedServer() {
  int wake[2];
  if (::pipe(wake) != 0) return;
  m_wake_read = wake[0];
  m_wake_write = wake[1];

  m_listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_listen_fd < 0) return;
  const int yes = 1;
  ::setsockopt(m_listen_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen_fd, 64) != 0) {
    return;
  }
  socklen_t len = sizeof addr;
  ::getsockname(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), &len);
  m_port = ntohs(addr.sin_port);
  set_nonblocking(m_listen_fd);
  m_acceptor = std::thread([this] { accept_loop(); });
}

ScriptedServer::~ScriptedServer() {
  m_stopping = true;
  if (m_wake_write >= 0) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(m_wake_write, &byte, 1);
  }
  if (m_acceptor.joinable()) m_acceptor.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(m_mutex);
    workers.swap(m_workers);
  }
  for (auto& worker : workers) worker.join();
  for (int fd : {m_listen_fd, m_wake_read, m_wake_write}) {
    if (fd >= 0) ::close(fd);
  }
}

std::string ScriptedServer::base_url() const {
  return m_port == 0 ? std::string() : "http://127.0.0.1:" + std::to_string(m_port);
}

void ScriptedServer::on(const std::string& path, Script script) {
  on(path, Handler([script](const Request&) { return script; }));
}

void ScriptedServer::on(const std::string& path, Handler handler) {
  std::lock_guard lock(m_mutex);
  m_rules[path] = std::move(handler);
}

void ScriptedServer::set_default(Script script) {
  set_default(Handler([script](const Request&) { return script; }));
}

void ScriptedServer::set_default(Handler handler) {
  std::lock_guard lock(m_mutex);
  m_default = std::move(handler);
}

void ScriptedServer::set_request_idle(Millis idle) {
  std::lock_guard lock(m_mutex);
  m_request_idle = idle;
}

std::vector<Request> ScriptedServer::requests() const {
  std::lock_guard lock(m_mutex);
  return m_requests;
}

std::size_t ScriptedServer::connection_count() const {
  std::lock_guard lock(m_mutex);
  return m_requests.size();
}

bool ScriptedServer::wait_for_requests(std::size_t count, Millis timeout) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

std::size_t ScriptedServer::accepted_count() const {
  // Taken under the lock the acceptor holds around accept(), so no connection is counted
  // twice or missed between the queue and the count.
  std::lock_guard lock(m_mutex);
  tcp_info info{};
  socklen_t length = sizeof info;
  std::size_t queued = 0;
  // On a listening socket this field is the length of the accept queue.
  if (m_listen_fd >= 0 && ::getsockopt(m_listen_fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0) {
    queued = info.tcpi_unacked;
  }
  return m_accepted + queued;
}

std::size_t ScriptedServer::peer_closed_count() const {
  std::lock_guard lock(m_mutex);
  return m_peer_closed;
}

bool ScriptedServer::wait_for_peer_closes(std::size_t count, Millis timeout) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, timeout, [&] { return m_peer_closed >= count; });
}

void ScriptedServer::accept_loop() {
  while (!m_stopping) {
    bool woken = false;
    if (!wait_fd(m_listen_fd, POLLIN, m_wake_read, kPollSliceMs, &woken)) {
      if (woken) return;
      continue;
    }
    std::lock_guard lock(m_mutex);
    if (m_accepted >= kMaxConnections) return;
    // The listening socket does not block: a connection gone since the poll frees the lock.
    const int fd = ::accept4(m_listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) continue;
    const std::size_t index = m_accepted++;
    m_workers.emplace_back([this, fd, index] { serve(fd, index); });
  }
}

void ScriptedServer::serve(int fd, std::size_t index) {
  Request request = read_request(fd, index);
  record(request);
  const Script script = handler_for(request)(request);
  play(fd, script);
}

Request ScriptedServer::read_request(int fd, std::size_t index) {
  Request request;
  request.connection = index;
  Millis idle;
  {
    std::lock_guard lock(m_mutex);
    idle = m_request_idle;
  }
  const auto give_up = std::chrono::steady_clock::now() + kMaxRequestWait;
  char buffer[4096];
  while (!m_stopping && request.raw.size() < kMaxRequestBytes &&
         request.raw.find("\r\n\r\n") == std::string::npos &&
         std::chrono::steady_clock::now() < give_up) {
    bool woken = false;
    // Before the first byte, wait in slices until the peer speaks; after it, only `idle`.
    const int timeout = request.raw.empty() ? kPollSliceMs : static_cast<int>(idle.count());
    if (!wait_fd(fd, POLLIN, m_wake_read, timeout, &woken)) {
      if (woken || !request.raw.empty()) break;
      continue;
    }
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.raw.append(buffer, static_cast<std::size_t>(n));
  }
  parse_request(request);
  return request;
}

ScriptedServer::Handler ScriptedServer::handler_for(const Request& request) const {
  std::lock_guard lock(m_mutex);
  const auto rule = m_rules.find(request.path());
  if (!request.method.empty() && rule != m_rules.end()) return rule->second;
  if (m_default) return m_default;
  return [](const Request&) { return Reply::status(404, "<html>not found</html>"); };
}

void ScriptedServer::record(Request request) {
  std::lock_guard lock(m_mutex);
  m_requests.push_back(std::move(request));
  m_changed.notify_all();
}

bool ScriptedServer::send_all(int fd, const char* data, std::size_t size) {
  std::size_t sent = 0;
  while (sent < size && !m_stopping) {
    const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    bool woken = false;
    if (!wait_fd(fd, POLLOUT, m_wake_read, kPollSliceMs, &woken) && woken) return false;
  }
  return sent == size;
}

bool ScriptedServer::pause(Millis delay) {
  pollfd wake{m_wake_read, POLLIN, 0};
  return ::poll(&wake, 1, static_cast<int>(delay.count())) == 0 && !m_stopping;
}

bool ScriptedServer::wait_until_peer_closes(int fd) {
  char buffer[4096];
  while (!m_stopping) {
    bool woken = false;
    if (!wait_fd(fd, POLLIN, m_wake_read, kPollSliceMs, &woken)) {
      if (woken) return false;
      continue;
    }
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;
  }
  return false;
}

void ScriptedServer::play(int fd, const Script& script) {
  using Kind = Script::Step::Kind;
  bool alive = true;
  for (const auto& step : script.steps()) {
    if (!alive) break;
    switch (step.kind) {
      case Kind::send:
        alive = send_all(fd, step.bytes.data(), step.bytes.size());
        break;
      case Kind::sleep:
        alive = pause(step.delay);
        break;
      case Kind::trickle:
        for (std::size_t i = 0; alive && i < step.bytes.size(); ++i) {
          alive = send_all(fd, &step.bytes[i], 1) && pause(step.delay);
        }
        break;
      case Kind::endless:
        for (std::size_t sent = 0; alive && sent < step.limit && !step.bytes.empty();) {
          const std::size_t piece = std::min(step.bytes.size(), step.limit - sent);
          alive = send_all(fd, step.bytes.data(), piece);
          sent += piece;
        }
        break;
      case Kind::hang:
        if (wait_until_peer_closes(fd)) {
          std::lock_guard lock(m_mutex);
          ++m_peer_closed;
          m_changed.notify_all();
        }
        ::close(fd);
        return;
      case Kind::close:
        alive = false;
        break;
      case Kind::reset: {
        const linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(fd);
        return;
      }
    }
  }
  // A plain close with unread input would turn into a reset: half-close, then let the peer
  // finish reading and close its side.
  ::shutdown(fd, SHUT_WR);
  const auto grace_end = std::chrono::steady_clock::now() + kCloseGrace;
  char buffer[4096];
  while (!m_stopping && std::chrono::steady_clock::now() < grace_end) {
    bool woken = false;
    if (!wait_fd(fd, POLLIN, m_wake_read, kPollSliceMs, &woken)) {
      if (woken) break;
      continue;
    }
    if (::recv(fd, buffer, sizeof buffer, 0) <= 0) break;
  }
  ::close(fd);
}

// ---- BlackHoleListener

BlackHoleListener::BlackHoleListener() {
  m_listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_listen_fd < 0) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen_fd, 0) != 0) {
    return;
  }
  socklen_t len = sizeof addr;
  ::getsockname(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), &len);
  // Fill the accept queue (never accepted) until a connect no longer completes.
  constexpr int kMaxFillers = 16;
  for (int i = 0; i < kMaxFillers; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    m_fillers.push_back(fd);
    ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) break;  // this one hangs: the queue is full
  }
  m_port = ntohs(addr.sin_port);
}

BlackHoleListener::~BlackHoleListener() {
  for (int fd : m_fillers) ::close(fd);
  if (m_listen_fd >= 0) ::close(m_listen_fd);
}

std::string BlackHoleListener::base_url() const {
  return m_port == 0 ? std::string() : "http://127.0.0.1:" + std::to_string(m_port);
}

}  // namespace orvane::test
