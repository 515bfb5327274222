// Runs the real orvane-stub binary on a free loopback port and talks to it over HTTP.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include "search/search_reply.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path temp_path(const std::string& name) {
  return fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
}

// A ctest-friendly case name from an address: its letters and digits, and its index.
std::string case_name(const std::string& target, std::size_t index) {
  std::string name = std::to_string(index) + "_";
  for (char c : target) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// One orvane-stub process; stderr goes to a file so the log can be read back.
class StubProcess {
 public:
  explicit StubProcess(std::vector<std::string> args, const std::string& tag = "stub")
      : m_log(temp_path("orvane-stub-log-" + tag)) {
    args.insert(args.begin(), ORVANE_STUB_PATH);
    int out[2];
    if (pipe(out) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      const int err = open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out[1], STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      close(out[0]);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    m_stdout = out[0];
  }
  ~StubProcess() {
    if (m_pid > 0 && !m_exited) {
      kill(m_pid, SIGTERM);
      wait_exit();
    }
    if (m_stdout >= 0) close(m_stdout);
    std::error_code ec;
    fs::remove(m_log, ec);
  }

  // The first line on stdout, or "" once the process has ended or after a generous wait.
  std::string first_line() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{m_stdout, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      if (read(m_stdout, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return {};
  }

  int port() {
    const std::string line = first_line();
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) return -1;
    return std::atoi(line.c_str() + prefix.size());
  }

  // The exit code, or -1 if it ended by a signal or did not end within the wait.
  int wait_exit() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10'000);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
    m_exited = true;
    return -1;
  }

  int stop() {
    kill(m_pid, SIGTERM);
    return wait_exit();
  }

  std::string log() const { return read_file(m_log); }

  // The server logs a request after sending the reply, so the line may lag behind it.
  std::string log_once_it_has(const std::string& text) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string current = log();
    while (current.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      usleep(10'000);
      current = log();
    }
    return current;
  }

 private:
  pid_t m_pid = -1;
  int m_stdout = -1;
  bool m_exited = false;
  fs::path m_log;
};

// A small catalogue whose answers the tests can state exactly.
constexpr const char* kCatalogue =
    "id\ttitle\tfiletype\tsize\tviews\tdownloads\tupdated\tstate\n"
    "#refused\tblocked word\n"
    "sa1\tPython 入门教程\tpdf\t12K\t30\t3\t2015-01-01\talive\n"
    "sb2\t高等数学 教程 \"第7版\"\t文件夹\t1.2G\t500\t40\t2020-05-05\tmissing\n"
    "sc3\tLinux 教程 python 篇\tmp4\t356M\t100\t0\t2022-09-09\tbroken\n"
    "sd4\t电影 😀 合集\tmkv\t4.0G\t7\t1\t2010-03-03\talive\n";

class StubServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_data = new fs::path(temp_path("orvane-stub-data"));
    std::ofstream(*s_data, std::ios::binary) << kCatalogue;
    s_stub = new StubProcess({"--port", "0", "--data", s_data->string()}, "suite");
    s_port = s_stub->port();
  }
  static void TearDownTestSuite() {
    delete s_stub;
    fs::remove(*s_data);
    delete s_data;
  }
  void SetUp() override { ASSERT_GT(s_port, 0) << s_stub->log(); }

  static httplib::Result get(const std::string& target) {
    httplib::Client client("127.0.0.1", s_port);
    client.set_connection_timeout(10);
    client.set_read_timeout(10);
    return client.Get(target);
  }
  static std::string body(const std::string& target) {
    auto res = get(target);
    return res ? res->body : "<no reply>";
  }

  static inline fs::path* s_data = nullptr;
  static inline StubProcess* s_stub = nullptr;
  static inline int s_port = -1;
};

TEST_F(StubServiceTest, ReplyHasTheRecordFormatWithEscapedTitles) {
  // 高等 -> one hit, with the title's quotes escaped and every non-ASCII character as \u.
  auto res = get("/s/?kw=%E9%AB%98%E7%AD%89");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_THAT(res->get_header_value("Content-Type"), HasSubstr("charset=gbk"));
  EXPECT_EQ(res->body, R"({"total":"1","list":[{"title":"\u9ad8\u7b49\u6570\u5b66 \u6559\u7a0b )"
                       R"(\"\u7b2c7\u7248\"","catid":"5","filetype":"\u6587\u4ef6\u5939",)"
                       R"("filesize":"1.2G","hits":"500","sharexiazai":"40","url":"sb2"}]})");
}

