#pragma once

#include <QString>

/*! \brief Which certificate authorities Kivora's own TLS connections trust. */
namespace NetworkTrust {

/*!
 * Adds the PEM certificates in the file \a path to the CAs that Kivora's own requests made after
 * this call trust, beside the system's (see NetworkAccess). Returns false, with a reason in
 * \a error, when the file cannot be read or holds no certificate.
 */
bool addCaCertificates(const QString &path, QString *error);

} // namespace NetworkTrust
