#include "Fen_QorTimerClock.h"

#include <QPointer>
#include <QTimer>

#include <climits>

namespace {

class QTimerHandle : public Fen_QorClock::Timer
{
public:
    explicit QTimerHandle(QTimer *timer) : m_timer(timer) { }
    // The handle may go while its own timer is emitting: the timer is stopped at once and
    // deleted once control is back in the event loop.
    ~QTimerHandle() override
    {
        if (m_timer) {
            m_timer->stop();
            m_timer->deleteLater();
        }
    }
    QTimerHandle(const QTimerHandle &) = delete;
    QTimerHandle &operator=(const QTimerHandle &) = delete;

    bool isPending() const override { return m_timer && m_timer->isActive(); }

private:
    QPointer<QTimer> m_timer;
};

int clampedMilliseconds(Fen_QorClock::Seconds delay)
{
    return qRound(qBound(0.0, delay.count() * 1000.0, double(INT_MAX)));
}

} // namespace

Fen_QorTimerClock::Fen_QorTimerClock(QObject *context) : m_context(context)
{
    m_start.start();
}

Fen_QorClock::Seconds Fen_QorTimerClock::now() const
{
    return Seconds(double(m_start.nsecsElapsed()) / 1e9);
}

std::unique_ptr<Fen_QorClock::Timer> Fen_QorTimerClock::startTimer(Seconds delay,
                                                                   std::function<void()> handler)
{
    auto *timer = new QTimer(m_context);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, m_context, std::move(handler));
    timer->start(clampedMilliseconds(delay));
    return std::make_unique<QTimerHandle>(timer);
}
