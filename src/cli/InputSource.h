#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>

/*!
 * \brief The inputs of one run: the command line's, then a batch file's (standard input for
 * "-"), one per line; blank lines and lines starting with "#" are skipped.
 *
 * The batch file is read as the inputs are needed, never whole, and without blocking: a pipe
 * that has nothing yet is watched until it has. At most a few hundred lines wait read ahead, so
 * memory stays flat whatever the batch's size.
 */
class InputSource : public QObject
{
    Q_OBJECT

public:
    explicit InputSource(const QStringList &inputs, QObject *parent = nullptr);
    ~InputSource() override;

    /*! Adds the inputs of the file at \a path ("-": standard input); false, with the system's
     *  reason in \a error, when it cannot be opened. */
    bool openBatchFile(const QString &path, QString *error);

    /*! The next input, or nothing when none is ready yet (inputsReady() follows) or none is
     *  left (atEnd()). */
    std::optional<QString> next();
    /*! True once every input has been handed out. */
    bool atEnd() const;

Q_SIGNALS:
    /*! More inputs are ready, or the end of the inputs is known. */
    void inputsReady();

private:
    void readAvailable();
    void takeLines(bool atEndOfFile);
    void keepLine(const QByteArray &line);

    std::deque<QString> m_ready;
    QFile m_batch;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partialLine;
    bool m_batchOpen = false;
};
