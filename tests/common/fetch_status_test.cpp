// The final HTTP status a fetch reports, and which answers count as succeeded.
#include "common/fetch.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/error_page.h"
#include "tests/support/scripted_server.h"

namespace orvane {
namespace {

namespace Reply = test::Reply;
using test::Millis;
using test::Script;
using test::ScriptedServer;

// Short limits: the cut-short case is a reset, so none of them is reached.
FetchLimits test_limits() {
  FetchLimits limits;
  limits.connect_timeout_ms = 2000;
  limits.stall_timeout_s = 2;
  limits.total_timeout_s = 6;
  return limits;
}

const std::string kPage = "<html><body>page</body></html>";

// What the server does for "/page"; "/moved" and "/gone" are there for the redirects.
enum class Serve {
  as_scripted,      // the case's status and body with Content-Length
  redirect_to_ok,   // 302 to /moved, which answers 200
  redirect_to_503,  // 302 to /gone, which answers 503
  interim_then,     // "100 Continue" first, then the case's status and body
  no_reason,        // status line without a reason phrase
  cut_short,        // the status and part of the announced body, then a reset
  closed,           // accepts, closes without a reply
};

struct StatusCase {
  const char* name;
  Serve serve;
  int code;
  std::string body;
  // Expected:
  bool arrived;
  long status;
  bool succeeded;
};
void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

Script script_for(const StatusCase& c) {
  const std::string length = "Content-Length: " + std::to_string(c.body.size()) + "\r\n";
  switch (c.serve) {
    case Serve::as_scripted:
      return Reply::status(c.code, c.body);
    case Serve::redirect_to_ok:
      return Reply::redirect("/moved");
    case Serve::redirect_to_503:
      return Reply::redirect("/gone");
    case Serve::interim_then:
      return Reply::raw("HTTP/1.1 100 Continue\r\n\r\n" + Reply::head(c.code, length) + c.body);
    case Serve::no_reason:
      return Reply::raw("HTTP/1.0 " + std::to_string(c.code) + "\r\n" + length + "\r\n" + c.body);
    case Serve::cut_short:
      return Script()
          .send(Reply::head(c.code, "Content-Length: 5000\r\n") + c.body)
          .sleep(Millis(50))
          .reset();
    case Serve::closed:
      return Script().close();
  }
  return Script();
}

class FetchStatus : public ::testing::TestWithParam<StatusCase> {
 protected:
  static void SetUpTestSuite() { set_fetch_limits(test_limits()); }
  static void TearDownTestSuite() { set_fetch_limits(FetchLimits{}); }
};

TEST_P(FetchStatus, ReportsTheFinalStatusAndKeepsTheBody) {
  const StatusCase& c = GetParam();
  ScriptedServer server;
  ASSERT_NE(server.port(), 0);
  server.on("/page", script_for(c));
  server.on("/moved", Reply::ok(kPage));
  server.on("/gone", Reply::status(503, test::proxy_error_page(503)));

  const FetchResult got = fetch_page(server.base_url() + "/page");
  EXPECT_EQ(got.arrived, c.arrived);
  EXPECT_EQ(got.status, c.status);
  EXPECT_EQ(answer_succeeded(got), c.succeeded);
  // The body comes whatever the status: the callers read markers in error pages.
  const std::string expected_text = c.serve == Serve::redirect_to_ok ? kPage
                                    : c.serve == Serve::redirect_to_503
                                        ? test::proxy_error_page(503)
                                    : c.arrived ? c.body
                                                : std::string();
  EXPECT_EQ(got.text, expected_text);
  EXPECT_EQ(fetch_page_text(server.base_url() + "/page"), expected_text);
}

std::string page(long status) { return test::proxy_error_page(status); }

INSTANTIATE_TEST_SUITE_P(
    Statuses, FetchStatus,
    ::testing::Values(
        StatusCase{"ok", Serve::as_scripted, 200, page(200), true, 200, true},
        StatusCase{"no_content", Serve::as_scripted, 204, "", true, 204, true},
        StatusCase{"moved_without_location", Serve::as_scripted, 301, page(301), true, 301, false},
        StatusCase{"not_found", Serve::as_scripted, 404, page(404), true, 404, false},
        StatusCase{"not_found_with_marker", Serve::as_scripted, 404,
                   test::proxy_error_page(404, "<div class=\"share_nofound_des\"></div>"), true,
                   404, false},
        StatusCase{"too_many_requests", Serve::as_scripted, 429, page(429), true, 429, false},
        StatusCase{"server_error", Serve::as_scripted, 500, page(500), true, 500, false},
        StatusCase{"bad_gateway", Serve::as_scripted, 502, page(502), true, 502, false},
        StatusCase{"unavailable", Serve::as_scripted, 503, page(503), true, 503, false},
        StatusCase{"gateway_timeout", Serve::as_scripted, 504, page(504), true, 504, false},
        StatusCase{"redirect_to_a_page", Serve::redirect_to_ok, 302, "", true, 200, true},
        StatusCase{"redirect_to_an_error", Serve::redirect_to_503, 302, "", true, 503, false},
        StatusCase{"interim_then_ok", Serve::interim_then, 200, page(200), true, 200, true},
        StatusCase{"interim_then_unavailable", Serve::interim_then, 503, page(503), true, 503,
                   false},
        StatusCase{"unavailable_without_reason", Serve::no_reason, 503, page(503), true, 503,
                   false},
        StatusCase{"ok_cut_short", Serve::cut_short, 200, page(200), true, 200, false},
        StatusCase{"closed_without_reply", Serve::closed, 0, "", false, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FetchStatusRefused, AnAddressNeverFetchedHasNoStatus) {
  const FetchResult got = fetch_page("ftp://127.0.0.1/x");
  EXPECT_FALSE(got.arrived);
  EXPECT_EQ(got.status, 0);
  EXPECT_FALSE(answer_succeeded(got));
}

}  // namespace
}  // namespace orvane
