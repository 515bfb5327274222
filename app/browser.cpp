#include "app/browser.h"

#include <utility>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace orvane {

bool open_in_browser(const QString& url) {
  const QUrl address(url, QUrl::TolerantMode);
  if (!address.isValid() || address.isEmpty()) return false;
  return QDesktopServices::openUrl(address);
}

namespace {

// Runs the commands in turn until one exits with status 0.
void run_in_turn(QStringList commands, const QString& url, QObject* context,
                 std::function<void(bool)> opened) {
  if (commands.isEmpty()) {
    opened(false);
    return;
  }
  const QString command = commands.takeFirst();
  auto* process = new QProcess(context);
  // Through a shell that waits for it: should the program end first, only the shell is
  // killed, and a browser the command runs in the foreground stays open.
  process->setProgram(QStringLiteral("/bin/sh"));
  process->setArguments(
      {QStringLiteral("-c"), QStringLiteral("\"$0\" \"$1\" </dev/null & wait $!"), command, url});
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(process, &QProcess::finished, context,
                   [=](int code, QProcess::ExitStatus status) {
                     process->deleteLater();
                     if (status == QProcess::NormalExit && code == 0)
                       opened(true);
                     else
                       run_in_turn(commands, url, context, opened);
                   });
  QObject::connect(process, &QProcess::errorOccurred, context, [=](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    process->deleteLater();
    run_in_turn(commands, url, context, opened);
  });
  process->start();
}

}  // namespace

void open_in_browser_with_fallback(const QString& url, QObject* context,
                                   std::function<void(bool)> opened) {
  if (url.isEmpty()) {
    opened(false);
    return;
  }
  // The commands Debian registers for opening web pages, most specific first.
  QStringList commands = {QStringLiteral("sensible-browser"), QStringLiteral("x-www-browser"),
                          QStringLiteral("xdg-open")};
  // On X11 and Wayland desktops Qt hands the address to xdg-open and reports success as
  // soon as it starts; run it ourselves to learn whether a browser took the address.
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"))) {
    commands.removeAll(QStringLiteral("xdg-open"));
    commands.prepend(QStringLiteral("xdg-open"));
  } else if (open_in_browser(url)) {
    opened(true);
    return;
  }
  run_in_turn(commands, url, context, std::move(opened));
}

}  // namespace orvane
