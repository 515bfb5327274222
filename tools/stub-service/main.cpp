// orvane-stub: a loopback stand-in for the search service, serving the API host's and the
// web host's addresses from one port, for the demo build and the tests.
#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

#include <httplib.h>

#include "tools/stub-service/catalogue.h"
#include "tools/stub-service/pages.h"

namespace {

using orvane::stub::Catalogue;

constexpr const char* kUsage =
    "usage: orvane-stub --port N --data FILE [--version TEXT] [--bind ADDRESS]\n"
    "                   [--down-prefix PREFIX] [--gateway-keyword WORD] [--version-status CODE]\n"
    "  --port 0 picks a free port; the first line on stdout names the address.\n"
    "  --down-prefix: share pages whose id begins with PREFIX answer 503 with a gateway page.\n"
    "  --gateway-keyword: the search for WORD answers 502 with a gateway page.\n"
    "  --version-status: /version.txt answers CODE (400-599) with its reason, e.g. Not Found.\n";

struct Options {
  int port = -1;
  std::string data;
  std::string version = "1.0";
  std::string bind = "127.0.0.1";
  // Error statuses to try the program against; empty or 0 when off.
  std::string down_prefix;
  std::string gateway_keyword;
  int version_status = 0;
};

bool parse_error_status(std::string_view text, int& status) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), status);
  return ec == std::errc() && end == text.data() + text.size() && status >= 400 && status <= 599;
}

std::string ascii_lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool parse_port(std::string_view text, int& port) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= 0 && port <= 65535;
}

// False on a usage error, with a message printed.
bool parse_options(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "orvane-stub: %s needs a value\n%s", argv[i], kUsage);
      return false;
    }
    const char* value = argv[++i];
    if (arg == "--port") {
      if (!parse_port(value, options.port)) {
        std::fprintf(stderr, "orvane-stub: bad port '%s'\n", value);
        return false;
      }
    } else if (arg == "--data") {
      options.data = value;
    } else if (arg == "--version") {
      options.version = value;
    } else if (arg == "--bind") {
      options.bind = value;
    } else if (arg == "--down-prefix") {
      options.down_prefix = value;
    } else if (arg == "--gateway-keyword") {
      options.gateway_keyword = value;
    } else if (arg == "--version-status") {
      if (!parse_error_status(value, options.version_status)) {
        std::fprintf(stderr, "orvane-stub: bad status '%s' (400-599)\n", value);
        return false;
      }
    } else {
      std::fprintf(stderr, "orvane-stub: unknown option %s\n%s", argv[i - 1], kUsage);
      return false;
    }
  }
  if (options.port < 0 || options.data.empty()) {
    std::fprintf(stderr, "%s", kUsage);
    return false;
  }
  return true;
}

constexpr const char* kHtml = "text/html; charset=utf-8";
// The reply is pure ASCII (escapes), labelled the way the real service labels it.
constexpr const char* kReplyType = "text/html; charset=gbk";

void log_request(const httplib::Request& req, const httplib::Response& res) {
  const std::string& target = req.target.empty() ? req.path : req.target;
  std::string extra;
  if (res.has_header("X-Stub-Visit")) extra = " visit " + res.get_header_value("X-Stub-Visit");
  std::fprintf(stderr, "%s %s %d %zu%s\n", req.method.c_str(), target.c_str(), res.status,
               res.body.size(), extra.c_str());
}

void send_gateway_page(httplib::Response& res, int status) {
  res.status = status;
  res.set_content(orvane::stub::gateway_page(status), kHtml);
}

void add_search(httplib::Server& server, const Catalogue& catalogue, const Options& options) {
  server.Get("/s/", [&catalogue, &options](const httplib::Request& req, httplib::Response& res) {
    const std::string keyword = req.get_param_value("kw");
    if (!options.gateway_keyword.empty() &&
        ascii_lower(keyword) == ascii_lower(options.gateway_keyword)) {
      send_gateway_page(res, 502);
      return;
    }
    if (orvane::stub::is_refused(catalogue, keyword)) {
      res.set_content(orvane::stub::refused_page(keyword), kHtml);
      return;
    }
    const auto order = orvane::stub::order_from_param(req.get_param_value("order"));
    const auto hits = orvane::stub::search(catalogue, keyword, order);
    res.set_content(orvane::stub::search_reply_body(hits), kReplyType);
  });
}

