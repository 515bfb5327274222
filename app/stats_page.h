#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace orvane {

// 超文本浏览框1: the hidden web view. It only requests a page, in the background, and
// never reads it; loading again replaces a running request.
class StatsPageLoader : public QObject {
  Q_OBJECT

 public:
  explicit StatsPageLoader(QObject* parent = nullptr);
  ~StatsPageLoader() override;

  void load(const QString& address);
  QString address() const { return m_address; }
  int requests_started() const { return m_started; }

 private:
  QString m_address;
  int m_started = 0;
  QNetworkAccessManager* m_network = nullptr;
  QNetworkReply* m_reply = nullptr;
};

}  // namespace orvane
