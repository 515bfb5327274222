#include "common/fetch.h"

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "tests/support/scripted_server.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using test::Millis;
namespace Reply = test::Reply;
using test::Script;
using test::ScriptedServer;

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr std::size_t kCap = 1u << 20;

// Short limits so hostile servers cost seconds, not minutes. The total limit is far above
// the connect and stall limits: a case one of those has to end takes at least that limit
// and ends before kEndsBefore, which the total limit alone could not do.
constexpr Millis kShortLimit{2000};
constexpr Millis kTotalLimit{60000};
// The stall limit counts from when the last few seconds averaged under 1 byte/s, up to
// about 6 s after the last byte; the rest is slack for a loaded machine.
constexpr Millis kEndsBefore{15000};
static_assert(kEndsBefore < kTotalLimit);

FetchLimits test_limits() {
  FetchLimits limits;
  limits.connect_timeout_ms = kShortLimit.count();
  limits.stall_timeout_s = kShortLimit.count() / 1000;
  limits.total_timeout_s = kTotalLimit.count() / 1000;
  limits.max_body_bytes = kCap;
  return limits;
}

// The program's own limits, which the shortened ones above stand in for.
TEST(FetchLimitsTest, ProgramValues) {
  const FetchLimits program;
  EXPECT_EQ(program.connect_timeout_ms, 15000);
  EXPECT_EQ(program.stall_timeout_s, 20);
  EXPECT_EQ(program.total_timeout_s, 120);
  EXPECT_EQ(program.max_body_bytes, 32u << 20);
}

struct Timed {
  FetchResult result;
  Millis elapsed;
};

Timed timed_fetch(const std::string& address) {
  const auto start = std::chrono::steady_clock::now();
  FetchResult result = fetch_page(address);
  return {std::move(result),
          std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start)};
}

std::string expected_request(const std::string& target, std::uint16_t port) {
  return "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nUser-Agent: " + kAgent + "\r\nAccept: */*\r\n\r\n";
}

// A port nothing listens on (just released by a server of ours).
std::uint16_t closed_port() {
  ScriptedServer server;
  return server.port();
}

class FetchTest : public ::testing::Test {
 protected:
  void SetUp() override { set_fetch_limits(test_limits()); }

  // No request of any test may carry a header line beyond the three we send.
  void TearDown() override {
    for (const auto& request : m_server.requests()) {
      if (!request.complete) continue;
      ASSERT_EQ(request.headers.size(), 3u) << request.raw;
      EXPECT_TRUE(request.has_header("Host")) << request.raw;
      EXPECT_EQ(request.header("User-Agent"), kAgent);
      EXPECT_EQ(request.header("Accept"), "*/*");
    }
  }

  std::string url(const std::string& path) const { return m_server.base_url() + path; }

  ScriptedServer m_server;
};

// ---- The request on the wire

struct WireCase {
  const char* name;
  const char* address_path;  // appended to the server's base address
  const char* target;        // request target the server must see
};
void PrintTo(const WireCase& c, std::ostream* os) { *os << c.name; }

