#include "tests/support/scripted_server.h"

#include <chrono>
#include <memory>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

// A client that sends a request and then neither reads nor closes.
class StuckClient {
 public:
  explicit StuckClient(std::uint16_t port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    const std::string request = "GET /stuck HTTP/1.0\r\nHost: x\r\n\r\n";
    m_connected = m_connected && ::send(m_fd, request.data(), request.size(), 0) > 0;
  }
  ~StuckClient() { ::close(m_fd); }
  bool connected() const { return m_connected; }

 private:
  int m_fd = -1;
  bool m_connected = false;
};

struct StallCase {
  const char* name;
  Script script;
};
void PrintTo(const StallCase& c, std::ostream* os) { *os << c.name; }

class ServerShutdown : public ::testing::TestWithParam<StallCase> {};

TEST_P(ServerShutdown, IsPromptWhileAConnectionStalls) {
  auto server = std::make_unique<ScriptedServer>();
  server->set_default(GetParam().script);
  StuckClient client(server->port());
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(server->wait_for_requests(1, 2s));
  EXPECT_EQ(server->requests()[0].target, "/stuck");
  const auto start = std::chrono::steady_clock::now();
  server.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

INSTANTIATE_TEST_SUITE_P(
    Scripted, ServerShutdown,
    ::testing::Values(StallCase{"Hang", Script().hang()},
                      StallCase{"LongSleep", Script().sleep(60s).send("late")},
                      StallCase{"EndlessToAReaderThatNeverReads",
                                Script().send(Reply::head(200)).endless("data", 1u << 30)},
                      StallCase{"SlowTrickle", Script().trickle(std::string(100, 'x'), 1s)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::test
