#include "NetworkAccess.h"

#include "RecyclingNetworkManager.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QThread>

namespace {

QMutex trustMutex;
QList<QSslCertificate> extraCertificates;
thread_local QPointer<QNetworkAccessManager> threadManager;

} // namespace

QNetworkAccessManager &NetworkAccess::manager()
{
    if (threadManager)
        return *threadManager;
    threadManager = new RecyclingNetworkManager;
    QThread *thread = QThread::currentThread();
    QCoreApplication *application = QCoreApplication::instance();
    if (application && application->thread() == thread)
        threadManager->setParent(application);
    else
        QObject::connect(thread, &QThread::finished, threadManager, &QObject::deleteLater);
    return *threadManager;
}

void NetworkAccess::releaseManager()
{
    delete threadManager;
}

QNetworkRequest NetworkAccess::request(const QUrl &url, std::chrono::milliseconds inactivityTimeout)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(inactivityTimeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // HTTP/1.1 only: Qt 6.4 loses the error of an HTTPS connection that offered HTTP/2 to a host
    // with both IPv4 and IPv6 addresses when the server resets it mid-answer, and the request
    // then hangs until its time-out.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    const QList<QSslCertificate> extra = extraCaCertificates();
    if (!extra.isEmpty()) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(extra);
        request.setSslConfiguration(configuration);
    }
    return request;
}

void NetworkAccess::addCaCertificates(const QList<QSslCertificate> &certificates)
{
    const QMutexLocker locker(&trustMutex);
    extraCertificates += certificates;
}

QList<QSslCertificate> NetworkAccess::extraCaCertificates()
{
    const QMutexLocker locker(&trustMutex);
    return extraCertificates;
}
