#include "Fen_QorProgressSampler.h"

#include "Fen_QorProgress.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

constexpr qreal fallbackRefreshRate = 60.0;

} // namespace

Fen_QorProgressSampler::Fen_QorProgressSampler(QWidget *view) : QObject(view), m_view(view) { }

void Fen_QorProgressSampler::setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject)
{
    if (progressObject == m_progressObject)
        return;
    m_progressObject = std::move(progressObject);
    setTracking(true);
}

void Fen_QorProgressSampler::setTracking(bool tracking)
{
    if (!tracking || !m_progressObject) {
        setDisplayLink(nullptr);
        return;
    }
    if (m_displayLink)
        return;
    auto *displayLink = new QTimer(this);
    displayLink->setTimerType(Qt::PreciseTimer);
    displayLink->setInterval(refreshIntervalMs());
    connect(displayLink, &QTimer::timeout, this,
            [this] { Q_EMIT sampled(float(m_progressObject->fractionCompleted())); });
    setDisplayLink(displayLink);
}

bool Fen_QorProgressSampler::isTracking() const
{
    return m_displayLink != nullptr;
}

void Fen_QorProgressSampler::setDisplayLink(QTimer *displayLink)
{
    if (displayLink == m_displayLink)
        return;
    if (m_displayLink) {
        m_displayLink->stop();
        m_displayLink->deleteLater();
    }
    m_displayLink = displayLink;
    if (displayLink)
        displayLink->start();
}

int Fen_QorProgressSampler::refreshIntervalMs() const
{
    const QScreen *screen = m_view->screen() ? m_view->screen() : QGuiApplication::primaryScreen();
    const qreal rate
        = screen && screen->refreshRate() > 0.0 ? screen->refreshRate() : fallbackRefreshRate;
    return qMax(1, qRound(1000.0 / rate));
}
