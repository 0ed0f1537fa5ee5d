#pragma once

#include "Fen_QorEnums.h"

#include <QtGlobal>

#include <functional>
#include <memory>

class QObject;
class QVariantAnimation;
class QWidget;

/*!
 * \brief The show and hide animation of a progress HUD: the alpha of its bezel and backdrop and
 * the bezel's scale, moved together by one 0.3 s critically damped spring.
 *
 * A new animation begins where the running one stands (its completion is told it did not
 * finish). removeAllAnimations() ends the running one at once at the values it was heading for;
 * its completion still runs. The values live in the two views' Fen_QorAlphaTransformEffect.
 */
class Fen_QorProgressHUDAnimator
{
public:
    /*! Animates \a bezel and \a backdrop; the animation objects are children of \a context. */
    Fen_QorProgressHUDAnimator(QObject *context, QWidget *bezel, QWidget *backdrop);
    /*! Drops a running animation without calling its completion. */
    ~Fen_QorProgressHUDAnimator();
    Fen_QorProgressHUDAnimator(const Fen_QorProgressHUDAnimator &) = delete;
    Fen_QorProgressHUDAnimator &operator=(const Fen_QorProgressHUDAnimator &) = delete;

    /*! Shows (\a animatingIn) or hides with the movement of \a type; \a completion (may be
     * empty) gets whether the animation ran to its end. */
    void animateIn(bool animatingIn, Fen_QorProgressHUDAnimation type,
                   std::function<void(bool)> completion);
    /*! Ends the running animation, if any, at its end values and runs its completion. */
    void removeAllAnimations();
    /*! Sets both alphas at once; a running animation now ends at these values. */
    void setAlphas(qreal bezelAlpha, qreal backdropAlpha);

private:
    struct Pose
    {
        qreal bezelAlpha;
        qreal backdropAlpha;
        qreal bezelScale;
    };
    struct Running;

    Pose currentPose() const;
    void applyPose(const Pose &pose);
    void finish(bool finished);
    std::unique_ptr<Running> takeRunning();

    QObject *m_context;
    QWidget *m_bezel;
    QWidget *m_backdrop;
    std::unique_ptr<Running> m_running;
};
