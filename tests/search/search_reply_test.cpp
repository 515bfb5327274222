#include "search/search_reply.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using orvane::parse_search_reply;
using orvane::SearchRecord;
using orvane::SearchReplyReader;

// One record object as the service sends it, double quotes and all.
std::string rec(const std::string& title, const std::string& id = "s1",
                const std::string& type = "pdf") {
  return R"({"title":")" + title + R"(","catid":"2","filetype":")" + type +
         R"(","filesize":"1.2G","hits":"30","sharexiazai":"4","url":")" + id + R"("})";
}

SearchRecord parsed(const std::string& title, const std::string& id = "s1",
                    const std::string& type = "pdf") {
  return SearchRecord{title, type, "1.2G", "30", "4", id};
}

const SearchRecord kEmpty{};

struct ReplyCase {
  const char* name;
  std::string reply;
  std::vector<SearchRecord> records;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

}  // namespace

// Found by argument-dependent lookup, so failures show the fields.
namespace orvane {
static void PrintTo(const SearchRecord& r, std::ostream* os) {
  *os << "{" << r.title << "|" << r.file_type << "|" << r.file_size << "|" << r.views << "|"
      << r.downloads << "|" << r.share_id << "}";
}
}  // namespace orvane

namespace {

class SearchReplyCases : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(SearchReplyCases, GivesTheRecords) {
  EXPECT_EQ(parse_search_reply(GetParam().reply), GetParam().records);
}

TEST_P(SearchReplyCases, ReaderGivesTheSameRecordsOneByOne) {
  SearchReplyReader reader(GetParam().reply);
  EXPECT_EQ(reader.size(), GetParam().records.size());
  std::vector<SearchRecord> records;
  while (auto r = reader.next()) records.push_back(*r);
  EXPECT_EQ(records, GetParam().records);
  EXPECT_EQ(reader.next(), std::nullopt);
}

std::vector<ReplyCase> reply_cases() {
  return {
      ReplyCase{"array",
                "[" + rec("a", "s1") + "," + rec("b", "s2") + "]",
                {parsed("a", "s1"), parsed("b", "s2")}},
      // The first piece runs from the wrapper's "{" to the first record's "}".
      ReplyCase{"wrapper_object",
                R"({"total":"2","list":[)" + rec("a", "s1") + "," + rec("b", "s2") + "]}",
                {parsed("a", "s1"), parsed("b", "s2")}},
      ReplyCase{"paging_object_after",
                "[" + rec("a") + R"(],"page":{"now":"1","all":"3"})",
                {parsed("a"), kEmpty}},
      // "}" in a value closes the piece; the rest up to the next "{" is skipped.
      ReplyCase{"brace_in_value",
                "[" + rec("x}y", "s1") + "," + rec("b", "s2") + "]",
                {kEmpty, parsed("b", "s2")}},
      ReplyCase{"open_brace_in_value", "[" + rec("x{y") + "]", {parsed("x{y")}},
      ReplyCase{"empty_object_ends_scan", "[" + rec("a") + ",{}," + rec("b") + "]", {parsed("a")}},
      ReplyCase{
          "blank_object_ends_scan", "[" + rec("a") + ",{  }," + rec("b") + "]", {parsed("a")}},
      ReplyCase{"space_before_value",
                R"({"title": "a","catid":"2","filetype":"pdf","filesize":"1.2G","hits":"30",)"
                R"("sharexiazai":"4","url":"s1"})",
                {kEmpty}},
      ReplyCase{"bare_number",
                R"({"title":"a","catid":2,"filetype":"pdf","filesize":"1.2G","hits":"30",)"
                R"("sharexiazai":"4","url":"s1"})",
                {kEmpty}},
      ReplyCase{"escaped_quote_in_title", rec(R"(say \"hi\")"), {parsed("say 'hi'")}},
      ReplyCase{"escaped_slashes_kept_in_url", rec("a", R"(s\/x\/1)"), {parsed("a", R"(s\/x\/1)")}},
      ReplyCase{"single_quotes_accepted",
                "{'title':'a','catid':'2','filetype':'pdf','filesize':'1.2G','hits':'30',"
                "'sharexiazai':'4','url':'s1'}",
                {parsed("a")}},
      // \u escapes and raw GBK both come out as GBK.
      ReplyCase{"unicode_escapes",
                rec(R"(\u4e2d\u6587)", "s1", R"(\u6587\u4ef6\u5939)"),
                {parsed("\xD6\xD0\xCE\xC4", "s1", "\xCE\xC4\xBC\xFE\xBC\xD0")}},
      ReplyCase{"percent_escapes",
                rec("%u4E2D%41"),
                {parsed("\xD6\xD0"
                        "A")}},
      ReplyCase{"raw_gbk", rec("\xBD\xCC\xB3\xCC"), {parsed("\xBD\xCC\xB3\xCC")}},
      // A double-byte character whose trail byte is "}" does not close the piece.
      ReplyCase{"gbk_trail_byte_is_brace", rec("\x81}\x81{"), {parsed("\x81}\x81{")}},
      ReplyCase{"line_breaks_between_pairs",
                "[{\r\n\"title\":\"a\",\"catid\":\"2\",\"filetype\":\"pdf\",\"filesize\":"
                "\"1.2G\",\"hits\":\"30\",\"sharexiazai\":\"4\",\"url\":\"s1\"\n}]",
                {parsed("a")}},
      ReplyCase{"line_break_in_value",
                R"({"title":"a","catid":"2","filetype":"pdf","filesize":"1)"
                "\n"
                R"(2G","hits":"30","sharexiazai":"4","url":"s1"})",
                {SearchRecord{"a", "pdf", "1\n2G", "30", "4", "s1"}}},
      ReplyCase{"empty_values",
                R"({"title":"","catid":"","filetype":"","filesize":"","hits":"",)"
                R"("sharexiazai":"","url":""})",
                {kEmpty}},
      ReplyCase{"empty_reply", "", {}}, ReplyCase{"no_braces", "empty\n", {}},
      ReplyCase{"unclosed_brace", "{" + rec("a").substr(1, 20), {}},
      ReplyCase{"close_before_open", "}" + rec("a"), {parsed("a")}},
      // A text ends at its first zero byte.
      ReplyCase{
          "zero_byte_ends_the_text", rec("a") + std::string(1, '\0') + rec("b"), {parsed("a")}}};
}

INSTANTIATE_TEST_SUITE_P(Replies, SearchReplyCases, ::testing::ValuesIn(reply_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SearchReply, FieldThatFailsToDecodeIsEmptyAndLeavesTheOthers) {
  // A trailing lone backslash is no valid literal: the title alone comes out empty.
  const auto records = parse_search_reply(rec(R"(abc\\)", "s9", "mp4"));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].title, "abc\\");
  const auto broken = parse_search_reply(
      R"({"title":"abc\","catid":"2","filetype":"mp4","filesize":"1.2G","hits":"30",)"
      R"("sharexiazai":"4","url":"s9"})");
  ASSERT_EQ(broken.size(), 1u);
  EXPECT_EQ(broken[0], (SearchRecord{"", "mp4", "1.2G", "30", "4", "s9"}));
}

TEST(SearchReply, LongPieceThatNeverCompletesIsAnEmptyRecord) {
  // The shape that stalls a backtracking engine: it must just be an empty record.
  std::string piece = "{";
  while (piece.size() < (1 << 20)) piece += R"("title":"a","catid":"b",)";
  piece += "}";
  EXPECT_EQ(parse_search_reply(piece), std::vector<SearchRecord>{kEmpty});
}

}  // namespace
