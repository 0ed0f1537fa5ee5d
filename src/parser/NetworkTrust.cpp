#include "NetworkTrust.h"

#include "NetworkAccess.h"

#include <QFile>
#include <QSslCertificate>

namespace NetworkTrust {

bool addCaCertificates(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromDevice(&file, QSsl::Pem);
    if (certificates.isEmpty()) {
        *error = QStringLiteral("%1 holds no PEM certificate").arg(path);
        return false;
    }
    NetworkAccess::addCaCertificates(certificates);
    return true;
}

} // namespace NetworkTrust
