#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/message_box.h"
#include "tests/support/scripted_server.h"

namespace orvane::test {

// Records what the program hands to the default browser instead of starting one.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  UrlRecorder() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
  }
  ~UrlRecorder() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  }
  QList<QUrl> urls;

 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

// A window against a scripted loopback service (both hosts on one server), with the
// message boxes and the browser observed.
struct WindowFixture {
  ScriptedServer server;
  UrlRecorder browser;
  QStringList messages;
  std::unique_ptr<MainWindow> window;

  WindowFixture() {
    server.on("/version.txt", Reply::ok("1.0"));
    server.on("/tj.html", Reply::ok("<html></html>"));
    set_message_observer([this](const QString& text) { messages.append(text); });
  }
  ~WindowFixture() {
    window.reset();
    set_message_observer({});
  }

  MainWindow& start() {
    window = std::make_unique<MainWindow>(Endpoints{server.base_url(), server.base_url()});
    window->start();
    return *window;
  }

  // Requests whose path is `path`, in order of arrival.
  std::vector<Request> requests_to(const std::string& path) const {
    std::vector<Request> found;
    for (const Request& request : server.requests())
      if (request.path() == path) found.push_back(request);
    return found;
  }
};

// One record object in the reply format, keys in their order.
inline std::string record_json(const std::string& title, const std::string& type,
                               const std::string& size, const std::string& hits,
                               const std::string& downloads, const std::string& url) {
  return "{\"title\":\"" + title + "\",\"catid\":\"1\",\"filetype\":\"" + type +
         "\",\"filesize\":\"" + size + "\",\"hits\":\"" + hits + "\",\"sharexiazai\":\"" +
         downloads + "\",\"url\":\"" + url + "\"}";
}

// A reply of `count` records with ids s0, s1, ...
inline std::string reply_of(int count) {
  std::string reply = "{\"total\":\"" + std::to_string(count) + "\",\"list\":[";
  for (int i = 0; i < count; ++i) {
    if (i) reply += ",";
    const std::string n = std::to_string(i);
    reply += record_json("t" + n, "rar", n + "M", n, n, "s" + n);
  }
  return reply + "]}";
}

}  // namespace orvane::test
