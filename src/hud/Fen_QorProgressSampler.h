#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class Fen_QorProgress;
class QWidget;

/*!
 * \brief Samples a Fen_QorProgress once per screen refresh while tracking is on and reports the
 * fraction completed.
 *
 * The progress object may be updated from any thread; sampling runs on the sampler's thread (the
 * main one) at the refresh rate of the view's screen (60 Hz when the screen does not tell). It
 * is sampled rather than observed, so a worker may update it as often as it likes. Tracking
 * needs a progress object: without one it stays off.
 */
class Fen_QorProgressSampler : public QObject
{
    Q_OBJECT

public:
    /*! A sampler for \a view, whose screen sets the rate; a child of \a view. */
    explicit Fen_QorProgressSampler(QWidget *view);

    std::shared_ptr<Fen_QorProgress> progressObject() const { return m_progressObject; }
    /*! Stores a different \a progressObject and turns tracking on (off for none). */
    void setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject);

    /*! Starts sampling (when there is a progress object and it is not running yet) or stops. */
    void setTracking(bool tracking);
    bool isTracking() const;
    /*! The refresh timer while tracking, else nullptr. */
    QTimer *displayLink() const { return m_displayLink; }

Q_SIGNALS:
    /*! Once per refresh while tracking: the progress object's fraction completed. */
    void sampled(float fractionCompleted);

private:
    void setDisplayLink(QTimer *displayLink);
    int refreshIntervalMs() const;

    QWidget *m_view;
    std::shared_ptr<Fen_QorProgress> m_progressObject;
    QPointer<QTimer> m_displayLink;
};
