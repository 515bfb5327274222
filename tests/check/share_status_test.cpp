#include "check/share_status.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(judge_fetched_page(FetchResult{c.arrived, c.complete, c.page}), c.expected);
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

TEST(ShareStatusText, IsTheListText) {
  EXPECT_STREQ(share_status_text(ShareStatus::Normal), "\xD5\xFD\xB3\xA3");
  EXPECT_STREQ(share_status_text(ShareStatus::Invalid), "\xCA\xA7\xD0\xA7");
  EXPECT_STREQ(share_status_text(ShareStatus::Unknown), "\xCE\xB4\xD6\xAA");
}

}  // namespace
}  // namespace orvane
