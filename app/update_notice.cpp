#include "app/update_notice.h"

#include <QColor>
#include <QString>

#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/main_window.h"
#include "app/stats_page.h"
#include "common/codepage.h"
#include "common/fetch.h"
#include "common/responsive_wait.h"

namespace orvane {

namespace {

// The running version, in the three places it shows: the comparison, the stats page's
// query and the current-version caption.
constexpr const char* kOwnVersion = "1.0";
constexpr const char* kStatsPath = "/tj.html?ver=1.0";

bool is_newer_version(const std::string& reply) {
  return reply != kOwnVersion && !reply.empty() && reply.size() < 20;
}

void load_stats_page(MainWindow& window) {
  window.web_view()->load(QString::fromStdString(window.endpoints().api_host + kStatsPath));
}

}  // namespace

void show_update_notice(MainWindow& window) {
  // A reply cut short (a stall, a reset, the size cap) or an error page ("Not Found") is no
  // version number.
  const FetchResult version = fetch_page(window.endpoints().api_host + "/version.txt");
  const std::string reply = answer_succeeded(version) ? version.text : std::string();
  load_stats_page(window);
  wait_responsive(100);
  if (window.is_closed()) return;

  if (is_newer_version(reply)) {
    window.upgrade_link()->setVisible(true);
    window.upgrade_link()->set_address(
        QString::fromStdString(window.endpoints().web_host + "/download/?ver"));
    window.announcement()->set_text_color(QColor(255, 0, 0));
    // The reply is shown exactly as it came, line breaks included.
    window.announcement()->setText(QStringLiteral(" 公告：有新版本可更新，版本号为：") +
                                   QString::fromUtf8(gbk_to_utf8(reply)));
  } else {
    window.upgrade_link()->setVisible(false);
    window.announcement()->setText(
        QStringLiteral(" 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！"));
  }

  load_stats_page(window);
  wait_responsive(100);
}

}  // namespace orvane
