#include "tools/stub-service/pages.h"

namespace orvane::stub {
namespace {

std::string html_escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string html_page(std::string_view title, std::string_view body) {
  std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
  out += html_escaped(title);
  out += "</title></head>\n<body>\n";
  out += body;
  out += "\n</body></html>\n";
  return out;
}

}  // namespace

std::string refused_page(std::string_view keyword) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
      "<head><title>搜索受限</title></head>\n"
      "<body><p>keyword not accepted: ";
  out += html_escaped(keyword);
  out += "</p></body>\n</html>\n";
  return out;
}

std::string share_page(const Share& share) {
  const std::string heading = "<h1>" + html_escaped(share.title) + "</h1>\n";
  switch (share.state) {
    case ShareState::Missing:
      return html_page(
          share.title,
          heading +
              "<div class=\"share_nofound_des\">啊哦，你来晚了，分享的文件已经被取消了</div>");
    case ShareState::Broken:
      return html_page(share.title, heading + "<div class=\"module-error\">页面加载失败</div>");
    case ShareState::Alive:
      break;
  }
  return html_page(share.title, heading + "<p>" + html_escaped(share.file_type) + ", " +
                                    html_escaped(share.size) + ", " + std::to_string(share.views) +
                                    " views, " + std::to_string(share.downloads) +
                                    " downloads</p>");
}

std::string not_found_page(std::string_view path) {
  return html_page("404 Not Found", "<h1>404 Not Found</h1>\n<p>" + html_escaped(path) + "</p>");
}

std::string stats_page(std::string_view version, unsigned long visit) {
  return html_page(
      "tj", "<p>visit " + std::to_string(visit) + ", version " + html_escaped(version) + "</p>");
}

std::string simple_page(std::string_view title, std::string_view text) {
  return html_page(title,
                   "<h1>" + html_escaped(title) + "</h1>\n<p>" + html_escaped(text) + "</p>");
}

}  // namespace orvane::stub