TEST_F(StubServiceTest, CharactersBeyondTheBmpAreSurrogatePairs) {
  EXPECT_THAT(body("/s/?kw=%E7%94%B5%E5%BD%B1"), HasSubstr(R"(\ud83d\ude00)"));
}

struct OrderCase {
  std::string target;
  std::vector<std::string> ids;  // in reply order
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.target; }

class StubSearchOrder : public StubServiceTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(StubSearchOrder, HitsComeInTheAskedOrder) {
  const auto records = orvane::parse_search_reply(body(GetParam().target));
  std::vector<std::string> ids;
  for (const auto& r : records) ids.push_back(r.share_id);
  EXPECT_EQ(ids, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, StubSearchOrder,
    ::testing::Values(
        // 教程: titles starting with the keyword first, then catalogue order.
        OrderCase{"/s/?kw=%E6%95%99%E7%A8%8B", {"sa1", "sb2", "sc3"}},
        OrderCase{"/s/?kw=python", {"sa1", "sc3"}},
        OrderCase{"/s/?kw=PYTHON", {"sa1", "sc3"}},  // ASCII letters fold
        OrderCase{"/s/?kw=linux", {"sc3"}},
        OrderCase{"/s/?kw=%E6%95%99%E7%A8%8B&order=1", {"sc3", "sb2", "sa1"}},  // newest first
        OrderCase{"/s/?kw=%E6%95%99%E7%A8%8B&order=2", {"sb2", "sc3", "sa1"}},  // most views
        OrderCase{"/s/?kw=%E6%95%99%E7%A8%8B&order=9", {"sa1", "sb2", "sc3"}}),
    [](const auto& info) { return case_name(info.param.target, info.index); });

TEST_F(StubServiceTest, NoHitIsExactlyEmpty) { EXPECT_EQ(body("/s/?kw=%61%62%63%64"), "empty"); }

class StubRefusal : public StubServiceTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(StubRefusal, RefusedKeywordGetsAnXhtmlPage) {
  EXPECT_THAT(body(GetParam()), HasSubstr("http://www.w3.org/1999/xhtml"));
}

INSTANTIATE_TEST_SUITE_P(Keywords, StubRefusal,
                         ::testing::Values("/s/?kw=", "/s/", "/s/?kw=%20%20", "/s/?kw=refused",
                                           "/s/?kw=REFUSED", "/s/?kw=blocked%20word"),
                         [](const auto& info) { return case_name(info.param, info.index); });

TEST_F(StubServiceTest, VersionIsTheDefaultTextByteForByte) {
  EXPECT_EQ(body("/version.txt"), "1.0");
}

TEST_F(StubServiceTest, StatisticsPageIsCountedInTheLog) {
  auto res = get("/tj.html?ver=1.0");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_THAT(s_stub->log_once_it_has(" visit "), HasSubstr("GET /tj.html?ver=1.0 200 "));
}

struct PageCase {
  std::string target;
  int status;
  std::vector<std::string> present;
  std::vector<std::string> absent;
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.target; }

class StubPages : public StubServiceTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(StubPages, PageHasItsStatusAndMarkers) {
  const auto& c = GetParam();
  auto res = get(c.target);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, c.status);
  for (const auto& text : c.present) EXPECT_THAT(res->body, HasSubstr(text));
  for (const auto& text : c.absent) EXPECT_THAT(res->body, Not(HasSubstr(text)));
}

const std::vector<std::string> kMarkers = {"share_nofound_des", "module-error"};

