// The search reply parser: a realistic 5,000-record reply with the linear matcher and, for
// comparison, with Boost.Regex; then pieces that never complete a record, which stall a
// backtracking engine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "common/markers.h"
#include "common/unescape.h"
#include "search/record_pattern.h"
#include "search/search_reply.h"

namespace {

constexpr int kRecords = 5000;

// Shaped like the stub service's replies: a wrapper object, escaped Chinese titles.
std::string make_reply(int records) {
  std::string reply = "{\"total\":\"" + std::to_string(records) + "\",\"list\":[";
  for (int i = 0; i < records; ++i) {
    if (i > 0) reply += ',';
    reply += "{\"title\":\"\\u9ad8\\u7b49\\u6570\\u5b66 \\u6559\\u7a0b No." + std::to_string(i) +
             " \\u7b2c7\\u7248\",\"catid\":\"2\",\"filetype\":\"\\u6587\\u4ef6\\u5939\","
             "\"filesize\":\"1.2G\",\"hits\":\"" +
             std::to_string(i * 37 % 100000) + "\",\"sharexiazai\":\"" + std::to_string(i % 977) +
             "\",\"url\":\"s" + std::to_string(1000000 + i) + "\"}";
  }
  return reply + "]}";
}

// With ORVANE_BENCH_REPLY naming a file, the reply is read from it (and written to it
// first when it does not exist), so that another implementation can parse the same bytes.
std::string reply_from_file_or_made() {
  const char* path = std::getenv("ORVANE_BENCH_REPLY");
  if (path == nullptr) return make_reply(kRecords);
  if (std::ifstream in(path, std::ios::binary); in) {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string made = make_reply(kRecords);
  std::ofstream(path, std::ios::binary) << made;
  return made;
}

const std::string& reply() {
  static const std::string r = reply_from_file_or_made();
  return r;
}

std::vector<std::string> pieces_of(const std::string& text) {
  std::string swapped = text;
  for (auto& c : swapped)
    if (c == '"') c = '\'';
  std::vector<std::string> pieces;
  orvane::extract_between(swapped, "{", "}", pieces);
  return pieces;
}

const boost::regex& boost_pattern() {
  static const boost::regex re(std::string(orvane::kRecordPattern), boost::regex::perl);
  return re;
}

// The same steps as parse_search_reply, matching with Boost.Regex instead.
std::vector<orvane::SearchRecord> parse_with_boost(const std::string& text) {
  const boost::regex re(std::string(orvane::kRecordPattern), boost::regex::perl);
  std::vector<orvane::SearchRecord> records;
  for (const auto& piece : pieces_of(text)) {
    boost::smatch m;
    orvane::SearchRecord r;
    if (boost::regex_search(piece, m, re, boost::match_default))
      r = {orvane::decode_escaped_unicode(m[1].str()),
           orvane::decode_escaped_unicode(m[2].str()),
           m[3].str(),
           m[4].str(),
           m[5].str(),
           m[6].str()};
    records.push_back(std::move(r));
  }
  return records;
}

void count_reply(benchmark::State& state) {
  static const auto records = static_cast<long long>(orvane::parse_search_reply(reply()).size());
  state.SetItemsProcessed(state.iterations() * records);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(reply().size()));
}

void BM_ParseReply5000_Linear(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orvane::parse_search_reply(reply()));
  count_reply(state);
}
BENCHMARK(BM_ParseReply5000_Linear)->Unit(benchmark::kMillisecond);

void BM_ParseReply5000_Boost(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(parse_with_boost(reply()));
  count_reply(state);
}
BENCHMARK(BM_ParseReply5000_Boost)->Unit(benchmark::kMillisecond);

void BM_CutPieces5000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(pieces_of(reply()));
  count_reply(state);
}
BENCHMARK(BM_CutPieces5000)->Unit(benchmark::kMillisecond);

void BM_MatchOnly5000_Linear(benchmark::State& state) {
  const auto pieces = pieces_of(reply());
  for (auto _ : state)
    for (const auto& p : pieces) benchmark::DoNotOptimize(orvane::match_record(p));
  count_reply(state);
}
BENCHMARK(BM_MatchOnly5000_Linear)->Unit(benchmark::kMillisecond);

void BM_MatchOnly5000_Boost(benchmark::State& state) {
  const auto pieces = pieces_of(reply());
  for (auto _ : state)
    for (const auto& p : pieces) {
      boost::smatch m;
      benchmark::DoNotOptimize(boost::regex_search(p, m, boost_pattern(), boost::match_default));
    }
  count_reply(state);
}
BENCHMARK(BM_MatchOnly5000_Boost)->Unit(benchmark::kMillisecond);

void BM_DecodeOnly5000(benchmark::State& state) {
  std::vector<std::string> fields;
  for (const auto& p : pieces_of(reply())) {
    const auto g = orvane::match_record(p);
    fields.emplace_back((*g)[0]);
    fields.emplace_back((*g)[1]);
  }
  for (auto _ : state)
    for (const auto& f : fields) benchmark::DoNotOptimize(orvane::decode_escaped_unicode(f));
  count_reply(state);
}
BENCHMARK(BM_DecodeOnly5000)->Unit(benchmark::kMillisecond);

// Pieces that never complete a record.
std::string repeat(const std::string& unit, std::size_t size) {
  std::string out;
  out.reserve(size + unit.size());
  while (out.size() < size) out += unit;
  return out;
}

const std::string kNoUrl =
    "'title':'T','catid':'C','filetype':'F','filesize':'S','hits':'H','sharexiazai':'D'";

std::string adversarial(int kind, std::size_t size) {
  switch (kind) {
    case 0:
      return repeat("'title':'x", size);
    case 1:
      return "'title':'" + repeat("','catid':'", size);
    case 2:
      return repeat("'title':'a','catid':'b", size);
    default:
      return repeat(kNoUrl, size);
  }
}

const char* const kAdversarialNames[] = {"many_titles", "one_title_many_catids",
                                         "title_catid_pairs", "records_missing_url"};

void BM_Adversarial1MiB_Linear(benchmark::State& state) {
  const std::string piece = adversarial(static_cast<int>(state.range(0)), 1 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(orvane::match_record(piece));
  state.SetLabel(kAdversarialNames[state.range(0)]);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(piece.size()));
}
BENCHMARK(BM_Adversarial1MiB_Linear)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Also through the whole parser, as one "{...}" piece of a reply.
void BM_Adversarial1MiB_ParseReply(benchmark::State& state) {
  const std::string text = "{" + adversarial(static_cast<int>(state.range(0)), 1 << 20) + "}";
  for (auto _ : state) benchmark::DoNotOptimize(orvane::parse_search_reply(text));
  state.SetLabel(kAdversarialNames[state.range(0)]);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_Adversarial1MiB_ParseReply)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// For the record: Boost on a 100 KB version of each piece, once. It may give up.
void BM_Adversarial100KB_Boost(benchmark::State& state) {
  const std::string piece = adversarial(static_cast<int>(state.range(0)), 100 * 1000);
  std::string outcome = "no match";
  for (auto _ : state) {
    boost::smatch m;
    try {
      if (boost::regex_search(piece, m, boost_pattern(), boost::match_default)) outcome = "match";
    } catch (const std::runtime_error&) {
      outcome = "threw (complexity bound)";
    }
  }
  state.SetLabel(std::string(kAdversarialNames[state.range(0)]) + ": " + outcome);
}
BENCHMARK(BM_Adversarial100KB_Boost)
    ->DenseRange(0, 3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
