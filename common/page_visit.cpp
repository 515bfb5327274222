#include "common/page_visit.h"

#include <utility>

#include "common/http_client.h"

namespace orvane {

struct PageVisit::State {
  Loop loop;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  std::size_t received = 0;
  std::size_t cap = 0;

  // The one transfer leaves the multi handle; libcurl closes its socket (after telling
  // the loop to stop watching it).
  void detach() {
    if (easy == nullptr) return;
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    easy = nullptr;
  }

  void act(curl_socket_t socket, int flags) {
    if (multi == nullptr) return;
    int still_running = 0;
    curl_multi_socket_action(multi, socket, flags, &still_running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) detach();
    }
  }
};

namespace {

int on_socket(CURL*, curl_socket_t socket, int what, void* user, void*) {
  auto& state = *static_cast<PageVisit::State*>(user);
  const bool keep = what != CURL_POLL_REMOVE;
  state.loop.watch(static_cast<int>(socket), keep && (what & CURL_POLL_IN) != 0,
                   keep && (what & CURL_POLL_OUT) != 0);
  return 0;
}

int on_timer(CURLM*, long ms, void* user) {
  static_cast<PageVisit::State*>(user)->loop.set_timer(ms);
  return 0;
}

// Nothing is kept. Past the cap the transfer ends, so an endless page cannot keep the
// thread busy until the total time-out.
std::size_t drop_body(char*, std::size_t size, std::size_t count, void* user) {
  auto& state = *static_cast<PageVisit::State*>(user);
  const std::size_t length = size * count;
  state.received += length;
  return state.received > state.cap ? 0 : length;
}

}  // namespace

PageVisit::PageVisit(Loop loop) : m_state(std::make_unique<State>()) {
  m_state->loop = std::move(loop);
}

PageVisit::~PageVisit() {
  stop();
  if (m_state->multi != nullptr) curl_multi_cleanup(m_state->multi);
}

bool PageVisit::start(const std::string& address) {
  stop();
  State& state = *m_state;
  const FetchLimits limits = fetch_limits();
  CURL* easy = detail::new_request(address, limits);
  if (easy == nullptr) return false;
  // After new_request: it is what sets libcurl up for the process.
  if (state.multi == nullptr) {
    state.multi = curl_multi_init();
    if (state.multi == nullptr) {
      curl_easy_cleanup(easy);
      return false;
    }
    curl_multi_setopt(state.multi, CURLMOPT_SOCKETFUNCTION, on_socket);
    curl_multi_setopt(state.multi, CURLMOPT_SOCKETDATA, &state);
    curl_multi_setopt(state.multi, CURLMOPT_TIMERFUNCTION, on_timer);
    curl_multi_setopt(state.multi, CURLMOPT_TIMERDATA, &state);
  }
  state.received = 0;
  state.cap = limits.max_body_bytes;
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, drop_body);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &state);
  if (curl_multi_add_handle(state.multi, easy) != CURLM_OK) {
    curl_easy_cleanup(easy);
    return false;
  }
  state.easy = easy;  // libcurl now asks for a timer, and the loop starts it going
  return true;
}

// libcurl itself cancels its timer when the transfer leaves (it remembers what it asked
// the loop for, so the loop's timer is never changed behind its back).
void PageVisit::stop() { m_state->detach(); }

bool PageVisit::running() const { return m_state->easy != nullptr; }

void PageVisit::socket_ready(int socket, bool read, bool write) {
  m_state->act(static_cast<curl_socket_t>(socket),
               (read ? CURL_CSELECT_IN : 0) | (write ? CURL_CSELECT_OUT : 0));
}

void PageVisit::timer_fired() { m_state->act(CURL_SOCKET_TIMEOUT, 0); }

}  // namespace orvane
