#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

/*!
 * \brief A flag that the sample platform raises when it stops, and that every wait of its worker
 * threads (latency, stalls, idle connections) watches so that stopping never hangs.
 */
class StopSignal
{
public:
    void raise();
    void lower();
    bool isRaised() const { return m_raised.load(std::memory_order_acquire); }

    /*! Waits for \a timeout; false when the signal was raised before or during the wait. */
    bool waitFor(std::chrono::milliseconds timeout) const;

private:
    std::atomic<bool> m_raised { false };
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_condition;
};
