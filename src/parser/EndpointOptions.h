#pragma once

#include "Endpoints.h"

#include <QCommandLineOption>
#include <QStringList>

class QCommandLineParser;

/*!
 * \brief The command-line options that point Kivora at a platform: --short-link-host,
 * --share-origin, --web-origin and --ca-certificates, shared by the window app and the CLI.
 *
 * addOptions() registers them, apply() reads them after the parser has parsed the arguments,
 * checks their values and adds the CA file to the trusted certificates.
 */
class EndpointOptions
{
public:
    EndpointOptions();

    void addOptions(QCommandLineParser &parser) const;
    QList<QCommandLineOption> options() const;
    /*! The names of the options, without dashes. */
    QStringList optionNames() const;

    /*! Reads the options from \a parser. Returns false, with a message for the user in
     *  \a error, when a value is not a host or origin or the CA file is unusable. */
    bool apply(const QCommandLineParser &parser, QString *error);

    /*! The real platform, with what the options changed. */
    Endpoints endpoints() const { return m_endpoints; }

private:
    QCommandLineOption m_shortLinkHost;
    QCommandLineOption m_shareOrigin;
    QCommandLineOption m_webOrigin;
    QCommandLineOption m_caCertificates;
    Endpoints m_endpoints;
};
