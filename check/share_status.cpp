#include "check/share_status.h"

#include "common/gbk_text.h"

namespace orvane {

namespace {

bool page_holds(std::string_view page, std::string_view marker) {
  return find_text(page, marker, 1, /*ignore_case=*/true) >= 1;
}

}  // namespace

const char* share_status_text(ShareStatus status) {
  switch (status) {
    case ShareStatus::Normal:
      return "\xD5\xFD\xB3\xA3";  // 正常
    case ShareStatus::Invalid:
      return "\xCA\xA7\xD0\xA7";  // 失效
    case ShareStatus::Unknown:
      return "\xCE\xB4\xD6\xAA";  // 未知
  }
  return "";
}

ShareStatus judge_share_page(std::string_view page, bool arrived) {
  if (!arrived) return ShareStatus::Unknown;
  std::string_view text = as_text(page);
  if (page_holds(text, "share_nofound_des")) return ShareStatus::Invalid;
  if (page_holds(text, "module-error")) return ShareStatus::Unknown;
  return ShareStatus::Normal;
}

ShareStatus judge_fetched_page(const FetchResult& page) {
  const ShareStatus status = judge_share_page(page.text, page.arrived);
  // Without a marker only a whole 2xx page shows a live share: a page cut short, or the
  // error page of a proxy, a gateway or a rate limit, proves nothing about the share.
  if (status == ShareStatus::Normal && !answer_succeeded(page)) return ShareStatus::Unknown;
  return status;
}

}  // namespace orvane
