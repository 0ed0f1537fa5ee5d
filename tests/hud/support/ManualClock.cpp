#include "ManualClock.h"

#include <algorithm>

class ManualClock::Handle : public Fen_QorClock::Timer
{
public:
    Handle(const std::shared_ptr<State> &state, quint64 id) : m_state(state), m_id(id) { }
    ~Handle() override
    {
        if (const std::shared_ptr<State> state = m_state.lock())
            state->entries.erase(m_id);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isPending() const override
    {
        const std::shared_ptr<State> state = m_state.lock();
        return state && state->entries.count(m_id) > 0;
    }

private:
    std::weak_ptr<State> m_state;
    quint64 m_id;
};

ManualClock::ManualClock() : m_state(std::make_shared<State>()) { }

Fen_QorClock::Seconds ManualClock::now() const
{
    return m_state->now;
}

std::unique_ptr<Fen_QorClock::Timer> ManualClock::startTimer(Seconds delay,
                                                             std::function<void()> handler)
{
    const quint64 id = m_state->nextId++;
    const Seconds due = m_state->now + std::max(delay, Seconds(0.0));
    m_state->entries.emplace(id, Entry { due, std::move(handler) });
    return std::make_unique<Handle>(m_state, id);
}

void ManualClock::advance(double seconds)
{
    const Seconds target = m_state->now + Seconds(seconds);
    // The state stays alive even if a handler destroys the clock's owner.
    const std::shared_ptr<State> state = m_state;
    for (;;) {
        const auto next = std::min_element(
            state->entries.begin(), state->entries.end(),
            [](const auto &a, const auto &b) { return a.second.due < b.second.due; });
        if (next == state->entries.end() || next->second.due > target)
            break;
        // Taken out before it runs: it may cancel or start timers, its own handle included.
        const std::function<void()> handler = std::move(next->second.handler);
        state->now = next->second.due;
        state->entries.erase(next);
        handler();
    }
    state->now = target;
}

int ManualClock::pendingCount() const
{
    return int(m_state->entries.size());
}
