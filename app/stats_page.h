#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

#include "common/page_visit.h"

class QSocketNotifier;

namespace orvane {

// 超文本浏览框1: the hidden web view. It only requests a page, in the background on the
// window's event loop, and never reads it; loading again replaces a running request.
class StatsPageLoader : public QObject {
  Q_OBJECT

 public:
  explicit StatsPageLoader(QObject* parent = nullptr);
  ~StatsPageLoader() override;

  void load(const QString& address);
  QString address() const { return m_address; }
  int requests_started() const { return m_started; }
  bool loading() const { return m_visit.running(); }

 private:
  struct Watch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;
  };

  void watch(int socket, bool read, bool write);
  void set_timer(long ms);

  QString m_address;
  int m_started = 0;
  std::map<int, Watch> m_watches;
  QTimer m_timer;
  PageVisit m_visit;  // last: its end still reaches the watches and the timer
};

}  // namespace orvane
