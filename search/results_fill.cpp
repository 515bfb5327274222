#include "search/results_fill.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <string>
#include <string_view>

#include "app/browser.h"
#include "app/main_window.h"
#include "app/results_list.h"
#include "common/responsive_wait.h"
#include "search/search_reply.h"

namespace orvane {

namespace {

constexpr const char* kTimes = "\xB4\xCE";  // 次
constexpr int kStatusColumn = 5;
constexpr int kShareIdColumn = 6;

// Bytes a URL cannot carry raw (controls, space, non-ASCII such as GBK, and the few
// delimiters browsers treat specially) are percent-encoded; the rest stays as sent.
std::string url_safe(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) {
    if (b <= 0x20 || b >= 0x7F ||
        std::string_view("\"<>\\^`{|}").find(char(b)) != std::string_view::npos) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += char(b);
    }
  }
  return out;
}

void add_row(ResultsList& list, const SearchRecord& record) {
  const int row = list.append_row();
  list.set_cell(row, 0, record.file_type);
  list.set_cell(row, 1, record.title);
  list.set_cell(row, 2, record.file_size);
  list.set_cell(row, 3, record.views + kTimes);
  list.set_cell(row, 4, record.downloads + kTimes);
  list.set_cell(row, kShareIdColumn, record.share_id);
}

}  // namespace

void fill_results_list(MainWindow& window, SearchReplyReader& records) {
  ResultsList& list = *window.results_list();
  // A scroll bar appears from 18 rows on; the status column makes room for it.
  list.setColumnWidth(kStatusColumn, records.size() <= 17 ? 81 : 63);
  while (std::optional<SearchRecord> record = records.next()) {
    add_row(list, *record);
    pump_events_for(10);
    if (window.is_closed()) return;
  }
}

void open_selected_share(MainWindow& window) {
  const ResultsList& list = *window.results_list();
  const std::string share_id = list.cell(list.first_selected_row(), kShareIdColumn);
  const std::string address = window.endpoints().web_host + "/go/" + url_safe(share_id);
  // Whatever the id holds, it stays in the path: the page opened is on the web host.
  const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(address), QUrl::TolerantMode);
  const QUrl web_host(QString::fromStdString(window.endpoints().web_host));
  if (!url.isValid() || url.host() != web_host.host() || url.port() != web_host.port()) return;
  open_in_browser(url.toString(QUrl::FullyEncoded));
}

}  // namespace orvane
