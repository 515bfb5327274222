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

const char* status_reason(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    case 504:
      return "Gateway Timeout";
    default:
      return "Error";
  }
}

std::string gateway_page(int status) {
  const std::string title = std::to_string(status) + " " + status_reason(status);
  return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html><head><title>" + title +
         "</title>\n<style type=\"text/css\">\nbody { font-family: sans-serif; margin: 2em; }\n"
         "h1 { color: #a00; } #detail { font-size: 90%; }\n</style></head>\n<body><h1>" +
         title +
         "</h1>\n<p id=\"detail\">The gateway could not reach the service (stub).</p>\n"
         "</body></html>\n";
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
