#include "search/search_command.h"

#include <utility>

#include <QRadioButton>

#include "app/assets.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/keyword_edit.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "common/codepage.h"
#include "common/fetch.h"
#include "common/gbk_text.h"
#include "common/markers.h"
#include "search/results_fill.h"
#include "search/search_reply.h"

namespace orvane {

namespace {

constexpr std::string_view kPlaceholder =
    "\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6";  // 请输入关键字
constexpr std::string_view kXhtmlNamespace = "http://www.w3.org/1999/xhtml";
constexpr std::size_t kShortestKeyword = 2;
constexpr std::size_t kLongestKeyword = 50;

std::string remove_forbidden_texts(std::string keyword) {
  for (std::string_view forbidden : {"<", ">", "0x", "&", "'"})
    keyword = replace_all(keyword, forbidden, "");
  return keyword;
}

// The message that refuses the keyword, or an empty string when it is acceptable.
QString keyword_problem(const std::string& keyword) {
  if (keyword.empty() || keyword == kPlaceholder) return QStringLiteral("搜索关键字不能为空");
  if (keyword.size() < kShortestKeyword) return QStringLiteral("你搜索的关键字太短了吧？");
  if (keyword.size() > kLongestKeyword) return QStringLiteral("你搜索的关键字太长了吧？");
  return {};
}

// The last selected radio button wins; none selected leaves the default order.
std::string order_suffix(const MainWindow& window) {
  std::string suffix;
  if (window.order_default()->isChecked()) suffix = "";
  if (window.order_by_time()->isChecked()) suffix = "&order=1";
  if (window.order_by_views()->isChecked()) suffix = "&order=2";
  return suffix;
}

void show_picture(MainWindow& window, const char* name, int width, int height) {
  PictureBox* box = window.message_picture();
  box->setVisible(true);
  box->set_picture_asset(name);
  box->resize(width, height);
}

void finish_search(MainWindow& window) {
  window.searching = false;
  window.check_button()->setEnabled(true);
  window.check_button()->setText(QStringLiteral("马上一键检查所有分享是否失效？"));
  window.results_list()->setVisible(true);
  window.message_picture()->setVisible(false);
  window.search_button()->setEnabled(true);
}

}  // namespace

void search_from_keyword_box(MainWindow& window) {
  // While the list fills, the search button is disabled; Enter is ignored then too, so
  // no second search can start inside the first.
  if (!window.search_button()->isEnabled()) return;
  std::string text = utf8_to_gbk(window.keyword_box()->text().toStdString());
  run_search(window, trim_spaces(text));
}

void run_search(MainWindow& window, std::string keyword) {
  if (window.checking) {
    show_message(QStringLiteral("检查分享中，请稍等一会再搜索。"));
    return;
  }
  keyword = remove_forbidden_texts(std::move(keyword));
  if (QString problem = keyword_problem(keyword); !problem.isEmpty()) {
    show_message(problem);
    return;
  }
  const std::string suffix = order_suffix(window);

  window.searching = true;
  window.results_list()->setVisible(false);

  const std::string address =
      window.endpoints().api_host + "/s/?kw=" + percent_encode(gbk_to_utf8(keyword)) + suffix;
  FetchResult answer = fetch_page(address);
  std::string reply = std::move(answer.text);

  if (reply.empty()) {
    show_picture(window, "connection_problem.jpg", 500, 150);
    return;
  }
  if (reply == "empty") {
    show_picture(window, "nothing_found.jpg", 500, 150);
    return;
  }
  if (find_text(reply, kXhtmlNamespace) >= 1) {
    show_message(QStringLiteral("你搜索的关键字太短或太长了吧？"));
    return;
  }
  // Any other error status is a page of the service's, a gateway's or a proxy's, never
  // records. A 2xx reply cut short still shows the records that came whole.
  if (!success_status(answer.status)) {
    show_picture(window, "connection_problem.jpg", 500, 150);
    return;
  }

  window.results_list()->delete_all_rows();
  window.search_button()->setEnabled(false);
  show_picture(window, "loading.gif", 146, 95);

  SearchReplyReader records(std::move(reply));
  fill_results_list(window, records);
  if (window.is_closed()) return;
  finish_search(window);
}

}  // namespace orvane
