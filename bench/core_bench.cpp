#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/gbk_text.h"
#include "common/markers.h"
#include "common/unescape.h"

namespace {

constexpr std::size_t kMiB = 1 << 20;

std::string repeat_to(const std::string& unit, std::size_t size) {
  std::string s;
  s.reserve(size + unit.size());
  while (s.size() < size) s += unit;
  return s;
}

// A title as the API host sends it: escaped Chinese, ASCII, an apostrophe.
const std::string kField = "\\u7535\\u5f71\\u5408\\u96c6 2023HD it's.mkv";  // 40 bytes

const std::string kRecord =
    "{'title':'\\u7535\\u5f71\\u5408\\u96c6 2023.mkv','catid':'1','filetype':'mkv',"
    "'filesize':'1.2G','hits':'35','sharexiazai':'7','url':'1a2b3c4d'},";

void BM_DecodeEscapedUnicode_1MiB(benchmark::State& state) {
  const std::string input = repeat_to(kField, kMiB);
  for (auto _ : state) benchmark::DoNotOptimize(orvane::decode_escaped_unicode(input));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_DecodeEscapedUnicode_1MiB)->Unit(benchmark::kMillisecond);

void BM_DecodeEscapedUnicode_Field(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orvane::decode_escaped_unicode(kField));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kField.size()));
}
BENCHMARK(BM_DecodeEscapedUnicode_Field);

void BM_ExtractBetween_1MiB(benchmark::State& state) {
  const std::string reply = repeat_to(kRecord, kMiB);
  std::vector<std::string> pieces;
  for (auto _ : state) {
    orvane::extract_between(reply, "{", "}", pieces);
    benchmark::DoNotOptimize(pieces.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
  state.counters["pieces"] = static_cast<double>(pieces.size());
}
BENCHMARK(BM_ExtractBetween_1MiB)->Unit(benchmark::kMillisecond);

// All double-byte text, the needle absent: ASCII needle (memchr finds nothing) and a
// needle that begins with a trail byte met every 8 bytes (each hit checked by stepping).
void BM_FindText_Gbk_1MiB(benchmark::State& state) {
  const std::string text = repeat_to("\xD6\xD0\xCE\xC4\xB5\xE7\xD3\xB0", kMiB);
  const std::string needle = state.range(0) == 0 ? "}x" : "\xC4\xB5x";
  const bool ignore_case = state.range(1) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(orvane::find_text(text, needle, 1, ignore_case));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FindText_Gbk_1MiB)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"trail_needle", "ignore_case"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
