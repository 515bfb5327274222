#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orvane {

// One background GET at a time, run on the caller's event loop through libcurl's multi
// interface: nothing blocks, and whatever the server sends is read and dropped. A new visit
// replaces a running one. Requests carry the same fixed properties and limits as
// fetch_page. Call every member from the loop's thread.
class PageVisit {
 public:
  // What the caller's loop does for libcurl. The hooks are called from inside the members
  // below and must not call back into this object synchronously.
  struct Loop {
    // Watch `socket` for reading and/or writing and call socket_ready() when it is ready;
    // both false: stop watching it (it is about to be closed).
    std::function<void(int socket, bool read, bool write)> watch;
    // Call timer_fired() once, `ms` milliseconds from now (0: as soon as possible);
    // -1 cancels the timer.
    std::function<void(long ms)> set_timer;
  };

  explicit PageVisit(Loop loop);
  ~PageVisit();
  PageVisit(const PageVisit&) = delete;
  PageVisit& operator=(const PageVisit&) = delete;

  // Ends a running visit, then starts a GET of `address`. False when the address is
  // unusable or libcurl could not be set up; then nothing runs.
  bool start(const std::string& address);
  void stop();
  bool running() const;

  void socket_ready(int socket, bool read, bool write);
  void timer_fired();

  struct State;  // libcurl's handles; opaque

 private:
  std::unique_ptr<State> m_state;
};

}  // namespace orvane
