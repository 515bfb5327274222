// Child process of window_bench: the least any window doing the program's start-up job
// costs, with no waits. It links what the program must link (Qt Widgets, libcurl), reads
// the version file once with libcurl, and shows a window of the program's size with one
// line edit of CJK text in the program's face. The program's start-up beyond its two
// waits, minus this, is what its own code adds.
//   reference_window_probe window HOST   print "<first paint ns> <resident KiB>" and exit
// (the arguments of startup_probe's window mode)
#include <string>

#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QWidget>

#include <curl/curl.h>

#include "bench/probe_common.h"

namespace {

std::size_t drop(char*, std::size_t size, std::size_t count, void*) { return size * count; }

void fetch_version(const std::string& host) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* curl = curl_easy_init();
  const std::string address = host + "/version.txt";
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, drop);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QApplication app(argc, argv);
  QFont::insertSubstitutions(QStringLiteral("微软雅黑"), {QStringLiteral("WenQuanYi Micro Hei"),
                                                          QStringLiteral("Noto Sans CJK SC")});
  orvane::bench::FirstShown watcher;
  QWidget window;
  window.setFixedSize(850, 550);
  QLineEdit box(QStringLiteral("请输入关键字"), &window);
  QFont face(QStringLiteral("微软雅黑"));
  face.setPixelSize(19);
  box.setFont(face);
  box.setGeometry(6, 86, 394, 35);
  fetch_version(argv[2]);
  window.installEventFilter(&watcher);
  window.show();
  return app.exec();
}
