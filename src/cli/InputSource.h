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
 * A line is one input whatever it holds (a share text with several links is resolved by its
 * first). A line longer than longestLine bytes is no input of ours: it is handed out as refused,
 * with its number, and never read whole nor split into several inputs.
 *
 * The batch file is read as the inputs are needed, never whole, and without blocking: a pipe
 * that has nothing yet is watched until it has. At most a few hundred lines wait read ahead, so
 * memory stays flat whatever the batch's size.
 */
class InputSource : public QObject
{
    Q_OBJECT

public:
    /*! The longest batch line taken as an input, in bytes. */
    static constexpr qsizetype longestLine = 64 * 1024;

    struct Input
    {
        QString text; //!< empty for a refused line
        qint64 line = 0; //!< its line in the batch file; 0 for the command line's
        bool tooLong = false; //!< the line was longer than longestLine: refused
    };

    explicit InputSource(const QStringList &inputs, QObject *parent = nullptr);
    ~InputSource() override;

    /*! Adds the inputs of the file at \a path ("-": standard input); false, with the system's
     *  reason in \a error, when it cannot be opened. */
    bool openBatchFile(const QString &path, QString *error);

    /*! The next input, or nothing when none is ready yet (inputsReady() follows) or none is
     *  left (atEnd()). */
    std::optional<Input> next();
    /*! True once every input has been handed out. */
    bool atEnd() const;

Q_SIGNALS:
    /*! More inputs are ready, or the end of the inputs is known. */
    void inputsReady();

private:
    void readAvailable();
    void takeLines(bool atEndOfFile);
    void endLine(QByteArrayView line);

    std::deque<Input> m_ready;
    QFile m_batch;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partialLine;
    qint64 m_lineNumber = 0;
    bool m_lineTooLong = false; // the line being read is already too long: the rest is dropped
    bool m_batchOpen = false;
};