class RequestWire : public FetchTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(RequestWire, SendsExactlyTheFixedRequest) {
  m_server.set_default(Reply::ok("fine"));
  EXPECT_EQ(fetch_page_text(url(GetParam().address_path)), "fine");
  const auto requests = m_server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, expected_request(GetParam().target, m_server.port()));
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, RequestWire,
    ::testing::Values(WireCase{"PathAndQuery", "/path?q", "/path?q"}, WireCase{"NoPath", "", "/"},
                      WireCase{"FragmentDropped", "/page?x=1#part", "/page?x=1"},
                      WireCase{"DotSegmentsResolved", "/a/b/../c/./d", "/a/c/d"},
                      WireCase{"EncodedDotsKept", "/a/%2e%2e/b", "/a/%2e%2e/b"},
                      WireCase{"SearchQuery", "/s/?kw=%E4%B8%AD&order=1",
                               "/s/?kw=%E4%B8%AD&order=1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, EachFetchOpensItsOwnConnection) {
  m_server.set_default(Reply::ok("again"));
  EXPECT_EQ(fetch_page_text(url("/one")), "again");
  EXPECT_EQ(fetch_page_text(url("/two")), "again");
  const auto requests = m_server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/one");
  EXPECT_EQ(requests[1].target, "/two");
}

// ---- Reply bodies

struct BodyCase {
  const char* name;
  Script script;
  std::string text;
  bool arrived;
};
void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class ReplyBody : public FetchTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(ReplyBody, BecomesText) {
  m_server.set_default(GetParam().script);
  const Timed got = timed_fetch(url("/page"));
  EXPECT_EQ(got.result.arrived, GetParam().arrived);
  EXPECT_EQ(got.result.text.size(), GetParam().text.size());
  EXPECT_TRUE(got.result.text == GetParam().text);
  EXPECT_LT(got.elapsed, 10s);  // a hang guard only
}

std::string pattern(std::size_t size) {
  std::string text(size, 'x');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, ReplyBody,
    ::testing::Values(
        BodyCase{"ExactLength", Reply::ok("hello"), "hello", true},
        BodyCase{"LongerThanAnnounced",
                 Reply::raw(Reply::head(200, "Content-Length: 5\r\n") + pattern(20)), pattern(20),
                 true},
        BodyCase{"NoLengthOverReadSize", Reply::without_length(200, pattern(30000)), pattern(30000),
                 true},
        BodyCase{"LargeAnnouncedBody", Reply::ok(pattern(300000)), pattern(300000), true},
        BodyCase{"ZeroByteEndsText", Reply::ok(std::string("abc\0def", 7)), "abc", true},
        BodyCase{"ErrorStatusBody", Reply::status(404, "<html>missing</html>"),
                 "<html>missing</html>", true},
        BodyCase{"ServerErrorBody", Reply::status(500, "oops"), "oops", true},
        BodyCase{"EmptyBody", Reply::ok(""), "", true},
        BodyCase{"HugeAnnouncedLength",
                 Reply::raw(Reply::head(200, "Content-Length: 10737418240\r\n") + "short"), "short",
                 true},
        BodyCase{"Http11ReplyToOurRequest",
                 Reply::raw("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"), "ok", true},
        BodyCase{"GbkBytesUnchanged", Reply::ok("\xD6\xD0\xCE\xC4"), "\xD6\xD0\xCE\xC4", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Redirects

TEST_F(FetchTest, FollowsRedirectOnSameServer) {
  m_server.on("/old", Reply::redirect("/new?x=1", 301));
  m_server.on("/new", Reply::ok("moved here"));
  const FetchResult got = fetch_page(url("/old"));
  EXPECT_TRUE(got.arrived);
  EXPECT_EQ(got.text, "moved here");
  const auto requests = m_server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].raw, expected_request("/new?x=1", m_server.port()));
}

TEST_F(FetchTest, FollowsRedirectToAnotherPort) {
  ScriptedServer other;
  other.set_default(Reply::ok("other port"));
  m_server.set_default(Reply::redirect(other.base_url() + "/there"));
  EXPECT_EQ(fetch_page_text(url("/here")), "other port");
  ASSERT_EQ(other.requests().size(), 1u);
  EXPECT_EQ(other.requests()[0].raw, expected_request("/there", other.port()));
}

TEST_F(FetchTest, RedirectWithSpaceIsEncodedNotSplit) {
  m_server.on("/old", Reply::redirect("/a b"));
  m_server.on("/a%20b", Reply::ok("encoded"));
  EXPECT_EQ(fetch_page_text(url("/old")), "encoded");
}

struct RefusedRedirectCase {
  const char* name;
  const char* location;  // "{port}" stands for the watching server's port
};
void PrintTo(const RefusedRedirectCase& c, std::ostream* os) { *os << c.name; }

class RefusedRedirect : public FetchTest,
                        public ::testing::WithParamInterface<RefusedRedirectCase> {};

TEST_P(RefusedRedirect, GivesNothingAndGoesNowhere) {
  ScriptedServer watcher;  // would accept a connection if the redirect were followed
  std::string location = GetParam().location;
  const auto at = location.find("{port}");
  if (at != std::string::npos) location.replace(at, 6, std::to_string(watcher.port()));
  m_server.set_default(Reply::redirect(location));
  const Timed got = timed_fetch(url("/start"));
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  // Counted when accepted: an ftp client sends nothing until greeted, so no request is read.
  EXPECT_EQ(watcher.accepted_count(), 0u);
  EXPECT_EQ(m_server.connection_count(), 1u);
  EXPECT_LT(got.elapsed, 10s);
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, RefusedRedirect,
    ::testing::Values(RefusedRedirectCase{"File", "file:///etc/passwd"},
                      RefusedRedirectCase{"Ftp", "ftp://127.0.0.1:{port}/file"},
                      RefusedRedirectCase{"Gopher", "gopher://127.0.0.1:{port}/"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, RedirectLoopEndsAtTheLimit) {
  m_server.set_default(Reply::redirect("/loop"));
  const Timed got = timed_fetch(url("/loop"));
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_EQ(m_server.connection_count(), 11u);  // the first request and ten redirects
  EXPECT_LT(got.elapsed, 10s);
}

// ---- Addresses refused before anything is sent

struct AddressCase {
  const char* name;
  std::string address;  // "{base}" stands for the server's base address
};
void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class RefusedAddress : public FetchTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(RefusedAddress, GivesNothingAndSendsNothing) {
  std::string address = GetParam().address;
  const auto at = address.find("{base}");
  if (at != std::string::npos) address.replace(at, 6, m_server.base_url());
  m_server.set_default(Reply::ok("must not be read"));
  const FetchResult got = fetch_page(address);
  EXPECT_FALSE(got.arrived);
  EXPECT_EQ(got.text, "");
  std::this_thread::sleep_for(50ms);  // let a stray connection show up
  EXPECT_EQ(m_server.connection_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, RefusedAddress,
    ::testing::Values(
        AddressCase{"Empty", ""}, AddressCase{"NoScheme", "127.0.0.1:1/x"},
        AddressCase{"FileScheme", "file:///etc/passwd"},
        AddressCase{"FtpScheme", "ftp://127.0.0.1/"}, AddressCase{"NoHost", "http:///path"},
        AddressCase{"HostOf256", "http://" + std::string(256, 'a') + "/"},
        AddressCase{"PathOf2048", "{base}/" + std::string(2047, 'p')},
        AddressCase{"PathAndQueryOf2048", "{base}/s/?kw=" + std::string(2048 - 7, 'q')},
        AddressCase{"CrLfHeaderInjection", "{base}/x\r\nX-Injected: 1"},
        AddressCase{"LfOnly", "{base}/x\nX-Injected: 1"},
        AddressCase{"CrOnly", "{base}/x\rX-Injected: 1"}, AddressCase{"Space", "{base}/a b"},
        AddressCase{"SpaceRequestLine", "{base}/x HTTP/1.1\r\nHost: evil"},
        AddressCase{"Tab", "{base}/a\tb"},
        AddressCase{"ControlByte",
                    "{base}/a\x01"
                    "b"},
        AddressCase{"Delete", "{base}/a\x7f"},
        AddressCase{"InjectionInHost", "http://127.0.0.1\r\nX-Injected: 1/"},
        AddressCase{"LeadingSpace", " {base}/x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, PathJustUnderTheLimitIsFetched) {
  m_server.set_default(Reply::ok("long"));
  const std::string path = "/" + std::string(2046, 'p');
  EXPECT_EQ(fetch_page_text(url(path)), "long");
  ASSERT_EQ(m_server.connection_count(), 1u);
  EXPECT_EQ(m_server.requests()[0].target, path);
}

TEST_F(FetchTest, RefusedConnectionHasNoReply) {
  const Timed got = timed_fetch("http://127.0.0.1:" + std::to_string(closed_port()) + "/");
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_LT(got.elapsed, 10s);
}

TEST_F(FetchTest, ConnectThatNeverCompletesTimesOut) {
  test::BlackHoleListener hole;
  ASSERT_NE(hole.port(), 0);
  const Timed got = timed_fetch(hole.base_url() + "/");
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_GE(got.elapsed, kShortLimit - 200ms);
  EXPECT_LT(got.elapsed, kEndsBefore);  // the connect limit ended it, not the total one
}

// ---- Hostile servers

// What has to end a hostile case; the time it takes tells which limit did.
enum class EndedBy {
  server,  // the server's own end, or the body cap: no lower bound
  stall,   // the stall limit, long before the total one
  total,   // the total limit, shortened for the case
};

struct HostileCase {
  const char* name;
  Script script;
  bool arrived;
  std::size_t min_text;  // the text is a prefix of what was sent, at least this long
  std::size_t max_text;
  EndedBy ended_by;
};
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileServer : public FetchTest, public ::testing::WithParamInterface<HostileCase> {};

const std::string kBodyBytes = pattern(1000);

constexpr Millis kShortTotal{6000};  // for the cases the total limit has to end

TEST_P(HostileServer, EndsInBoundedTime) {
  const HostileCase& c = GetParam();
  if (c.ended_by == EndedBy::total) {
    FetchLimits limits = test_limits();
    limits.total_timeout_s = kShortTotal.count() / 1000;
    set_fetch_limits(limits);
  }
  m_server.set_default(c.script);
  const Timed got = timed_fetch(url("/hostile"));
  EXPECT_EQ(got.result.arrived, c.arrived);
  EXPECT_GE(got.result.text.size(), c.min_text);
  EXPECT_LE(got.result.text.size(), c.max_text);
  const std::string& sent =
      got.result.text.size() <= kBodyBytes.size() ? kBodyBytes : pattern(got.result.text.size());
  EXPECT_EQ(got.result.text, sent.substr(0, got.result.text.size()));
  switch (c.ended_by) {
    case EndedBy::server:
      break;
    case EndedBy::stall:
      EXPECT_GE(got.elapsed, kShortLimit - 200ms);
      break;
    case EndedBy::total:
      EXPECT_GE(got.elapsed, kShortTotal - 500ms);
      break;
  }
  // Far below the total limit, unless the case shortened it: a stall limit that did not act
  // shows up here.
  EXPECT_LT(got.elapsed, c.ended_by == EndedBy::total ? kShortTotal + 4s : kEndsBefore);
  std::printf("[ measured ] %s: %lld ms, %zu bytes, arrived %d\n", c.name,
              static_cast<long long>(got.elapsed.count()), got.result.text.size(),
              got.result.arrived);
}

std::string binary_garbage() {
  std::string bytes(4096, '\0');
  unsigned state = 12345;
  for (auto& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, HostileServer,
    ::testing::Values(
        HostileCase{"NeverAnswers", Script().hang(), false, 0, 0, EndedBy::stall},
        HostileCase{"HeadersThenStall",
                    Reply::headers_then_hang(Reply::head(200, "Content-Length: 1000\r\n")), true, 0,
                    0, EndedBy::stall},
        HostileCase{
            "PartOfBodyThenStall",
            Script()
                .send(Reply::head(200, "Content-Length: 1000\r\n") + kBodyBytes.substr(0, 300))
                .hang(),
            true, 300, 300, EndedBy::stall},
        HostileCase{"TrickleEveryTwoSeconds",
                    Script().send(Reply::head(200)).trickle(kBodyBytes, 2000ms), true, 1, 4,
                    EndedBy::stall},
        HostileCase{"TrickleTooFastForStallLimit",
                    Script().send(Reply::head(200)).trickle(kBodyBytes, 300ms), true, 5, 30,
                    EndedBy::total},
        HostileCase{"EndlessBody",
                    Script().send(Reply::head(200)).endless(pattern(26 * 4096), 64u << 20), true,
                    kCap, kCap, EndedBy::server},
        HostileCase{
            "ResetMidBody",
            Script()
                .send(Reply::head(200, "Content-Length: 1000\r\n") + kBodyBytes.substr(0, 400))
                .sleep(100ms)
                .reset(),
            true, 400, 400, EndedBy::server},
        HostileCase{"BinaryGarbage", Reply::raw(binary_garbage()), false, 0, 0, EndedBy::server},
        HostileCase{
            "HeaderLineOfOneMiB",
            Reply::raw(Reply::head(200, "X-Big: " + std::string(1u << 20, 'b') + "\r\n") + "body"),
            false, 0, 0, EndedBy::server},
        HostileCase{"CloseWithoutReply", Script().close(), false, 0, 0, EndedBy::server},
        HostileCase{"ResetWithoutReply", Script().reset(), false, 0, 0, EndedBy::server}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- TLS

std::string https_url(std::uint16_t port) {
  return "https://127.0.0.1:" + std::to_string(port) + "/";
}

TEST_F(FetchTest, HttpsToPlainHttpServerFails) {
  m_server.set_default(Reply::status(400, "<html>plain http here</html>"));
  const Timed got = timed_fetch(https_url(m_server.port()));
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_EQ(m_server.connection_count(), 1u);  // a handshake reached it, no request did
  EXPECT_FALSE(m_server.requests()[0].complete);
  EXPECT_LT(got.elapsed, 10s);
}

TEST_F(FetchTest, HttpsToSilentPlainServerTimesOut) {
  m_server.set_default(Script().hang());
  const Timed got = timed_fetch(https_url(m_server.port()));
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_GE(got.elapsed, kShortLimit - 200ms);
  EXPECT_LT(got.elapsed, kEndsBefore);
}

struct SelfSigned {
  EVP_PKEY* key = nullptr;
  X509* cert = nullptr;
  ~SelfSigned() {
    X509_free(cert);
    EVP_PKEY_free(key);
  }
};

// A certificate for 127.0.0.1 that no authority signed.
bool make_self_signed(SelfSigned& out) {
  out.key = EVP_EC_gen("P-256");
  out.cert = X509_new();
  if (!out.key || !out.cert) return false;
  X509_set_version(out.cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(out.cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(out.cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(out.cert), 3600);
  X509_NAME* name = X509_get_subject_name(out.cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(out.cert, name);
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, out.cert, out.cert, nullptr, nullptr, 0);
  X509_EXTENSION* san = X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_alt_name, "IP:127.0.0.1");
  if (!san) return false;
  X509_add_ext(out.cert, san, -1);
  X509_EXTENSION_free(san);
  X509_set_pubkey(out.cert, out.key);
  return X509_sign(out.cert, out.key, EVP_sha256()) > 0;
}

TEST_F(FetchTest, SelfSignedCertificateIsRefused) {
  SelfSigned identity;
  ASSERT_TRUE(make_self_signed(identity));
  httplib::SSLServer tls(identity.cert, identity.key);
  ASSERT_TRUE(tls.is_valid());
  std::atomic<int> served{0};
  tls.Get("/", [&](const httplib::Request&, httplib::Response& res) {
    ++served;
    res.set_content("secret", "text/plain");
  });
  const int port = tls.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread runner([&] { tls.listen_after_bind(); });

  const Timed got = timed_fetch(https_url(static_cast<std::uint16_t>(port)));
  tls.stop();
  runner.join();
  EXPECT_FALSE(got.result.arrived);
  EXPECT_EQ(got.result.text, "");
  EXPECT_EQ(served.load(), 0);
  EXPECT_LT(got.elapsed, 10s);
}

// ---- Proxy from the environment

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old, m_had = true;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() { m_had ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name); }

 private:
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};

TEST_F(FetchTest, ProxyFromEnvironmentIsNotAskedForKeepAlive) {
  ScopedEnv proxy("http_proxy", m_server.base_url().c_str());
  ScopedEnv no_proxy_lower("no_proxy", "");
  ScopedEnv no_proxy_upper("NO_PROXY", "");
  m_server.set_default(Reply::ok("via proxy"));
  EXPECT_EQ(fetch_page_text("http://host.invalid/page?x=1"), "via proxy");
  const auto requests = m_server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, std::string("GET http://host.invalid/page?x=1 HTTP/1.0\r\n") +
                                 "Host: host.invalid\r\nUser-Agent: " + kAgent +
                                 "\r\nAccept: */*\r\n\r\n");
}

}  // namespace
}  // namespace orvane
