#include "Fen_QorProgressHUDPrivate.h"

#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorLabel.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorProgressSampler.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

Fen_QorProgressHUDPrivate::Fen_QorProgressHUDPrivate(Fen_QorProgressHUD *hud, const QRect &frame)
    : q(hud)
    , clock(hud)
    , visibility(*this, clock)
    , views(hud, QRect(QPoint(), frame.size()), contentColor)
    , animator(hud, views.bezelView(), views.backgroundView())
    , sampler(new Fen_QorProgressSampler(hud))
{ }

void Fen_QorProgressHUDPrivate::commonInit(const QRect &frame)
{
    q->setGeometry(frame);
    q->setAutoFillBackground(false);
    views.bezelView()->installEventFilter(q);
    QObject::connect(sampler, &Fen_QorProgressSampler::sampled, q,
                     &Fen_QorProgressHUD::setProgress);
    setAlpha(0.0);
    updateIndicators();
    registerForNotifications();
}

// Steps of the visibility machine -----------------------------------------------------------

bool Fen_QorProgressHUDPrivate::endAnimations()
{
    const QPointer<Fen_QorProgressHUD> self(q);
    animator.removeAllAnimations();
    return !self.isNull();
}

void Fen_QorProgressHUDPrivate::present(bool animated)
{
    setAlpha(1.0);
    sampler->setTracking(true);
    views.updateMotionEffects(defaultMotionEffectsEnabled);
    if (animated)
        animator.animateIn(true, animationType, {});
    else
        animator.setAlphas(1.0, 1.0);
    Q_EMIT q->shown();
}

void Fen_QorProgressHUDPrivate::dismiss(bool animated, std::function<void()> finished)
{
    if (animated) {
        animator.animateIn(false, animationType,
                           [finished = std::move(finished)](bool) { finished(); });
        return;
    }
    // The backdrop stays at 1: it disappears with the HUD, whose own alpha done() clears.
    animator.setAlphas(0.0, 1.0);
    finished();
}

void Fen_QorProgressHUDPrivate::done(bool finished)
{
    sampler->setTracking(false);
    const bool detach = finished && removeFromSuperViewOnHide;
    if (finished) {
        setAlpha(0.0);
        if (detach)
            q->setParent(nullptr);
    }
    const QPointer<Fen_QorProgressHUD> self(q);
    tellHidden();
    // A HUD the kit made is released once it has been told; one that its notices showed again
    // stays.
    if (self && detach && ownedByKit && visibility.hasFinished())
        q->deleteLater();
}

void Fen_QorProgressHUDPrivate::tellHidden()
{
    nextNotice = Notice::Completion;
    tellRestOfHidden();
}

// Each notice may destroy the HUD; its destructor then tells the ones still due, and this loop
// stops without touching anything of the HUD.
void Fen_QorProgressHUDPrivate::tellRestOfHidden()
{
    const QPointer<Fen_QorProgressHUD> self(q);
    while (self && nextNotice != Notice::None) {
        const Notice notice = nextNotice;
        switch (notice) {
        case Notice::Completion:
            nextNotice = Notice::Delegate;
            if (const std::function<void()> completion = q->completionBlock())
                completion();
            break;
        case Notice::Delegate:
            nextNotice = Notice::Signal;
            if (delegate)
                delegate->hudWasHidden(q);
            break;
        case Notice::Signal:
            nextNotice = Notice::None;
            Q_EMIT q->hidden();
            break;
        case Notice::None:
            break;
        }
    }
}

// Content -----------------------------------------------------------------------------------

void Fen_QorProgressHUDPrivate::updateIndicators()
{
    views.updateIndicator(mode, progress, contentColor);
    q->setNeedsUpdateConstraints();
}

// Alpha -------------------------------------------------------------------------------------

void Fen_QorProgressHUDPrivate::setAlpha(qreal newAlpha)
{
    alpha = newAlpha;
    applyOwnAlpha();
}

// The HUD's own alpha is painted through its two children (backdrop and bezel), which hold
// all of its content: an effect on the HUD itself would nest with theirs.
void Fen_QorProgressHUDPrivate::applyOwnAlpha()
{
    Fen_QorAlphaTransformEffect::of(views.backgroundView())->setOuterAlpha(alpha);
    Fen_QorAlphaTransformEffect::of(views.bezelView())->setOuterAlpha(alpha);
    // A transparent view takes no touches; below 0.01 counts as transparent. Nor does it ask
    // for repaints: a spinner ticking in an invisible HUD would repaint its host for nothing.
    const bool transparent = alpha < 0.01;
    q->setAttribute(Qt::WA_TransparentForMouseEvents, !userInteractionEnabled || transparent);
    q->setUpdatesEnabled(!transparent);
}

// Host, orientation and layout --------------------------------------------------------------

void Fen_QorProgressHUDPrivate::registerForNotifications()
{
    const auto watch = [this](QScreen *watched) {
        QObject::connect(watched, &QScreen::orientationChanged, q,
                         [this] { statusBarOrientationDidChange(); });
    };
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *each : screens)
        watch(each);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, q, watch);
}

void Fen_QorProgressHUDPrivate::statusBarOrientationDidChange()
{
    if (q->parentWidget())
        updateForCurrentOrientationAnimated(true);
}

// The flag is not used: the HUD takes its host's bounds at once in either case.
void Fen_QorProgressHUDPrivate::updateForCurrentOrientationAnimated(bool)
{
    if (QWidget *parent = q->parentWidget())
        q->setGeometry(parent->rect());
}

void Fen_QorProgressHUDPrivate::didMoveToSuperview()
{
    if (host)
        host->removeEventFilter(q);
    host = q->parentWidget();
    if (host)
        host->installEventFilter(q);
    updateForCurrentOrientationAnimated(false);
}

void Fen_QorProgressHUDPrivate::requestLayout()
{
    if (layoutRequestPosted)
        return;
    layoutRequestPosted = true;
    QCoreApplication::postEvent(q, new QEvent(QEvent::LayoutRequest));
}

Fen_QorProgressHUDLayout::Views Fen_QorProgressHUDPrivate::layoutViews() const
{
    return { q,
             views.bezelView(),
             views.topSpacer(),
             views.bottomSpacer(),
             views.indicator(),
             views.label(),
             views.detailsLabel(),
             views.button() };
}
