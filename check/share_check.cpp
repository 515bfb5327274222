#include "check/share_check.h"

#include "app/assets.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/picture_box.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_status.h"
#include "common/fetch.h"
#include "common/responsive_wait.h"

namespace orvane {

namespace {

constexpr int kStatusColumn = 5;
constexpr int kShareIdColumn = 6;

struct Counts {
  int normal = 0;
  int invalid = 0;
  int unknown = 0;

  void add(ShareStatus status) {
    switch (status) {
      case ShareStatus::Normal:
        ++normal;
        break;
      case ShareStatus::Invalid:
        ++invalid;
        break;
      case ShareStatus::Unknown:
        ++unknown;
        break;
    }
  }
};

ShareStatus check_one(const MainWindow& window, int row) {
  const std::string share_id = window.results_list()->cell(row, kShareIdColumn);
  // A page that never arrived is not a live share: it was not checked at all.
  const FetchResult page = fetch_page(window.endpoints().web_host + "/go/" + share_id);
  return judge_fetched_page(page);
}

void begin_check(MainWindow& window) {
  window.check_button()->setEnabled(false);
  window.checking = true;
  window.check_picture()->setVisible(true);
  window.check_picture()->set_picture_asset("checking.gif");
}

void end_check(MainWindow& window, const Counts& counts) {
  window.check_button()->setText(QStringLiteral("正常：%1，失效：%2，未知：%3")
                                     .arg(counts.normal)
                                     .arg(counts.invalid)
                                     .arg(counts.unknown));
  window.check_button()->setEnabled(true);
  window.checking = false;
  window.check_picture()->setVisible(false);
}

}  // namespace

void check_all_shares(MainWindow& window) {
  const int rows = window.results_list()->row_count();
  if (rows == 0) {
    show_message(QStringLiteral("暂时未找到分享，请先输入关键字进行搜索。"));
    return;
  }
  if (window.searching) {
    show_message(QStringLiteral("正在搜索中...稍等一会再检查！"));
    return;
  }

  begin_check(window);
  Counts counts;
  for (int k = 1; k <= rows; ++k) {
    const int row = k - 1;
    const ShareStatus status = check_one(window, row);
    window.results_list()->set_cell(row, kStatusColumn, share_status_text(status));
    counts.add(status);
    wait_responsive(1000);
    if (window.is_closed()) return;
    window.check_button()->setText(
        QStringLiteral("稍等一会，约%1个分享，当前：%2").arg(rows).arg(k));
  }
  end_check(window, counts);
}

}  // namespace orvane
