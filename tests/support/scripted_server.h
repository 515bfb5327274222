#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A raw-socket HTTP server on 127.0.0.1 for tests. Each connection is answered from a Script:
// a list of steps (send bytes, sleep, trickle, send without end, hang, close, reset), so tests
// can play well-behaved and hostile servers alike. The server records the exact bytes of every
// request it reads.
//
//   orvane::test::ScriptedServer server;
//   server.on("/version.txt", orvane::test::Reply::ok("1.0"));
//   server.on("/slow", orvane::test::Script().send(head).sleep(500ms).send(body));
//   std::string url = server.base_url() + "/version.txt";
//   ... fetch ...
//   EXPECT_EQ(server.requests().at(0).target, "/version.txt");
//
// It only ever listens on loopback and never connects anywhere. Every wait is bounded and wakes
// up when the server stops, so the destructor returns promptly even while a script stalls.

namespace orvane::test {

using Millis = std::chrono::milliseconds;

// What arrived on one connection before its script started.
struct Request {
  std::size_t connection = 0;  // 0-based, in order of acceptance
  std::string raw;             // the exact bytes read before the script started
  bool complete = false;       // the blank line ending the headers was seen
  std::string method;          // from the request line; empty when it did not parse
  std::string target;          // as sent, e.g. "/s/?kw=%E4&order=1"
  std::string version;         // e.g. "HTTP/1.0"
  std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed

  std::string path() const;   // target up to '?'
  std::string query() const;  // after '?', empty when none
  // Value of the first header of that name (case-insensitive), empty when missing.
  std::string header(const std::string& name) const;
  bool has_header(const std::string& name) const;
};

// Steps played in order on one connection. After the last step the connection is closed
// normally (FIN) unless the script ended with reset() or hang().
class Script {
 public:
  struct Step {
    enum class Kind { send, sleep, trickle, endless, hang, close, reset };
    Kind kind = Kind::send;
    std::string bytes;
    Millis delay{0};
    std::size_t limit = 0;
  };

  Script& send(std::string bytes);
  Script& sleep(Millis delay);
  // One byte of `bytes` every `gap`.
  Script& trickle(std::string bytes, Millis gap);
  // `chunk` again and again until `max_bytes` are sent or the peer goes away.
  Script& endless(std::string chunk, std::size_t max_bytes);
  // Sends nothing more and waits until the peer closes or the server stops.
  Script& hang();
  Script& close();
  // Closes with SO_LINGER 0, so the peer sees a connection reset.
  Script& reset();

  const std::vector<Step>& steps() const { return m_steps; }

 private:
  std::vector<Step> m_steps;
};

// Common replies. Every one is HTTP/1.0 and closes the connection after the body.
namespace Reply {
// Status line, Content-Type text/html, Content-Length and body.
Script ok(std::string body);
Script status(int code, std::string body);
// Like status() but without Content-Length: the body ends where the connection closes.
Script without_length(int code, std::string body);
// A redirect (301, 302, 303, 307 or 308) to `location`, with a short body.
Script redirect(std::string location, int code = 302);
// The bytes exactly as given: for replies that are not well-formed HTTP.
Script raw(std::string bytes);
// Headers are sent, then nothing; the connection stays open.
Script headers_then_hang(std::string headers);
// The head of a reply: status line, the given extra header lines (each ending in CRLF) and
// the blank line.
std::string head(int code, const std::string& extra_headers = "");
}  // namespace Reply

class ScriptedServer {
 public:
  // Called on a connection's own thread: must be safe to call from any thread.
  using Handler = std::function<Script(const Request&)>;

  // Binds 127.0.0.1 on a free port and starts serving. Without any rule every request gets
  // a 404 reply. If binding fails, port() is 0 and base_url() is empty.
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  // Requests whose path (target up to '?') is exactly `path`.
  void on(const std::string& path, Script script);
  void on(const std::string& path, Handler handler);
  // Everything no path rule matches, including requests that did not parse.
  void set_default(Script script);
  void set_default(Handler handler);

  // How long to wait for the rest of a request once bytes stopped coming (default 300 ms):
  // bounds the wait for clients that send no blank line, such as a TLS handshake.
  void set_request_idle(Millis idle);

  std::uint16_t port() const { return m_port; }
  std::string base_url() const;  // "http://127.0.0.1:PORT"

  std::vector<Request> requests() const;
  // Connections whose request has been read (and recorded).
  std::size_t connection_count() const;
  // Waits until `count` connections have been read or `timeout` has passed.
  bool wait_for_requests(std::size_t count, Millis timeout) const;
  // Connections the kernel has completed, taken from the accept queue or not yet: exact as
  // soon as a client's connect has returned, where connection_count() may still lag.
  std::size_t accepted_count() const;
  // Connections the client closed (or reset) while their script hung.
  std::size_t peer_closed_count() const;
  bool wait_for_peer_closes(std::size_t count, Millis timeout) const;

 private:
  void accept_loop();
  void serve(int fd, std::size_t index);
  Request read_request(int fd, std::size_t index);
  Handler handler_for(const Request& request) const;
  void play(int fd, const Script& script);
  bool send_all(int fd, const char* data, std::size_t size);
  bool pause(Millis delay);
  bool wait_until_peer_closes(int fd);
  void record(Request request);

  int m_listen_fd = -1;
  int m_wake_read = -1;  // becomes readable when the server stops
  int m_wake_write = -1;
  std::uint16_t m_port = 0;
  std::atomic<bool> m_stopping{false};
  Millis m_request_idle{300};

  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::map<std::string, Handler> m_rules;
  Handler m_default;
  std::vector<Request> m_requests;
  std::size_t m_accepted = 0;
  std::size_t m_peer_closed = 0;
  std::vector<std::thread> m_workers;
  std::thread m_acceptor;
};

// A loopback listener that never completes a connection: its accept queue is kept full, so the
// kernel drops further SYNs and a client's connect hangs until its own time-out.
class BlackHoleListener {
 public:
  BlackHoleListener();
  ~BlackHoleListener();
  BlackHoleListener(const BlackHoleListener&) = delete;
  BlackHoleListener& operator=(const BlackHoleListener&) = delete;

  std::uint16_t port() const { return m_port; }
  std::string base_url() const;

 private:
  int m_listen_fd = -1;
  std::vector<int> m_fillers;
  std::uint16_t m_port = 0;
};

}  // namespace orvane::test
