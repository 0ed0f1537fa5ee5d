#include "Fen_QorProgress.h"

Fen_QorProgress::Fen_QorProgress(qint64 totalUnitCount) : m_totalUnitCount(totalUnitCount) { }

qint64 Fen_QorProgress::totalUnitCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_totalUnitCount;
}

void Fen_QorProgress::setTotalUnitCount(qint64 totalUnitCount)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_totalUnitCount = totalUnitCount;
    publishLocked();
}

qint64 Fen_QorProgress::completedUnitCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_completedUnitCount;
}

void Fen_QorProgress::setCompletedUnitCount(qint64 completedUnitCount)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_completedUnitCount = completedUnitCount;
    publishLocked();
}

void Fen_QorProgress::incrementCompletedUnitCount(qint64 delta)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_completedUnitCount += delta;
    publishLocked();
}

void Fen_QorProgress::publishLocked()
{
    const double fraction
        = m_totalUnitCount > 0 ? double(m_completedUnitCount) / double(m_totalUnitCount) : 0.0;
    m_fraction.store(fraction, std::memory_order_release);
}
