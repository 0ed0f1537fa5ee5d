#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <cstring>

/*!
 * \brief Collects the lines written to the category "kivora" while it exists, from any thread;
 * other messages go on to the previous handler.
 */
class LogCapture
{
public:
    LogCapture()
    {
        current() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }

    /*! The lines that start with \a format, e.g. "Kivora3  ". */
    QStringList linesStartingWith(const QString &format) const
    {
        QStringList found;
        const QStringList all = lines();
        for (const QString &line : all) {
            if (line.startsWith(format))
                found.append(line);
        }
        return found;
    }

private:
    static std::atomic<LogCapture *> &current()
    {
        static std::atomic<LogCapture *> capture = nullptr;
        return capture;
    }

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        LogCapture *capture = current();
        if (capture && context.category && std::strcmp(context.category, "kivora") == 0) {
            QMutexLocker locker(&capture->m_mutex);
            capture->m_lines.append(message);
            return;
        }
        if (capture && capture->m_previous)
            capture->m_previous(type, context, message);
    }

    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};
