#include "StallMeter.h"

#include <algorithm>

StallMeter::StallMeter(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
}

void StallMeter::start()
{
    m_longestNs = 0;
    m_clock.start();
    m_lastTickNs = 0;
    m_timer.start();
}

void StallMeter::stop()
{
    tick();
    m_timer.stop();
}

void StallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 late = now - m_lastTickNs - qint64(intervalMs) * 1000000;
    m_longestNs = std::max(m_longestNs, late);
    m_lastTickNs = now;
}
