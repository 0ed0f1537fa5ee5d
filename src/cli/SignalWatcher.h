#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

/*!
 * \brief Turns SIGINT, SIGTERM and SIGHUP into a signal of the event loop, so that the tool can
 * stop its transfers cleanly.
 *
 * The handler only writes the signal's number into a pipe; received() follows on the thread that
 * created the watcher. One watcher per process.
 */
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    /*! False when the pipe or the handlers could not be set up. */
    bool isWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
