#pragma once

#include "BatchCounts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

/*!
 * \brief Everything the tool writes while a batch runs: results on standard output, messages and
 * progress on standard error, in an order that never tears a line.
 *
 * On a terminal, each running transfer has one live line (name, bytes, percentage, speed, time
 * left) below a total line; they are redrawn in place at most ten times a second, and a message
 * is written above them. Elsewhere a transfer gets a plain line when it starts and at each
 * quarter of its size. Quiet, only errors are written. Names are escaped (Console::escaped()).
 */
class ProgressDisplay : public QObject
{
    Q_OBJECT

public:
    enum class Mode {
        Live, //!< standard error is a terminal
        Plain, //!< standard error is a file or a pipe
        Quiet, //!< only errors
    };

    explicit ProgressDisplay(Mode mode, QObject *parent = nullptr);
    ~ProgressDisplay() override;

    Mode mode() const { return m_mode; }

    /*! Writes \a text to standard output. */
    void out(const QString &text);
    /*! Writes a message to standard error (not when quiet). */
    void note(const QString &text);
    /*! Writes an error to standard error, whatever the mode. */
    void error(const QString &text);

    /*! Starts a progress line for \a name; returns its key. */
    int beginTransfer(const QString &name);
    void updateTransfer(int key, qint64 received, qint64 total);
    void endTransfer(int key);
    /*! The counts the total line shows. */
    void setCounts(const BatchCounts &counts);
    /*! Takes the live lines off the terminal, for the last words. */
    void finish();

private:
    struct Transfer
    {
        QString name;
        qint64 received = 0;
        qint64 total = -1;
        int quartersShown = 0;
        QElapsedTimer clock;
    };

    void writeErr(const QString &text);
    void scheduleRedraw();
    void redraw();
    void clearLines();
    QString lineOf(const Transfer &transfer, int width) const;
    QString totalLine() const;

    Mode m_mode;
    std::map<int, Transfer> m_transfers;
    int m_nextKey = 1;
    BatchCounts m_counts;
    qint64 m_finishedBytes = 0;
    int m_drawnLines = 0;
    QTimer m_redrawTimer;
    bool m_dirty = false;
};
