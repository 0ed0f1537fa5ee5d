#pragma once

#include "Fen_QorClock.h"

#include <QtGlobal>

#include <map>
#include <memory>

/*!
 * \brief A clock that stands still until the test moves it: the HUD's timers fire inside
 * advance(), in the order they fall due, and never on their own.
 */
class ManualClock : public Fen_QorClock
{
public:
    ManualClock();

    Seconds now() const override;
    std::unique_ptr<Timer> startTimer(Seconds delay, std::function<void()> handler) override;

    /*! Moves time on by \a seconds, firing every timer that falls due on the way (those due at
     * the same instant in the order they were started). While a timer fires, now() is its due
     * instant; timers it starts fire in the same call when they fall due within it. */
    void advance(double seconds);
    /*! The timers started and neither fired nor cancelled. */
    int pendingCount() const;

private:
    struct Entry
    {
        Seconds due;
        std::function<void()> handler;
    };
    // Shared with the timer handles, so that a handle outliving the clock cancels nothing.
    struct State
    {
        Seconds now { 0.0 };
        quint64 nextId = 1;
        std::map<quint64, Entry> entries; // by start order
    };
    class Handle;

    std::shared_ptr<State> m_state;
};