INSTANTIATE_TEST_SUITE_P(
    Pages, StubPages,
    ::testing::Values(PageCase{"/go/sa1", 200, {"<html"}, kMarkers},
                      PageCase{"/go/sb2", 200, {R"(<div class="share_nofound_des">)"}, {}},
                      PageCase{"/go/sc3", 200, {"module-error"}, {"share_nofound_des"}},
                      PageCase{"/go/zz9", 404, {"404"}, kMarkers},
                      PageCase{"/go/", 404, {"404"}, kMarkers},
                      PageCase{"/?soft", 200, {"<html"}, kMarkers},
                      PageCase{"/about/book.html", 200, {"<html"}, kMarkers},
                      PageCase{"/download/?ver", 200, {"<html"}, kMarkers},
                      PageCase{"/no/such/page", 404, {"404"}, kMarkers}),
    [](const auto& info) { return case_name(info.param.target, info.index); });

// With the error options, chosen addresses answer like a gateway whose service is down;
// everything else answers as without them.
class StubErrorStatuses : public ::testing::TestWithParam<PageCase> {
 protected:
  static void SetUpTestSuite() {
    s_data = new fs::path(temp_path("orvane-stub-data-errors"));
    std::ofstream(*s_data, std::ios::binary) << kCatalogue;
    s_stub = new StubProcess({"--port", "0", "--data", s_data->string(), "--down-prefix", "sb",
                              "--gateway-keyword", "Gateway", "--version-status", "404"},
                             "errors");
    s_port = s_stub->port();
  }
  static void TearDownTestSuite() {
    delete s_stub;
    fs::remove(*s_data);
    delete s_data;
  }
  static inline fs::path* s_data = nullptr;
  static inline StubProcess* s_stub = nullptr;
  static inline int s_port = -1;
};

TEST_P(StubErrorStatuses, AnswerHasItsStatusAndBody) {
  ASSERT_GT(s_port, 0) << s_stub->log();
  const auto& c = GetParam();
  httplib::Client client("127.0.0.1", s_port);
  auto res = client.Get(c.target);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, c.status);
  for (const auto& text : c.present) EXPECT_THAT(res->body, HasSubstr(text));
  for (const auto& text : c.absent) EXPECT_THAT(res->body, Not(HasSubstr(text)));
}

// A gateway page: CSS braces, no XHTML namespace, neither share marker.
const std::vector<std::string> kNotAPage = {"share_nofound_des", "module-error",
                                            "http://www.w3.org/1999/xhtml", "\"list\""};

INSTANTIATE_TEST_SUITE_P(
    Options, StubErrorStatuses,
    ::testing::Values(PageCase{"/go/sb2", 503, {"503 Service Unavailable", "{", "}"}, kNotAPage},
                      PageCase{"/go/sbzz", 503, {"503"}, kNotAPage},
                      PageCase{"/go/sa1", 200, {"<html"}, kMarkers},
                      PageCase{"/go/sc3", 200, {"module-error"}, {}},
                      PageCase{"/s/?kw=gateway", 502, {"502 Bad Gateway", "{", "}"}, kNotAPage},
                      PageCase{"/s/?kw=GATEWAY", 502, {"502"}, kNotAPage},
                      PageCase{"/s/?kw=python", 200, {R"("url":"sa1")"}, {}},
                      PageCase{"/s/?kw=refused", 200, {"http://www.w3.org/1999/xhtml"}, {}},
                      PageCase{"/version.txt", 404, {"Not Found"}, {"1.0"}}),
    [](const auto& info) { return case_name(info.param.target, info.index); });

TEST(StubServiceOptions, VersionStatusOutsideTheErrorsIsRefused) {
  for (const char* status : {"200", "302", "600", "4o4"}) {
    StubProcess stub({"--port", "0", "--data", ORVANE_STUB_CATALOGUE, "--version-status", status},
                     "badstatus");
    EXPECT_EQ(stub.wait_exit(), 2) << status;
    EXPECT_THAT(stub.log(), HasSubstr(std::string("bad status '") + status + "'"));
  }
}

TEST_F(StubServiceTest, EveryRequestIsLoggedWithStatusAndSize) {
  ASSERT_EQ(body("/s/?kw=%61%62%63%64&order=2"), "empty");
  const std::string line = "GET /s/?kw=%61%62%63%64&order=2 200 5\n";
  EXPECT_THAT(s_stub->log_once_it_has(line), HasSubstr(line));
}

