#pragma once

#include <QString>

/*! \brief Which certificate authorities the application's TLS connections trust. */
namespace NetworkTrust {

/*!
 * Adds the PEM certificates in the file \a path to the CAs that every TLS connection made after
 * this call trusts, beside the system's. Returns false, with a reason in \a error, when the file
 * cannot be read or holds no certificate.
 */
bool addCaCertificates(const QString &path, QString *error);

} // namespace NetworkTrust
