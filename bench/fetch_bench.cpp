#include <string>

#include <benchmark/benchmark.h>

#include "common/fetch.h"
#include "tests/support/scripted_server.h"

namespace {

namespace Reply = orvane::test::Reply;

// One whole fetch on loopback: connect, request, small reply, close.
void BM_FetchSmallPage(benchmark::State& state) {
  orvane::test::ScriptedServer server;
  server.set_default(Reply::ok("1.0"));
  const std::string address = server.base_url() + "/version.txt";
  for (auto _ : state) {
    const std::string text = orvane::fetch_page_text(address);
    if (text != "1.0") state.SkipWithError("unexpected reply");
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_FetchSmallPage)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Throughput of the body path (write callback, zero-byte scan) for a large reply.
void BM_FetchLargeBody(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  orvane::test::ScriptedServer server;
  server.set_default(Reply::without_length(200, std::string(size, 'r')));
  const std::string address = server.base_url() + "/big";
  for (auto _ : state) {
    const std::string text = orvane::fetch_page_text(address);
    if (text.size() != size) state.SkipWithError("short reply");
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FetchLargeBody)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
