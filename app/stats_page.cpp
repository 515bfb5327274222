#include "app/stats_page.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace orvane {

StatsPageLoader::StatsPageLoader(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)) {
  setObjectName(QStringLiteral("超文本浏览框1"));
}

StatsPageLoader::~StatsPageLoader() {
  if (m_reply) {
    m_reply->disconnect(this);
    m_reply->abort();
    delete m_reply;
  }
}

void StatsPageLoader::load(const QString& address) {
  m_address = address;
  if (m_reply) {
    // A new navigation replaces the running one.
    QNetworkReply* old = m_reply;
    m_reply = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
  }
  QNetworkRequest request{QUrl(address)};
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"));
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  m_reply = m_network->get(request);
  ++m_started;
  // The page is never read: drop what arrives so it does not pile up.
  connect(m_reply, &QIODevice::readyRead, this, [reply = m_reply] { reply->readAll(); });
  connect(m_reply, &QNetworkReply::finished, this, [this, reply = m_reply] {
    if (m_reply == reply) m_reply = nullptr;
    reply->deleteLater();
  });
}

}  // namespace orvane
