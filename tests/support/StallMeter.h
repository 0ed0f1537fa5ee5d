#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

/*!
 * \brief Measures how long the event loop of the thread it lives on is kept from running: a
 * precise timer ticks every few milliseconds, and the longest lateness of a tick is the longest
 * stall.
 */
class StallMeter : public QObject
{
public:
    explicit StallMeter(QObject *parent = nullptr);

    /*! Starts a new measurement. */
    void start();
    void stop();
    /*! The longest stall since start(), in milliseconds. */
    qint64 longestStallMs() const { return m_longestNs / 1000000; }

private:
    void tick();

    static constexpr int intervalMs = 5;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = 0;
    qint64 m_longestNs = 0;
};
