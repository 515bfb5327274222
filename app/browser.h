#pragma once

#include <functional>

#include <QString>

class QObject;

namespace orvane {

// Opens `url` in the user's default browser; true when the system accepted it.
bool open_in_browser(const QString& url);

// The hyperlinks' way: the default handler, and when that fails the system's browser
// commands in turn. `opened` learns whether one of them opened the address: at once, or
// later from the event loop once a command's exit status is known (never after `context`
// is destroyed).
void open_in_browser_with_fallback(const QString& url, QObject* context,
                                   std::function<void(bool)> opened);

}  // namespace orvane
