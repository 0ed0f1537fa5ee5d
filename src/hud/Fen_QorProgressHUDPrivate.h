#pragma once

#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDAnimator.h"
#include "Fen_QorProgressHUDLayout.h"
#include "Fen_QorProgressHUDViewTree.h"
#include "Fen_QorProgressHUDVisibility.h"
#include "Fen_QorTimerClock.h"

#include <QPointer>

#include <mutex>

class Fen_QorProgressSampler;

/*!
 * \brief The state of a Fen_QorProgressHUD behind its d-pointer: its properties, the pieces it
 * is built from, and the steps its visibility machine has it take.
 *
 * Not part of the kit's API. The kit's own files use it (the shortcuts mark the HUDs they make
 * as the kit's), and the tests use it to look inside a HUD and to give it a clock of theirs.
 */
class Fen_QorProgressHUDPrivate : public Fen_QorProgressHUDVisibility::Steps
{
public:
    Fen_QorProgressHUDPrivate(Fen_QorProgressHUD *hud, const QRect &frame);

    static Fen_QorProgressHUDPrivate *get(Fen_QorProgressHUD *hud) { return hud->d.get(); }

    /*! The HUD is the kit's: once hidden it leaves its host and is deleted. */
    void setOwnedByKit() { ownedByKit = true; }
    /*! Runs the HUD's show and hide timing on \a clock; only before the first request. */
    void setClock(Fen_QorClock &clock) { visibility.setClock(clock); }

    QWidget *indicator() const { return views.indicator(); }
    Fen_QorMotionEffectGroup *bezelMotionEffects() const { return views.motionEffects(); }

    // The visibility machine's steps.
    bool endAnimations() override;
    void present(bool animated) override;
    void dismiss(bool animated, std::function<void()> finished) override;
    void done(bool finished) override;

    void commonInit(const QRect &frame);
    void updateIndicators();
    void setAlpha(qreal newAlpha);
    void applyOwnAlpha();
    void registerForNotifications();
    void statusBarOrientationDidChange();
    void updateForCurrentOrientationAnimated(bool animated);
    void didMoveToSuperview();
    void requestLayout();
    Fen_QorProgressHUDLayout::Views layoutViews() const;
    /*! Starts the notices that end a hide: the completion, the delegate, hidden(). */
    void tellHidden();
    /*! Tells the notices of the current round that are still due. */
    void tellRestOfHidden();

    Fen_QorProgressHUD *const q;

    Fen_QorProgressHUDDelegate *delegate = nullptr;
    mutable std::mutex completionMutex;
    std::function<void()> completionBlock;

    bool removeFromSuperViewOnHide = false;
    bool ownedByKit = false;
    Fen_QorProgressHUDMode mode = Fen_QorProgressHUDModeSpinner;
    // Single-precision 0.7 widened, like every colour constant of the kit.
    QColor contentColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.7f);
    Fen_QorProgressHUDAnimation animationType = Fen_QorProgressHUDAnimationFade;
    QPointF offset;
    double margin = 20.0;
    QSizeF minSize { 0.0, 0.0 };
    bool square = false;
    bool defaultMotionEffectsEnabled = false;
    float progress = 0.0f;
    bool userInteractionEnabled = true;
    qreal alpha = 0.0;

    Fen_QorTimerClock clock;
    Fen_QorProgressHUDVisibility visibility;
    Fen_QorProgressHUDViewTree views;
    Fen_QorProgressHUDAnimator animator;
    Fen_QorProgressSampler *sampler;
    Fen_QorProgressHUDLayout layout;
    bool needsUpdateConstraints = false;
    bool layoutRequestPosted = false;
    QPointer<QWidget> host;

    // The notices that end a hide, in their order. A HUD destroyed halfway through them (by its
    // completion, say) tells the rest from its destructor.
    enum class Notice { None, Completion, Delegate, Signal };
    Notice nextNotice = Notice::None;
};
