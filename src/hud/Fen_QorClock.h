#pragma once

#include <chrono>
#include <functional>
#include <memory>

/*!
 * \brief Where the HUD's show and hide logic reads the time and schedules its one-shot timers.
 *
 * The HUD runs on Fen_QorTimerClock (monotonic time, QTimers on the event loop); a test hands
 * Fen_QorProgressHUDVisibility a clock of its own that it advances by hand, so that grace and
 * minimum show times are checked without waiting for them.
 */
class Fen_QorClock
{
public:
    using Seconds = std::chrono::duration<double>;

    /*! A scheduled one-shot timer. Destroying the handle cancels the timer if it has not fired;
     * a handle may be destroyed from inside its own handler. */
    class Timer
    {
    public:
        virtual ~Timer() = default;
        /*! True until the timer fires. */
        virtual bool isPending() const = 0;
    };

    virtual ~Fen_QorClock() = default;

    /*! Monotonic time since an arbitrary start. */
    virtual Seconds now() const = 0;
    /*! Calls \a handler once, \a delay from now (a negative delay counts as 0), unless the
     * returned handle is destroyed first. */
    virtual std::unique_ptr<Timer> startTimer(Seconds delay, std::function<void()> handler) = 0;
};
