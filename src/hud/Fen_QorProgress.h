#pragma once

#include <QtGlobal>

#include <atomic>
#include <mutex>

/*!
 * \brief The progress of a piece of work as total and completed unit counts.
 *
 * Safe to update from any thread while the HUD samples it on the main thread: writers update the
 * counts under a lock and publish the fraction, and fractionCompleted() is a single atomic read.
 * Share it between the worker and the HUD with a std::shared_ptr.
 */
class Fen_QorProgress
{
public:
    explicit Fen_QorProgress(qint64 totalUnitCount = 0);

    qint64 totalUnitCount() const;
    void setTotalUnitCount(qint64 totalUnitCount);

    qint64 completedUnitCount() const;
    void setCompletedUnitCount(qint64 completedUnitCount);
    void incrementCompletedUnitCount(qint64 delta);

    /*! completed ÷ total, or 0 while the total is not positive. */
    double fractionCompleted() const { return m_fraction.load(std::memory_order_acquire); }

private:
    void publishLocked();

    mutable std::mutex m_mutex;
    qint64 m_totalUnitCount;
    qint64 m_completedUnitCount = 0;
    std::atomic<double> m_fraction { 0.0 };
};
