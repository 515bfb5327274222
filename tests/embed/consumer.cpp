#include <cstdio>

#include "common/codepage.h"
#include "search/search_reply.h"

int main() {
  const auto records = orvane::parse_search_reply(
      "{'title':'a','catid':'','filetype':'','filesize':'','hits':'','sharexiazai':'','url':'x'}");
  const bool ok =
      orvane::percent_encode("ab") == "%61%62" && records.size() == 1 && records[0].share_id == "x";
  std::puts(ok ? "ok" : "wrong");
  return ok ? 0 : 1;
}
