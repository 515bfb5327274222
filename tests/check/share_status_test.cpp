#include "check/share_status.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/error_page.h"

namespace orvane {
namespace {

struct VerdictCase {
  const char* name;
  std::string page;
  bool arrived;
  bool complete;
  ShareStatus expected;
};

class ShareVerdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(ShareVerdict, FollowsTheMarkers) {
  const VerdictCase& c = GetParam();
  const long status = c.arrived ? 200 : 0;
  EXPECT_EQ(judge_fetched_page(FetchResult{c.arrived, c.complete, c.page, status}), c.expected);
  if (c.complete) {
    EXPECT_EQ(judge_share_page(c.page, c.arrived), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ShareVerdict,
    ::testing::Values(
        VerdictCase{"alive", "<html>share</html>", true, true, ShareStatus::Normal},
        VerdictCase{"empty_page", "", true, true, ShareStatus::Normal},
        VerdictCase{"not_found", "<div class=\"share_nofound_des\">", true, true,
                    ShareStatus::Invalid},
        VerdictCase{"not_found_in_capitals", "SHARE_NOFOUND_DES", true, true, ShareStatus::Invalid},
        VerdictCase{"both_markers", "module-error share_nofound_des", true, true,
                    ShareStatus::Invalid},
        VerdictCase{"only_error", "<p class=\"Module-Error\">", true, true, ShareStatus::Unknown},
        // The marker's first byte is the second byte of a double-byte character.
        VerdictCase{"marker_inside_a_character", "\xB5share_nofound_des", true, true,
                    ShareStatus::Normal},
        VerdictCase{"after_a_double_byte_character", "\xB5\xC8share_nofound_des", true, true,
                    ShareStatus::Invalid},
        VerdictCase{"marker_after_a_zero_byte", std::string("ok\0share_nofound_des", 20), true,
                    true, ShareStatus::Normal},
        VerdictCase{"never_arrived", "", false, false, ShareStatus::Unknown},
        VerdictCase{"cut_short_without_marker", "<html>sha", true, false, ShareStatus::Unknown},
        VerdictCase{"cut_short_after_a_marker", "<html>module-error", true, false,
                    ShareStatus::Unknown},
        VerdictCase{"cut_short_after_not_found", "share_nofound_des<", true, false,
                    ShareStatus::Invalid}),
    [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
  const char* name;
  long status;
  std::string page;
  bool complete;
  ShareStatus expected;
};

class ShareVerdictByStatus : public ::testing::TestWithParam<StatusCase> {};

// The markers decide whatever the status; without one, only a whole 2xx page is a live share.
TEST_P(ShareVerdictByStatus, OnlyASucceededAnswerIsAlive) {
  const StatusCase& c = GetParam();
  EXPECT_EQ(judge_fetched_page(FetchResult{true, c.complete, c.page, c.status}), c.expected);
}

const std::string kNotFound = "<div class=\"share_nofound_des\">gone</div>";
const std::string kModuleError = "<div class=\"module-error\">busy</div>";

INSTANTIATE_TEST_SUITE_P(
    Statuses, ShareVerdictByStatus,
    ::testing::Values(
        StatusCase{"ok", 200, test::proxy_error_page(200), true, ShareStatus::Normal},
        StatusCase{"ok_with_not_found", 200, test::proxy_error_page(200, kNotFound), true,
                   ShareStatus::Invalid},
        StatusCase{"last_of_the_2xx", 299, test::proxy_error_page(299), true, ShareStatus::Normal},
        StatusCase{"no_content", 204, "", true, ShareStatus::Normal},
        StatusCase{"ok_cut_short", 200, test::proxy_error_page(200), false, ShareStatus::Unknown},
        StatusCase{"interim_status", 199, test::proxy_error_page(199), true, ShareStatus::Unknown},
        StatusCase{"moved_nowhere", 301, test::proxy_error_page(301), true, ShareStatus::Unknown},
        StatusCase{"multiple_choices", 300, test::proxy_error_page(300), true,
                   ShareStatus::Unknown},
        StatusCase{"not_found_plain", 404, test::proxy_error_page(404), true, ShareStatus::Unknown},
        StatusCase{"not_found_with_marker", 404, test::proxy_error_page(404, kNotFound), true,
                   ShareStatus::Invalid},
        StatusCase{"not_found_with_module_error", 404, test::proxy_error_page(404, kModuleError),
                   true, ShareStatus::Unknown},
        StatusCase{"rate_limited", 429, test::proxy_error_page(429), true, ShareStatus::Unknown},
        StatusCase{"server_error", 500, test::proxy_error_page(500), true, ShareStatus::Unknown},
        StatusCase{"bad_gateway", 502, test::proxy_error_page(502), true, ShareStatus::Unknown},
        StatusCase{"unavailable", 503, test::proxy_error_page(503), true, ShareStatus::Unknown},
        StatusCase{"unavailable_empty", 503, "", true, ShareStatus::Unknown},
        StatusCase{"gateway_timeout", 504, test::proxy_error_page(504), true, ShareStatus::Unknown},
        StatusCase{"gateway_timeout_with_marker", 504, test::proxy_error_page(504, kNotFound), true,
                   ShareStatus::Invalid}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShareStatusText, IsTheListText) {
  EXPECT_STREQ(share_status_text(ShareStatus::Normal), "\xD5\xFD\xB3\xA3");
  EXPECT_STREQ(share_status_text(ShareStatus::Invalid), "\xCA\xA7\xD0\xA7");
  EXPECT_STREQ(share_status_text(ShareStatus::Unknown), "\xCE\xB4\xD6\xAA");
}

}  // namespace
}  // namespace orvane