TEST_F(StubServiceTest, RepliesToHttp10Requests) {
  // The program speaks HTTP/1.0; send one by hand.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(s_port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const std::string request = "GET /version.txt HTTP/1.0\r\nHost: x\r\n\r\n";
  ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  std::string reply;
  char buf[512];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) reply.append(buf, n);
  close(fd);
  EXPECT_THAT(reply, HasSubstr(" 200 "));
  EXPECT_THAT(reply, ::testing::EndsWith("\r\n\r\n1.0"));
}

TEST(StubServiceOptions, VersionTextIsSentAsGiven) {
  const fs::path data = temp_path("orvane-stub-data-version");
  std::ofstream(data, std::ios::binary) << kCatalogue;
  StubProcess stub({"--port", "0", "--data", data.string(), "--version", "1.1\n"}, "version");
  const int port = stub.port();
  ASSERT_GT(port, 0);
  httplib::Client client("127.0.0.1", port);
  auto res = client.Get("/version.txt");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "1.1\n");
  EXPECT_EQ(stub.stop(), 0);  // SIGTERM ends it cleanly
  fs::remove(data);
}

TEST(StubServiceOptions, PortTakenIsAClearErrorWithExitCode1) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  const std::string port = std::to_string(ntohs(addr.sin_port));

  StubProcess stub({"--port", port, "--data", ORVANE_STUB_CATALOGUE}, "taken");
  EXPECT_EQ(stub.wait_exit(), 1);
  EXPECT_THAT(stub.log(), HasSubstr("cannot listen on 127.0.0.1:" + port));
  close(fd);
}

TEST(StubServiceOptions, UnreadableDataFileIsAClearErrorWithExitCode1) {
  StubProcess stub({"--port", "0", "--data", "/nonexistent/catalogue.tsv"}, "nodata");
  EXPECT_EQ(stub.wait_exit(), 1);
  EXPECT_THAT(stub.log(), HasSubstr("cannot read the data file /nonexistent/catalogue.tsv"));
}

TEST(StubServiceOptions, MalformedDataFileNamesTheLine) {
  const fs::path data = temp_path("orvane-stub-data-bad");
  std::ofstream(data, std::ios::binary) << "header\nsa1\tonly three\tcolumns\n";
  StubProcess stub({"--port", "0", "--data", data.string()}, "bad");
  EXPECT_EQ(stub.wait_exit(), 1);
  EXPECT_THAT(stub.log(), HasSubstr("line 2"));
  fs::remove(data);
}

// The committed catalogue: the demo keywords all find something, and every hit parses into
// a complete record with a letters-and-digits share id.
class StubCatalogue : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    s_stub = new StubProcess({"--port", "0", "--data", ORVANE_STUB_CATALOGUE}, "catalogue");
    s_port = s_stub->port();
  }
  static void TearDownTestSuite() { delete s_stub; }
  static inline StubProcess* s_stub = nullptr;
  static inline int s_port = -1;
};

TEST_P(StubCatalogue, DemoKeywordHitsAndParses) {
  ASSERT_GT(s_port, 0);
  httplib::Client client("127.0.0.1", s_port);
  auto res = client.Get("/s/?kw=" + GetParam());
  ASSERT_TRUE(res);
  const auto records = orvane::parse_search_reply(res->body);
  ASSERT_FALSE(records.empty()) << res->body;
  for (const auto& r : records) {
    EXPECT_FALSE(r.title.empty());
    EXPECT_FALSE(r.file_type.empty());
    EXPECT_FALSE(r.file_size.empty());
    ASSERT_FALSE(r.share_id.empty());
    EXPECT_EQ(r.share_id.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789"),
              std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Keywords, StubCatalogue,
                         ::testing::Values("%E6%95%99%E7%A8%8B",  // 教程
                                           "python",
                                           "%E7%94%B5%E5%BD%B1",  // 电影
                                           "%E9%9F%B3%E4%B9%90",  // 音乐
                                           "linux",
                                           "%E5%B0%8F%E8%AF%B4",   // 小说
                                           "%E6%95%B0%E5%AD%A6"),  // 数学
                         [](const auto& info) { return case_name(info.param, info.index); });

}  // namespace
