#pragma once

#include "Endpoints.h"

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

/*!
 * \brief One kivora-sample-platform server in a process of its own, with the fault switches it
 * was started with, and what it printed: its endpoints, its media address, its certificate file
 * and the share texts of its items.
 *
 * The server runs until this object goes; it is also told to stop when the process that started
 * it dies, so a crashed soak leaves no server behind.
 */
class PlatformProcess
{
public:
    struct Item
    {
        QString videoId;
        QString shareText;
    };

    PlatformProcess() = default;
    ~PlatformProcess();
    PlatformProcess(const PlatformProcess &) = delete;
    PlatformProcess &operator=(const PlatformProcess &) = delete;

    /*! Starts \a program with \a arguments and reads its summary; false, with \a error, when it
     *  does not start or prints no complete summary in time. */
    bool start(const QString &program, const QStringList &arguments, QString &error);

    const Endpoints &endpoints() const { return m_endpoints; }
    const QString &mediaUrl() const { return m_mediaUrl; }
    const QString &caCertificatesPath() const { return m_caCertificatesPath; }
    const QList<Item> &items() const { return m_items; }

private:
    bool readLine(QString &line);
    bool readSummary();
    void readItems(int count);

    QProcess m_process;
    Endpoints m_endpoints;
    QString m_mediaUrl;
    QString m_caCertificatesPath;
    QList<Item> m_items;
};
