#pragma once

#include "Fen_QorClock.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

/*!
 * \brief The show/hide state machine of a progress HUD: the grace time before it appears, the
 * minimum time it stays, the delayed hide, and the end of every hide.
 *
 * The machine decides when; the HUD's Steps do what is seen. A show request shows at once, or
 * after the grace time unless a hide request comes first. A hide request hides at once, or once
 * the HUD has been visible for the minimum show time; a show request in that wait cancels it. A
 * delayed hide is a hide request made later (a newer one replaces it; the show step cancels it).
 * Several grace or minimum-show waits may be pending at once: each fires.
 *
 * States (read from hasFinished(), isShown() and what is pending): hidden, grace wait, shown,
 * minimum-show wait, hiding (the Steps animate out), hidden again. Each hide ends in done(),
 * which hands over to Steps::done(); a show request that interrupts a hide animation ends that
 * hide first (its done() runs with hasFinished() false).
 *
 * Time comes from a Fen_QorClock, so that a test can drive it by hand. Nothing here is
 * thread-safe; the HUD uses it on the main thread only.
 */
class Fen_QorProgressHUDVisibility
{
public:
    using Seconds = Fen_QorClock::Seconds;

    /*! What the machine has the HUD do. A step may destroy the HUD and the machine with it (the
     * completion callback runs inside done()); the machine touches nothing after a step. */
    class Steps
    {
    public:
        virtual ~Steps() = default;
        /*! Ends a running animation at once, at its end values; a hide animation's completion
         * (done()) runs now. Returns false when that destroyed the HUD. */
        virtual bool endAnimations() = 0;
        /*! The visible part of the show step: animated or at once. */
        virtual void present(bool animated) = 0;
        /*! The visible part of the hide step; \a finished must be called once when it is over,
         * right away or at the end of an animation. */
        virtual void dismiss(bool animated, std::function<void()> finished) = 0;
        /*! The end of a hide: \a finished is hasFinished() (false when a show request came in
         * while the hide animated). */
        virtual void done(bool finished) = 0;
    };

    /*! \a steps and \a clock must outlive the machine. */
    Fen_QorProgressHUDVisibility(Steps &steps, Fen_QorClock &clock);
    ~Fen_QorProgressHUDVisibility();
    Fen_QorProgressHUDVisibility(const Fen_QorProgressHUDVisibility &) = delete;
    Fen_QorProgressHUDVisibility &operator=(const Fen_QorProgressHUDVisibility &) = delete;

    /*! Replaces the clock; only while no timer is pending (a new HUD's case). */
    void setClock(Fen_QorClock &clock);

    double graceTime() const { return m_graceTime; }
    void setGraceTime(double seconds) { m_graceTime = seconds; }
    double minShowTime() const { return m_minShowTime; }
    void setMinShowTime(double seconds) { m_minShowTime = seconds; }

    void requestShow(bool animated);
    void requestHide(bool animated);
    /*! A hide request \a delay seconds from now, replacing a pending one. */
    void requestHideAfterDelay(bool animated, double delay);

    /*! Set by every hide request, cleared by every show request. */
    bool hasFinished() const { return m_finished; }
    /*! True from the show step until the next hide step. */
    bool isShown() const { return m_shownAt.has_value(); }
    /*! True from a show request until a hide ends with hasFinished(): a HUD destroyed meanwhile
     * still owes its completion and delegate their notice. */
    bool isBusy() const { return m_busy; }
    /*! The delay of the pending delayed hide, if one is pending. */
    std::optional<double> pendingHideDelay() const;

private:
    void showStep(bool animated);
    void hideStep(bool animated);
    void done();
    std::unique_ptr<Fen_QorClock::Timer> startTimer(double seconds, std::function<void()> handler);
    static void addPending(std::vector<std::unique_ptr<Fen_QorClock::Timer>> &timers,
                           std::unique_ptr<Fen_QorClock::Timer> timer);

    Steps &m_steps;
    Fen_QorClock *m_clock;
    double m_graceTime = 0.0;
    double m_minShowTime = 0.0;
    bool m_useAnimation = false;
    bool m_finished = false;
    bool m_busy = false;
    std::optional<Seconds> m_shownAt;
    std::vector<std::unique_ptr<Fen_QorClock::Timer>> m_graceTimers;
    std::vector<std::unique_ptr<Fen_QorClock::Timer>> m_minShowTimers;
    std::unique_ptr<Fen_QorClock::Timer> m_hideDelayTimer;
    double m_hideDelay = 0.0;
};
