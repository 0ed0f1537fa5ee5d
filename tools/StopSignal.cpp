#include "StopSignal.h"

void StopSignal::raise()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raised.store(true, std::memory_order_release);
    }
    m_condition.notify_all();
}

void StopSignal::lower()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_raised.store(false, std::memory_order_release);
}

bool StopSignal::waitFor(std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_condition.wait_for(lock, timeout, [this] { return isRaised(); });
}
