#include "app/stats_page.h"

#include <QSocketNotifier>

#include <algorithm>

namespace orvane {

namespace {

void retire(QSocketNotifier* notifier) {
  if (notifier == nullptr) return;
  // Possibly inside its own activated(): disabled at once, deleted once back in the loop.
  notifier->setEnabled(false);
  notifier->deleteLater();
}

}  // namespace

StatsPageLoader::StatsPageLoader(QObject* parent)
    : QObject(parent),
      m_visit(
          PageVisit::Loop{[this](int socket, bool read, bool write) { watch(socket, read, write); },
                          [this](long ms) { set_timer(ms); }}) {
  setObjectName(QStringLiteral("超文本浏览框1"));
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, [this] { m_visit.timer_fired(); });
}

StatsPageLoader::~StatsPageLoader() { m_visit.stop(); }

void StatsPageLoader::load(const QString& address) {
  m_address = address;
  ++m_started;
  m_visit.start(address.toStdString());
}

void StatsPageLoader::watch(int socket, bool read, bool write) {
  if (!read && !write) {
    const auto it = m_watches.find(socket);
    if (it == m_watches.end()) return;
    retire(it->second.read);
    retire(it->second.write);
    m_watches.erase(it);
    return;
  }
  Watch& w = m_watches[socket];
  const auto ensure = [this, socket](QSocketNotifier*& notifier, QSocketNotifier::Type type) {
    if (notifier != nullptr) return;
    notifier = new QSocketNotifier(static_cast<qintptr>(socket), type, this);
    const bool reading = type == QSocketNotifier::Read;
    connect(notifier, &QSocketNotifier::activated, this,
            [this, socket, reading] { m_visit.socket_ready(socket, reading, !reading); });
  };
  if (read) ensure(w.read, QSocketNotifier::Read);
  if (write) ensure(w.write, QSocketNotifier::Write);
  if (w.read != nullptr) w.read->setEnabled(read);
  if (w.write != nullptr) w.write->setEnabled(write);
}

void StatsPageLoader::set_timer(long ms) {
  if (ms < 0) {
    m_timer.stop();
  } else {
    m_timer.start(static_cast<int>(std::min<long>(ms, 24L * 3600 * 1000)));
  }
}

}  // namespace orvane
