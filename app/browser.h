#pragma once

#include <QString>

namespace orvane {

// Opens `url` in the user's default browser; true when the system accepted it.
bool open_in_browser(const QString& url);

// The hyperlinks' way: the default handler, and when that fails the system's browser
// command. True when either accepted it.
bool open_in_browser_with_fallback(const QString& url);

}  // namespace orvane
