#include "app/browser.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace orvane {

bool open_in_browser(const QString& url) {
  const QUrl address(url, QUrl::TolerantMode);
  if (!address.isValid() || address.isEmpty()) return false;
  return QDesktopServices::openUrl(address);
}

bool open_in_browser_with_fallback(const QString& url) {
  if (url.isEmpty()) return false;
  if (open_in_browser(url)) return true;
  // The commands Debian registers for opening web pages, most specific first.
  static const char* const kCommands[] = {"sensible-browser", "x-www-browser", "xdg-open"};
  for (const char* command : kCommands) {
    if (QProcess::startDetached(QString::fromLatin1(command), QStringList{url})) return true;
  }
  return false;
}

}  // namespace orvane
