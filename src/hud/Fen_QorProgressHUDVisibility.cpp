#include "Fen_QorProgressHUDVisibility.h"

#include <algorithm>

Fen_QorProgressHUDVisibility::Fen_QorProgressHUDVisibility(Steps &steps, Fen_QorClock &clock)
    : m_steps(steps), m_clock(&clock)
{ }

// The timer handles cancel whatever is still pending.
Fen_QorProgressHUDVisibility::~Fen_QorProgressHUDVisibility() = default;

void Fen_QorProgressHUDVisibility::setClock(Fen_QorClock &clock)
{
    m_clock = &clock;
}

void Fen_QorProgressHUDVisibility::requestShow(bool animated)
{
    m_minShowTimers.clear();
    m_useAnimation = animated;
    m_finished = false;
    m_busy = true;
    if (m_graceTime > 0.0) {
        // A grace wait already pending is not cancelled: both fire.
        addPending(m_graceTimers, startTimer(m_graceTime, [this] {
                       if (!m_finished)
                           showStep(m_useAnimation);
                   }));
    } else {
        showStep(m_useAnimation);
    }
}

void Fen_QorProgressHUDVisibility::requestHide(bool animated)
{
    m_graceTimers.clear(); // a HUD still in its grace wait never becomes visible
    m_useAnimation = animated;
    m_finished = true;
    if (m_minShowTime > 0.0 && m_shownAt) {
        const double shownFor = (m_clock->now() - *m_shownAt).count();
        if (shownFor < m_minShowTime) {
            // The hide takes the animated flag of the latest request when the wait is over.
            addPending(m_minShowTimers,
                       startTimer(m_minShowTime - shownFor, [this] { hideStep(m_useAnimation); }));
            return;
        }
    }
    hideStep(m_useAnimation);
}

void Fen_QorProgressHUDVisibility::requestHideAfterDelay(bool animated, double delay)
{
    m_hideDelay = delay;
    m_hideDelayTimer = startTimer(delay, [this, animated] { requestHide(animated); });
}

std::optional<double> Fen_QorProgressHUDVisibility::pendingHideDelay() const
{
    if (m_hideDelayTimer && m_hideDelayTimer->isPending())
        return m_hideDelay;
    return std::nullopt;
}

void Fen_QorProgressHUDVisibility::showStep(bool animated)
{
    // Ending a hide animation runs its done() first, so that what the show turns on stays on.
    if (!m_steps.endAnimations())
        return;
    m_hideDelayTimer.reset(); // a delayed hide asked for before the HUD became visible
    m_shownAt = m_clock->now();
    m_steps.present(animated);
}

void Fen_QorProgressHUDVisibility::hideStep(bool animated)
{
    m_hideDelayTimer.reset();
    // Only a HUD that was shown animates out; the first of two hides clears the show instant,
    // so the second ends at once.
    const bool wasShown = isShown();
    m_shownAt.reset();
    m_steps.dismiss(animated && wasShown, [this] { done(); });
}

void Fen_QorProgressHUDVisibility::done()
{
    if (m_finished)
        m_busy = false;
    m_steps.done(m_finished);
}

std::unique_ptr<Fen_QorClock::Timer>
Fen_QorProgressHUDVisibility::startTimer(double seconds, std::function<void()> handler)
{
    return m_clock->startTimer(Seconds(seconds), std::move(handler));
}

void Fen_QorProgressHUDVisibility::addPending(
    std::vector<std::unique_ptr<Fen_QorClock::Timer>> &timers,
    std::unique_ptr<Fen_QorClock::Timer> timer)
{
    // Those that fired are of no more use.
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [](const auto &each) { return !each->isPending(); }),
                 timers.end());
    timers.push_back(std::move(timer));
}
