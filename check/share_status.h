#pragma once

#include <string_view>

#include "common/fetch.h"

namespace orvane {

enum class ShareStatus { Normal, Invalid, Unknown };

// The text of a status as the results list shows it (GBK).
const char* share_status_text(ShareStatus status);

// Judges a share page by its two markers (ASCII case ignored, GBK character stepping):
// "share_nofound_des" is Invalid, else "module-error" is Unknown, else Normal. A page
// that never arrived (`arrived` false) is Unknown: nothing was checked.
ShareStatus judge_share_page(std::string_view page, bool arrived = true);

// The verdict on a fetch: the markers decide as above whatever the HTTP status; a page with
// neither marker is Normal only when the answer succeeded (whole, 2xx), else Unknown.
ShareStatus judge_fetched_page(const FetchResult& page);

}  // namespace orvane
