// Answers with an error status behind the start-up version fetch, the search and the share
// check, through the real window: error pages of the service, of gateways and of a proxy are
// never taken for a version, for records or for a live share; every 2xx answer is read as
// before. Last, the whole program behind a proxy (taken from http_proxy) whose origin is down.
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/assets.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "search/search_command.h"
#include "search/search_reply.h"
#include "tests/support/error_page.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

enum class Operation { version, search, check };

enum class Outcome {
  current_version,     // the current-version caption, no upgrade link
  newer_version,       // the body announced as a newer version
  connection_problem,  // the connection-problem picture, list hidden
  nothing_found,       // the nothing-found picture
  refusal,             // the message for a keyword the service refuses
  rows,                // a visible list with the records the body holds
  normal,              // check: "正常"
  invalid,             // check: "失效"
  unknown,             // check: "未知"
};

const std::string kPath[] = {"/version.txt", "/s/", "/go/x"};

const std::string kNotFound = "<div class=\"share_nofound_des\">gone</div>";
const std::string kModuleError = "<div class=\"module-error\">busy</div>";
const std::string kRefusal =
    "<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><style>p { "
    "color: red; }</style></head><body><p>refused</p></body></html>";

const QString kCurrentCaption =
    QStringLiteral(" 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！");
const std::string kStatusNormal = "\xD5\xFD\xB3\xA3";
const std::string kStatusInvalid = "\xCA\xA7\xD0\xA7";
const std::string kStatusUnknown = "\xCE\xB4\xD6\xAA";

// One row with a share id, as a search leaves it, for the check.
void add_one_row(MainWindow& w, const std::string& share_id) {
  ResultsList* list = w.results_list();
  list->set_cell(list->append_row(), 6, share_id);
  list->setVisible(true);
}

void verify_outcome(MainWindow& w, const QStringList& messages, Outcome outcome,
                    const std::string& body) {
  ResultsList* list = w.results_list();
  switch (outcome) {
    case Outcome::current_version:
      QCOMPARE(w.announcement()->text(), kCurrentCaption);
      QVERIFY(!w.upgrade_link()->isVisible());
      break;
    case Outcome::newer_version:
      QCOMPARE(w.announcement()->text(),
               QStringLiteral(" 公告：有新版本可更新，版本号为：") + QString::fromStdString(body));
      QVERIFY(w.upgrade_link()->isVisible());
      break;
    case Outcome::connection_problem:
    case Outcome::nothing_found:
      QVERIFY(w.message_picture()->isVisible());
      QCOMPARE(w.message_picture()->picture_bytes(),
               asset_bytes(outcome == Outcome::nothing_found ? "nothing_found.jpg"
                                                             : "connection_problem.jpg"));
      QVERIFY(!list->isVisible());
      QVERIFY(messages.isEmpty());
      break;
    case Outcome::refusal:
      QCOMPARE(messages, QStringList{QStringLiteral("你搜索的关键字太短或太长了吧？")});
      QCOMPARE(list->row_count(), 0);
      break;
    case Outcome::rows: {
      const std::vector<SearchRecord> records = parse_search_reply(body);
      QCOMPARE(list->row_count(), static_cast<int>(records.size()));
      for (int row = 0; row < list->row_count(); ++row)
        QCOMPARE(list->cell(row, 6), records[static_cast<std::size_t>(row)].share_id);
      QVERIFY(list->isVisible());
      QVERIFY(!w.searching);
      QVERIFY(w.search_button()->isEnabled());
      QVERIFY(messages.isEmpty());
      break;
    }
    case Outcome::normal:
    case Outcome::invalid:
    case Outcome::unknown: {
      const std::string& text = outcome == Outcome::normal    ? kStatusNormal
                                : outcome == Outcome::invalid ? kStatusInvalid
                                                              : kStatusUnknown;
      QCOMPARE(list->cell(0, 5), text);
      QVERIFY(!w.checking);
      QVERIFY(messages.isEmpty());
      break;
    }
  }
}

// Sets a variable for this process and puts the old value back afterwards.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::optional<std::string>& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~EnvironmentVariable() {
    if (m_old)
      setenv(m_name, m_old->c_str(), 1);
    else
      unsetenv(m_name);
  }
  EnvironmentVariable(const EnvironmentVariable&) = delete;
  EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

}  // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Outcome)

class ErrorStatusTest : public QObject {
  Q_OBJECT

 private slots:
  void answer_read_by_its_status_data();
  void answer_read_by_its_status();
  void proxy_with_its_origin_down();
};