void add_api_pages(httplib::Server& server, const Options& options) {
  server.Get("/version.txt", [&options](const httplib::Request&, httplib::Response& res) {
    if (options.version_status != 0) {
      res.status = options.version_status;
      res.set_content(orvane::stub::status_reason(options.version_status), "text/plain");
      return;
    }
    res.set_content(options.version, "text/plain");
  });
  server.Get("/tj.html", [](const httplib::Request& req, httplib::Response& res) {
    static std::atomic<unsigned long> visits{0};
    const unsigned long visit = ++visits;
    res.set_header("X-Stub-Visit", std::to_string(visit));
    res.set_content(orvane::stub::stats_page(req.get_param_value("ver"), visit), kHtml);
  });
}

void add_web_pages(httplib::Server& server, const Catalogue& catalogue, const Options& options) {
  server.Get(R"(/go/(.*))", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1].str();
    if (!options.down_prefix.empty() && id.rfind(options.down_prefix, 0) == 0) {
      send_gateway_page(res, 503);
      return;
    }
    const auto* share = catalogue.find(id);
    if (!share) {
      res.status = 404;
      res.set_content(orvane::stub::not_found_page(req.path), kHtml);
      return;
    }
    res.set_content(orvane::stub::share_page(*share), kHtml);
  });
  server.Get("/", [](const httplib::Request& req, httplib::Response& res) {
    if (req.has_param("soft"))
      res.set_content(orvane::stub::simple_page("网页版", "Vellix 网页版搜索（演示）"), kHtml);
    else
      res.set_content(orvane::stub::simple_page("Vellix", "演示用的搜索服务"), kHtml);
  });
  server.Get("/about/book.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(orvane::stub::simple_page("留言反馈", "欢迎留言反馈（演示）"), kHtml);
  });
  server.Get("/download/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(orvane::stub::simple_page("下载新版本", "最新版本下载（演示）"), kHtml);
  });
  server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (res.body.empty() && res.status == 404)
      res.set_content(orvane::stub::not_found_page(req.path), kHtml);
  });
}

// SIGINT/SIGTERM stop the server from a thread of its own, so listen() returns cleanly.
std::thread stop_on_signal(httplib::Server& server, const sigset_t& signals) {
  return std::thread([&server, signals] {
    int sig = 0;
    sigwait(&signals, &sig);
    server.stop();
  });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, options)) return 2;

  std::string error;
  const auto catalogue = orvane::stub::load_catalogue(options.data, error);
  if (!catalogue) {
    std::fprintf(stderr, "orvane-stub: %s\n", error.c_str());
    return 1;
  }

  // Blocked before any thread starts, so only the waiting thread receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  httplib::Server server;
  // The library asks for SO_REUSEPORT, which lets a second server share a taken port.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_logger(log_request);
  add_search(server, *catalogue, options);
  add_api_pages(server, options);
  add_web_pages(server, *catalogue, options);

  int port = options.port;
  if (port == 0)
    port = server.bind_to_any_port(options.bind);
  else if (!server.bind_to_port(options.bind, port))
    port = -1;
  if (port < 0) {
    std::fprintf(stderr, "orvane-stub: cannot listen on %s:%d (port taken or address invalid)\n",
                 options.bind.c_str(), options.port);
    return 1;
  }
  std::printf("listening on %s:%d\n", options.bind.c_str(), port);
  std::fflush(stdout);
  std::fprintf(stderr, "orvane-stub: %zu shares from %s\n", catalogue->shares.size(),
               options.data.c_str());

  auto stopper = stop_on_signal(server, signals);
  const bool ok = server.listen_after_bind();
  if (!ok) {
    std::fprintf(stderr, "orvane-stub: the server stopped with an error\n");
  }
  // listen() also returns when stop() came from the signal thread; wake it otherwise.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return ok ? 0 : 1;
}