void ErrorStatusTest::answer_read_by_its_status_data() {
  QTest::addColumn<Operation>("op");
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<Outcome>("outcome");

  using O = Outcome;
  const auto row = [](Operation op, const char* name, int status, const std::string& body,
                      Outcome outcome) {
    static const char* const kOp[] = {"version", "search", "check"};
    QTest::addRow("%s: %d %s", kOp[static_cast<int>(op)], status, name)
        << op << status << QByteArray::fromStdString(body) << outcome;
  };

  // 2xx answers, read as they always were.
  row(Operation::version, "newer", 200, "1.1", O::newer_version);
  row(Operation::version, "page", 200, proxy_error_page(200), O::current_version);
  row(Operation::version, "empty", 204, "", O::current_version);
  row(Operation::search, "records", 200, reply_of(4), O::rows);
  row(Operation::search, "page with braces", 200, proxy_error_page(200), O::rows);
  row(Operation::search, "empty", 204, "", O::connection_problem);
  row(Operation::check, "page", 200, proxy_error_page(200), O::normal);
  row(Operation::check, "page with the not-found marker", 200, proxy_error_page(200, kNotFound),
      O::invalid);
  row(Operation::check, "empty", 204, "", O::normal);

  // Error statuses: a page that looks like a proxy's or a gateway's, and for the version a
  // short text that would pass for a version number.
  for (const int status : {301, 404, 429, 500, 502, 503, 504}) {
    const std::string page = proxy_error_page(status);
    row(Operation::version, "page", status, page, O::current_version);
    row(Operation::version, "short text", status, "1.1", O::current_version);
    row(Operation::search, "page", status, page, O::connection_problem);
    row(Operation::check, "page", status, page, O::unknown);
  }
  row(Operation::version, "Not Found", 404, "Not Found", O::current_version);

  // The markers decide whatever the status.
  const std::string not_found = proxy_error_page(404, kNotFound);
  const std::string module_error = proxy_error_page(404, kModuleError);
  row(Operation::check, "with the not-found marker", 404, not_found, O::invalid);
  row(Operation::check, "with only module-error", 404, module_error, O::unknown);
  row(Operation::check, "gateway page with the not-found marker", 502,
      proxy_error_page(502, kNotFound), O::invalid);
  row(Operation::search, "with the not-found marker", 404, not_found, O::connection_problem);
  row(Operation::search, "with only module-error", 404, module_error, O::connection_problem);

  // What the search recognises before the status.
  row(Operation::search, "records", 500, reply_of(4), O::connection_problem);
  row(Operation::search, "saying empty", 503, "empty", O::nothing_found);
  row(Operation::search, "XHTML refusal", 403, kRefusal, O::refusal);
  row(Operation::search, "XHTML refusal", 200, kRefusal, O::refusal);
}

void ErrorStatusTest::answer_read_by_its_status() {
  QFETCH(Operation, op);
  QFETCH(int, status);
  QFETCH(QByteArray, body);
  QFETCH(Outcome, outcome);

  WindowFixture f;
  f.server.on(kPath[static_cast<int>(op)], Reply::status(status, body.toStdString()));
  MainWindow& w = f.start();
  if (op == Operation::search) run_search(w, "ab");
  if (op == Operation::check) {
    add_one_row(w, "x");
    check_all_shares(w);
  }
  QCOMPARE(f.requests_to(kPath[static_cast<int>(op)]).size(), std::size_t{1});
  verify_outcome(w, f.messages, outcome, body.toStdString());
  QVERIFY(w.isVisible());
}

// The way offices and schools reach the web: every request goes to the proxy named in
// http_proxy, and with the origin down the proxy answers each with its own 503 page.
void ErrorStatusTest::proxy_with_its_origin_down() {
  ScriptedServer proxy;
  QVERIFY(proxy.port() != 0);
  proxy.set_default(Reply::status(503, proxy_error_page(503)));
  // The test environment turns proxies off; this process turns one on for this test only.
  EnvironmentVariable http_proxy("http_proxy", proxy.base_url());
  EnvironmentVariable no_proxy("no_proxy", std::nullopt);
  EnvironmentVariable no_proxy_upper("NO_PROXY", std::nullopt);

  // A host name that never resolves: only the proxy can have answered.
  const std::string origin = "http://origin.orvane.invalid";
  QStringList messages;
  set_message_observer([&messages](const QString& text) { messages.append(text); });
  MainWindow w(Endpoints{origin, origin});
  w.start();
  verify_outcome(w, messages, Outcome::current_version, {});

  add_one_row(w, "x");
  check_all_shares(w);
  verify_outcome(w, messages, Outcome::unknown, {});

  run_search(w, "ab");
  verify_outcome(w, messages, Outcome::connection_problem, {});
  set_message_observer({});

  // Each request reached the proxy in absolute form, naming the origin.
  std::vector<std::string> targets;
  for (const Request& request : proxy.requests()) {
    QCOMPARE(request.method, std::string("GET"));
    targets.push_back(request.target);
  }
  const auto reached = [&targets](const std::string& prefix) {
    return std::any_of(targets.begin(), targets.end(),
                       [&prefix](const std::string& target) { return target.starts_with(prefix); });
  };
  for (const std::string& wanted : {origin + "/version.txt", origin + "/s/?kw=", origin + "/go/x"})
    QVERIFY2(reached(wanted), wanted.c_str());
}

QTEST_MAIN(ErrorStatusTest)
#include "error_status_test.moc"
