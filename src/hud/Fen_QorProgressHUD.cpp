#include "Fen_QorProgressHUD.h"

#include "Fen_QorActivityIndicatorView.h"
#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorAssert.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorBarProgressView.h"
#include "Fen_QorMotionEffectGroup.h"
#include "Fen_QorProgress.h"
#include "Fen_QorProgressHUDAppearance.h"
#include "Fen_QorProgressHUDLayout.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorRoundProgressView.h"
#include "Fen_QorSpringEasing.h"
#include "Fen_QorViewLayoutState.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMetaProperty>
#include <QResizeEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVariantAnimation>

#include <climits>

namespace {

constexpr int animationDurationMs = 300;
constexpr qreal smallScale = 0.5;
constexpr qreal largeScale = 1.5;
constexpr float contentCompressionResistance = 998.0f;
constexpr double tiltRange = 10.0;
constexpr qreal fallbackRefreshRate = 60.0;

QFont boldSystemFont(qreal pointSize)
{
    QFont font = QGuiApplication::font();
    font.setBold(true);
    font.setPointSizeF(pointSize);
    return font;
}

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// A custom view's tint: the foreground roles of its palette, which its children inherit.
void setTintColor(QWidget *view, const QColor &color)
{
    QPalette palette = view->palette();
    for (QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(role, color);
    view->setPalette(palette);
}

void setCompressionResistance(QWidget *view)
{
    Fen_QorViewLayoutState::setContentCompressionResistancePriority(
        view, contentCompressionResistance, Qt::Horizontal);
    Fen_QorViewLayoutState::setContentCompressionResistancePriority(
        view, contentCompressionResistance, Qt::Vertical);
}

// Adds \a child as the topmost child of \a parent and shows it, unless it was hidden on purpose.
void addSubview(QWidget *parent, QWidget *child)
{
    const bool explicitlyHidden
        = child->isHidden() && child->testAttribute(Qt::WA_WState_ExplicitShowHide);
    child->setParent(parent);
    child->raise();
    if (!explicitlyHidden)
        child->show();
}

// True when the application set \a attribute for views of \a viewClass inside HUDs.
bool hasAppearanceColor(const QMetaObject &viewClass, const char *attribute)
{
    return Fen_QorProgressHUDAppearance::value(viewClass, attribute).value<QColor>().isValid();
}

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

} // namespace

// Delegate ----------------------------------------------------------------------------------

Fen_QorProgressHUDDelegate::~Fen_QorProgressHUDDelegate()
{
    const QList<QPointer<Fen_QorProgressHUD>> huds = m_huds;
    for (const QPointer<Fen_QorProgressHUD> &hud : huds) {
        if (hud && hud->delegate() == this)
            hud->setDelegate(nullptr);
    }
}

void Fen_QorProgressHUDDelegate::hudWasHidden(Fen_QorProgressHUD *) { }

// Creation ----------------------------------------------------------------------------------

Fen_QorProgressHUD::Fen_QorProgressHUD(QWidget *view) : QWidget(nullptr)
{
    FEN_QOR_ASSERT(view, "View must not be nil.");
    commonInit(view ? view->rect() : QRect());
}

// Set up parentless and added afterwards: a parent given to QWidget's constructor would be
// adopted before this class can notice it, and the HUD would not follow its host.
Fen_QorProgressHUD::Fen_QorProgressHUD(const QRect &frame, QWidget *parent) : QWidget(nullptr)
{
    commonInit(frame);
    if (parent)
        setParent(parent);
}

Fen_QorProgressHUD::~Fen_QorProgressHUD()
{
    // The running animation and the timers are children and go down with the HUD; cut the
    // animation loose first so that nothing of it reaches a half-destroyed HUD. A pending hide
    // is dropped with them: its completion and delegate notice would only meet a HUD that is
    // no longer there.
    if (m_animation) {
        m_animation->driver->disconnect(this);
        delete m_animation->driver;
    }
    if (m_customView && !m_customView->parent())
        delete m_customView;
}

void Fen_QorProgressHUD::commonInit(const QRect &frame)
{
    // Single-precision 0.7 widened, like every colour constant of the kit.
    m_contentColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.7f);
    m_layout = std::make_unique<Fen_QorProgressHUDLayout>();

    setGeometry(frame);
    setAutoFillBackground(false);

    setupViews();
    setAlpha(0.0);
    updateIndicators();
    registerForNotifications();
}

// Showing and hiding ------------------------------------------------------------------------

void Fen_QorProgressHUD::showAnimated(bool animated)
{
    if (!assertMainThread(__LINE__))
        return;
    invalidateTimers(m_minShowTimers);
    m_useAnimation = animated;
    m_finished = false;
    if (m_graceTime > 0.0)
        appendPending(m_graceTimers, scheduleTimer(m_graceTime, [this] { handleGraceTimer(); }));
    else
        showUsingAnimation(m_useAnimation);
}

void Fen_QorProgressHUD::hideAnimated(bool animated)
{
    if (!assertMainThread(__LINE__))
        return;
    invalidateTimers(m_graceTimers);
    m_useAnimation = animated;
    m_finished = true;
    if (m_minShowTime > 0.0 && m_showStarted.isValid()) {
        const double elapsed = double(m_showStarted.nsecsElapsed()) / 1e9;
        if (elapsed < m_minShowTime) {
            appendPending(m_minShowTimers,
                          scheduleTimer(m_minShowTime - elapsed, [this] { handleMinShowTimer(); }));
            return;
        }
    }
    hideUsingAnimation(m_useAnimation);
}

// Checked like show and hide: a timer cannot be made for this HUD on another thread.
void Fen_QorProgressHUD::hideAnimated(bool animated, double afterDelay)
{
    if (!assertMainThread(__LINE__))
        return;
    invalidateTimer(m_hideDelayTimer);
    m_hideDelayTimer = scheduleTimer(afterDelay, [this, animated] { handleHideTimer(animated); });
}

bool Fen_QorProgressHUD::assertMainThread(int line) const
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        return true;
    // A handler that returns lets the call go on; it still must not touch widgets off the main
    // thread, so the request is dropped.
    Fen_QorAssertionFailed("Fen_QorProgressHUD needs to be accessed on the main thread.", __FILE__,
                           line);
    return false;
}

QTimer *Fen_QorProgressHUD::scheduleTimer(double seconds, std::function<void()> handler)
{
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [timer, handler = std::move(handler)] {
        timer->deleteLater();
        handler();
    });
    const double milliseconds = qBound(0.0, seconds * 1000.0, double(INT_MAX));
    timer->start(qRound(milliseconds));
    return timer;
}

// A deleted-later timer could still fire before it is gone: it is stopped first.
void Fen_QorProgressHUD::invalidateTimer(QPointer<QTimer> &timer)
{
    if (timer) {
        timer->stop();
        timer->deleteLater();
    }
    timer = nullptr;
}

void Fen_QorProgressHUD::invalidateTimers(QList<QPointer<QTimer>> &timers)
{
    for (QPointer<QTimer> &timer : timers)
        invalidateTimer(timer);
    timers.clear();
}

void Fen_QorProgressHUD::appendPending(QList<QPointer<QTimer>> &timers, QTimer *timer)
{
    timers.removeAll(QPointer<QTimer>()); // those that fired and are gone
    timers.append(timer);
}

void Fen_QorProgressHUD::handleGraceTimer()
{
    if (!m_finished)
        showUsingAnimation(m_useAnimation);
}

void Fen_QorProgressHUD::handleMinShowTimer()
{
    hideUsingAnimation(m_useAnimation);
}

void Fen_QorProgressHUD::handleHideTimer(bool animated)
{
    hideAnimated(animated);
}

void Fen_QorProgressHUD::showUsingAnimation(bool animated)
{
    // Ending a hide animation runs its completion (done) right here, before the rest of the
    // show step, so that progress tracking started below stays on.
    const QPointer<Fen_QorProgressHUD> self(this);
    removeAllAnimations();
    if (!self)
        return;
    invalidateTimer(m_hideDelayTimer);
    m_showStarted.start();
    setAlpha(1.0);
    setNSProgressDisplayLinkEnabled(true);
    updateBezelMotionEffects();
    if (animated)
        animateIn(true, m_animationType, {});
    else
        setContentAlphas(1.0, 1.0);
}

void Fen_QorProgressHUD::hideUsingAnimation(bool animated)
{
    invalidateTimer(m_hideDelayTimer);
    if (animated && m_showStarted.isValid()) {
        m_showStarted.invalidate();
        animateIn(false, m_animationType, [this](bool) { done(); });
    } else {
        m_showStarted.invalidate();
        // The backdrop stays at 1: it disappears with the HUD, whose own alpha done() clears.
        setContentAlphas(0.0, 1.0);
        done();
    }
}

void Fen_QorProgressHUD::done()
{
    setNSProgressDisplayLinkEnabled(false);
    if (m_finished) {
        setAlpha(0.0);
        if (m_removeFromSuperViewOnHide) {
            setParent(nullptr);
            deleteLater();
        }
    }
    // The completion may delete the HUD, directly or with its host: the delegate is then not told.
    const QPointer<Fen_QorProgressHUD> self(this);
    if (const std::function<void()> completion = completionBlock())
        completion();
    if (self && m_delegate)
        m_delegate->hudWasHidden(this);
}

// Animation ---------------------------------------------------------------------------------

void Fen_QorProgressHUD::animateIn(bool animatingIn, Fen_QorProgressHUDAnimation type,
                                   std::function<void(bool)> completion)
{
    if (type == Fen_QorProgressHUDAnimationGrowShrink)
        type = animatingIn ? Fen_QorProgressHUDAnimationGrow : Fen_QorProgressHUDAnimationShrink;

    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezelView);
    if (animatingIn && bezel->alpha() == 0.0) {
        if (type == Fen_QorProgressHUDAnimationGrow)
            bezel->setScale(smallScale);
        else if (type == Fen_QorProgressHUDAnimationShrink)
            bezel->setScale(largeScale);
    }

    Pose to = currentPose();
    if (animatingIn)
        to.bezelScale = 1.0;
    else if (type == Fen_QorProgressHUDAnimationGrow)
        to.bezelScale = largeScale;
    else if (type == Fen_QorProgressHUDAnimationShrink)
        to.bezelScale = smallScale;
    to.bezelAlpha = animatingIn ? 1.0 : 0.0;
    to.backgroundAlpha = to.bezelAlpha;

    // Beginning from the current state: a running animation is superseded where it stands.
    if (m_animation) {
        std::unique_ptr<Animation> superseded = std::move(m_animation);
        superseded->driver->disconnect(this);
        superseded->driver->stop();
        superseded->driver->deleteLater();
        if (superseded->completion) {
            const QPointer<Fen_QorProgressHUD> self(this);
            superseded->completion(false);
            if (!self)
                return;
        }
    }

    auto *driver = new QVariantAnimation(this);
    driver->setStartValue(0.0);
    driver->setEndValue(1.0);
    driver->setDuration(animationDurationMs);
    driver->setEasingCurve(Fen_QorSpringEasing::curve());
    m_animation.reset(new Animation { driver, currentPose(), to, std::move(completion) });
    connect(driver, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const qreal t = value.toReal();
        const Pose &from = m_animation->from;
        const Pose &to = m_animation->to;
        applyPose({ from.bezelAlpha + (to.bezelAlpha - from.bezelAlpha) * t,
                    from.backgroundAlpha + (to.backgroundAlpha - from.backgroundAlpha) * t,
                    from.bezelScale + (to.bezelScale - from.bezelScale) * t });
    });
    connect(driver, &QVariantAnimation::finished, this, [this] { finishAnimation(true); });
    driver->start();
}

void Fen_QorProgressHUD::removeAllAnimations()
{
    if (m_animation)
        finishAnimation(false);
}

void Fen_QorProgressHUD::finishAnimation(bool finished)
{
    std::unique_ptr<Animation> ended = std::move(m_animation);
    ended->driver->disconnect(this);
    ended->driver->stop();
    ended->driver->deleteLater();
    applyPose(ended->to);
    if (ended->completion)
        ended->completion(finished);
}

Fen_QorProgressHUD::Pose Fen_QorProgressHUD::currentPose() const
{
    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezelView);
    return { bezel->alpha(), Fen_QorAlphaTransformEffect::of(m_backgroundView)->alpha(),
             bezel->scale() };
}

void Fen_QorProgressHUD::applyPose(const Pose &pose)
{
    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezelView);
    bezel->setAlpha(pose.bezelAlpha);
    bezel->setScale(pose.bezelScale);
    Fen_QorAlphaTransformEffect::of(m_backgroundView)->setAlpha(pose.backgroundAlpha);
}

void Fen_QorProgressHUD::setContentAlphas(qreal bezelAlpha, qreal backgroundAlpha)
{
    Fen_QorAlphaTransformEffect::of(m_bezelView)->setAlpha(bezelAlpha);
    Fen_QorAlphaTransformEffect::of(m_backgroundView)->setAlpha(backgroundAlpha);
    // A value set directly is where a running animation ends, not what it was heading for.
    if (m_animation) {
        m_animation->to.bezelAlpha = bezelAlpha;
        m_animation->to.backgroundAlpha = backgroundAlpha;
    }
}

qreal Fen_QorProgressHUD::alpha() const
{
    return m_alpha;
}

void Fen_QorProgressHUD::setAlpha(qreal alpha)
{
    m_alpha = alpha;
    applyOwnAlpha();
}

// The HUD's own alpha is painted through its two children (backdrop and bezel), which hold
// all of its content: an effect on the HUD itself would nest with theirs.
void Fen_QorProgressHUD::applyOwnAlpha()
{
    Fen_QorAlphaTransformEffect::of(m_backgroundView)->setOuterAlpha(m_alpha);
    Fen_QorAlphaTransformEffect::of(m_bezelView)->setOuterAlpha(m_alpha);
    // A transparent view takes no touches; below 0.01 counts as transparent. Nor does it ask
    // for repaints: a spinner ticking in an invisible HUD would repaint its host for nothing.
    const bool transparent = m_alpha < 0.01;
    setAttribute(Qt::WA_TransparentForMouseEvents, !m_userInteractionEnabled || transparent);
    setUpdatesEnabled(!transparent);
}

void Fen_QorProgressHUD::setUserInteractionEnabled(bool enabled)
{
    m_userInteractionEnabled = enabled;
    applyOwnAlpha();
}

// Properties --------------------------------------------------------------------------------

void Fen_QorProgressHUD::setDelegate(Fen_QorProgressHUDDelegate *delegate)
{
    if (delegate == m_delegate)
        return;
    if (m_delegate)
        m_delegate->m_huds.removeAll(QPointer<Fen_QorProgressHUD>(this));
    m_delegate = delegate;
    if (m_delegate) {
        m_delegate->m_huds.removeAll(QPointer<Fen_QorProgressHUD>());
        m_delegate->m_huds.append(this);
    }
}

std::function<void()> Fen_QorProgressHUD::completionBlock() const
{
    std::lock_guard<std::mutex> lock(m_completionMutex);
    return m_completionBlock;
}

void Fen_QorProgressHUD::setCompletionBlock(std::function<void()> completionBlock)
{
    std::lock_guard<std::mutex> lock(m_completionMutex);
    m_completionBlock = std::move(completionBlock);
}

void Fen_QorProgressHUD::setOffset(const QPointF &offset)
{
    // Exact comparison on purpose: QPointF's == is fuzzy.
    if (offset.x() == m_offset.x() && offset.y() == m_offset.y())
        return;
    m_offset = offset;
    setNeedsUpdateConstraints();
}

void Fen_QorProgressHUD::setMargin(double margin)
{
    if (margin == m_margin)
        return;
    m_margin = margin;
    setNeedsUpdateConstraints();
}

void Fen_QorProgressHUD::setMinSize(const QSizeF &minSize)
{
    if (minSize.width() == m_minSize.width() && minSize.height() == m_minSize.height())
        return;
    m_minSize = minSize;
    setNeedsUpdateConstraints();
}

void Fen_QorProgressHUD::setSquare(bool square)
{
    if (square == m_square)
        return;
    m_square = square;
    setNeedsUpdateConstraints();
}

void Fen_QorProgressHUD::setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject)
{
    if (progressObject == m_progressObject)
        return;
    m_progressObject = std::move(progressObject);
    setNSProgressDisplayLinkEnabled(true);
}

// Progress tracking -------------------------------------------------------------------------

void Fen_QorProgressHUD::setNSProgressDisplayLinkEnabled(bool enabled)
{
    if (!enabled || !m_progressObject) {
        setProgressObjectDisplayLink(nullptr);
        return;
    }
    if (m_progressObjectDisplayLink)
        return;
    auto *displayLink = new QTimer(this);
    displayLink->setTimerType(Qt::PreciseTimer);
    const QScreen *hudScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    const qreal rate = hudScreen && hudScreen->refreshRate() > 0.0 ? hudScreen->refreshRate()
                                                                   : fallbackRefreshRate;
    displayLink->setInterval(qMax(1, qRound(1000.0 / rate)));
    connect(displayLink, &QTimer::timeout, this,
            &Fen_QorProgressHUD::updateProgressFromProgressObject);
    setProgressObjectDisplayLink(displayLink);
}

void Fen_QorProgressHUD::setProgressObjectDisplayLink(QTimer *displayLink)
{
    if (displayLink == m_progressObjectDisplayLink)
        return;
    if (m_progressObjectDisplayLink) {
        m_progressObjectDisplayLink->stop();
        m_progressObjectDisplayLink->deleteLater();
    }
    m_progressObjectDisplayLink = displayLink;
    if (displayLink)
        displayLink->start();
}

void Fen_QorProgressHUD::updateProgressFromProgressObject()
{
    if (m_progressObject)
        setProgress(float(m_progressObject->fractionCompleted()));
}

// Host, orientation and layout --------------------------------------------------------------

void Fen_QorProgressHUD::registerForNotifications()
{
    const auto watch = [this](QScreen *watched) {
        connect(watched, &QScreen::orientationChanged, this,
                &Fen_QorProgressHUD::statusBarOrientationDidChange);
    };
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *each : screens)
        watch(each);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, watch);
}

void Fen_QorProgressHUD::statusBarOrientationDidChange()
{
    if (parentWidget())
        updateForCurrentOrientationAnimated(true);
}

// The flag is not used: the HUD takes its host's bounds at once in either case.
void Fen_QorProgressHUD::updateForCurrentOrientationAnimated(bool)
{
    if (QWidget *host = parentWidget())
        setGeometry(host->rect());
}

void Fen_QorProgressHUD::didMoveToSuperview()
{
    if (m_host)
        m_host->removeEventFilter(this);
    m_host = parentWidget();
    if (m_host)
        m_host->installEventFilter(this);
    updateForCurrentOrientationAnimated(false);
}

bool Fen_QorProgressHUD::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        didMoveToSuperview();
        break;
    case QEvent::LayoutRequest:
        m_layoutRequestPosted = false;
        layoutSubviews();
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

bool Fen_QorProgressHUD::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && event->type() == QEvent::Resize)
        updateForCurrentOrientationAnimated(false);
    else if (watched == m_bezelView && event->type() == QEvent::LayoutRequest)
        requestLayout(); // an item's size changed (new text, say): the gaps and frames follow
    return QWidget::eventFilter(watched, event);
}

void Fen_QorProgressHUD::resizeEvent(QResizeEvent *event)
{
    m_backgroundView->setGeometry(rect());
    requestLayout();
    QWidget::resizeEvent(event);
}

void Fen_QorProgressHUD::showEvent(QShowEvent *event)
{
    requestLayout();
    QWidget::showEvent(event);
}

void Fen_QorProgressHUD::requestLayout()
{
    if (m_layoutRequestPosted)
        return;
    m_layoutRequestPosted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

void Fen_QorProgressHUD::setNeedsUpdateConstraints()
{
    m_needsUpdateConstraints = true;
    requestLayout();
}

void Fen_QorProgressHUD::updateConstraints()
{
    const Fen_QorProgressHUDLayout::Views views { this,           m_bezelView, m_topSpacer,
                                                  m_bottomSpacer, m_indicator, m_label,
                                                  m_detailsLabel, m_button };
    const Fen_QorProgressHUDLayout::Metrics metrics { m_margin, m_offset, m_minSize, m_square };
    m_layout->updateConstraints(views, metrics);
    m_needsUpdateConstraints = false;
}

void Fen_QorProgressHUD::updatePaddingConstraints()
{
    m_layout->updatePaddingConstraints();
}

void Fen_QorProgressHUD::layoutSubviews()
{
    // The constraint update pass always runs before the layout that follows the marking.
    if (m_needsUpdateConstraints)
        updateConstraints();
    m_layout->layoutSubviews(m_needsUpdateConstraints);
}

void Fen_QorProgressHUD::applyPriority(float priority,
                                       const QList<Fen_QorLayoutConstraint *> &constraints)
{
    Fen_QorProgressHUDLayout::applyPriority(priority, constraints);
}

QList<Fen_QorLayoutConstraint *> Fen_QorProgressHUD::bezelConstraints() const
{
    return m_layout->bezelConstraints();
}

QList<Fen_QorLayoutConstraint *> Fen_QorProgressHUD::paddingConstraints() const
{
    return m_layout->paddingConstraints();
}

// Content -----------------------------------------------------------------------------------

void Fen_QorProgressHUD::setupViews()
{
    const QColor color = m_contentColor;

    m_backgroundView = new Fen_QorBackgroundView(rect(), this);
    m_backgroundView->setStyle(Fen_QorProgressHUDBackgroundStyleSolidColor);
    m_backgroundView->setBackgroundColor(Qt::transparent);
    Fen_QorAlphaTransformEffect::of(m_backgroundView)->setAlpha(0.0);

    m_bezelView = new Fen_QorBackgroundView(this);
    m_bezelView->setCornerRadius(5.0);
    Fen_QorAlphaTransformEffect::of(m_bezelView)->setAlpha(0.0);
    m_bezelView->installEventFilter(this);

    m_label = new Fen_QorLabel;
    m_label->setAlignment(Qt::AlignCenter);
    setTextColor(m_label, color);
    m_label->setFont(boldSystemFont(16.0));
    m_label->setAutoFillBackground(false);

    m_detailsLabel = new Fen_QorLabel;
    m_detailsLabel->setAlignment(Qt::AlignCenter);
    setTextColor(m_detailsLabel, color);
    m_detailsLabel->setWordWrap(true);
    m_detailsLabel->setFont(boldSystemFont(12.0));
    m_detailsLabel->setAutoFillBackground(false);

    m_button = new Fen_QorProgressHUDRoundedButton;
    m_button->setFont(boldSystemFont(12.0));
    m_button->setTitleColor(color, Fen_QorProgressHUDRoundedButton::StateNormal);

    for (QWidget *item : { static_cast<QWidget *>(m_label), static_cast<QWidget *>(m_detailsLabel),
                           static_cast<QWidget *>(m_button) }) {
        setCompressionResistance(item);
        addSubview(m_bezelView, item);
    }

    m_topSpacer = new QWidget(m_bezelView);
    m_topSpacer->setHidden(true);
    m_bottomSpacer = new QWidget(m_bezelView);
    m_bottomSpacer->setHidden(true);
}

void Fen_QorProgressHUD::updateIndicators()
{
    QWidget *current = m_indicator;
    const bool isSpinner = qobject_cast<Fen_QorActivityIndicatorView *>(current);
    auto *roundView = qobject_cast<Fen_QorRoundProgressView *>(current);

    switch (m_mode) {
    case Fen_QorProgressHUDModeSpinner:
        if (!isSpinner) {
            dropIndicator();
            auto *spinner = new Fen_QorActivityIndicatorView;
            Fen_QorProgressHUDAppearance::applyTo(spinner);
            spinner->startAnimating();
            addSubview(m_bezelView, spinner);
            current = spinner;
        }
        break;
    case Fen_QorProgressHUDModeBarProgress: {
        dropIndicator();
        auto *bar = new Fen_QorBarProgressView;
        Fen_QorProgressHUDAppearance::applyTo(bar);
        addSubview(m_bezelView, bar);
        current = bar;
        break;
    }
    case Fen_QorProgressHUDModeRoundProgress:
    case Fen_QorProgressHUDModeAnnularProgress: {
        if (!roundView) {
            dropIndicator();
            roundView = new Fen_QorRoundProgressView;
            Fen_QorProgressHUDAppearance::applyTo(roundView);
            addSubview(m_bezelView, roundView);
            current = roundView;
        }
        // Each mode shows its own form, also on a round view reused from the other mode (a ring
        // left in place would show the wrong form in the round mode). The view stores the flag
        // without a repaint, so it is asked for one when the form changes.
        const bool annular = m_mode == Fen_QorProgressHUDModeAnnularProgress;
        if (roundView->isAnnular() != annular) {
            roundView->setAnnular(annular);
            roundView->update();
        }
        break;
    }
    case Fen_QorProgressHUDModeCustomView:
        if (m_customView != current) {
            dropIndicator();
            current = m_customView;
            if (current)
                addSubview(m_bezelView, current);
        }
        break;
    case Fen_QorProgressHUDModeText:
        dropIndicator();
        current = nullptr;
        break;
    default:
        break;
    }

    m_indicator = current;
    if (current) {
        forwardProgress(current);
        setCompressionResistance(current);
    }
    updateViewsForColor(m_contentColor);
    setNeedsUpdateConstraints();
}

// Takes the indicator out of the bezel. The HUD's own indicators are deleted; the custom view
// stays with the HUD, parentless, until it is shown again or replaced.
void Fen_QorProgressHUD::dropIndicator()
{
    QWidget *indicator = m_indicator;
    m_indicator = nullptr;
    if (!indicator)
        return;
    indicator->setParent(nullptr);
    if (indicator != m_customView)
        indicator->deleteLater();
}

void Fen_QorProgressHUD::setMode(Fen_QorProgressHUDMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    updateIndicators();
}

void Fen_QorProgressHUD::setCustomView(QWidget *customView)
{
    if (customView == m_customView)
        return;
    const QPointer<QWidget> replaced = m_customView;
    m_customView = customView;
    if (m_mode == Fen_QorProgressHUDModeCustomView)
        updateIndicators();
    // The replaced view belonged to the HUD if it sits in no one else's tree.
    if (replaced && (!replaced->parent() || replaced->parent() == m_bezelView)) {
        replaced->setParent(nullptr);
        replaced->deleteLater();
    }
}

void Fen_QorProgressHUD::setContentColor(const QColor &contentColor)
{
    if (contentColor == m_contentColor)
        return;
    m_contentColor = contentColor;
    updateViewsForColor(contentColor);
}

void Fen_QorProgressHUD::setProgress(float progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    if (m_indicator)
        forwardProgress(m_indicator);
}

// The progress reaches any indicator with a writable "progress" property, a custom view's too.
void Fen_QorProgressHUD::forwardProgress(QWidget *view) const
{
    const QMetaObject *meta = view->metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty("progress"));
    if (property.isValid() && property.isWritable())
        property.write(view, QVariant::fromValue(m_progress));
}

void Fen_QorProgressHUD::updateViewsForColor(const QColor &color)
{
    if (!color.isValid())
        return;
    setTextColor(m_label, color);
    setTextColor(m_detailsLabel, color);
    m_button->setTitleColor(color, Fen_QorProgressHUDRoundedButton::StateNormal);

    // An attribute the application set for an indicator class inside HUDs wins over the
    // content colour, attribute by attribute.
    if (auto *spinner = qobject_cast<Fen_QorActivityIndicatorView *>(m_indicator)) {
        if (!hasAppearanceColor(Fen_QorActivityIndicatorView::staticMetaObject, "color"))
            spinner->setColor(color);
    } else if (auto *round = qobject_cast<Fen_QorRoundProgressView *>(m_indicator)) {
        const QMetaObject &meta = Fen_QorRoundProgressView::staticMetaObject;
        if (!hasAppearanceColor(meta, "progressTintColor"))
            round->setProgressTintColor(color);
        if (!hasAppearanceColor(meta, "backgroundTintColor"))
            round->setBackgroundTintColor(withAlpha(color, 0.1f));
    } else if (auto *bar = qobject_cast<Fen_QorBarProgressView *>(m_indicator)) {
        const QMetaObject &meta = Fen_QorBarProgressView::staticMetaObject;
        if (!hasAppearanceColor(meta, "progressColor"))
            bar->setProgressColor(color);
        if (!hasAppearanceColor(meta, "lineColor"))
            bar->setLineColor(color);
    } else if (m_indicator) {
        setTintColor(m_indicator, color);
    }
}

void Fen_QorProgressHUD::setDefaultMotionEffectsEnabled(bool enabled)
{
    if (enabled == m_defaultMotionEffectsEnabled)
        return;
    m_defaultMotionEffectsEnabled = enabled;
    updateBezelMotionEffects();
}

// Installs the tilt group while the property is on and removes it while it is off. An update
// with the property on and a group in place keeps that group: every show step runs this update,
// and the tilt is meant to stay as long as the property says so.
void Fen_QorProgressHUD::updateBezelMotionEffects()
{
    if (m_defaultMotionEffectsEnabled && !m_bezelMotionEffects) {
        Fen_QorInterpolatingMotionEffect effectX(
            QStringLiteral("center.x"), Fen_QorInterpolatingMotionEffect::TiltAlongHorizontalAxis);
        effectX.setMaximumRelativeValue(tiltRange);
        effectX.setMinimumRelativeValue(-tiltRange);
        Fen_QorInterpolatingMotionEffect effectY(
            QStringLiteral("center.y"), Fen_QorInterpolatingMotionEffect::TiltAlongVerticalAxis);
        effectY.setMaximumRelativeValue(tiltRange);
        effectY.setMinimumRelativeValue(-tiltRange);
        auto *group = new Fen_QorMotionEffectGroup;
        group->setMotionEffects({ effectX, effectY });
        m_bezelMotionEffects = group;
        group->addToView(m_bezelView);
    } else if (!m_defaultMotionEffectsEnabled && m_bezelMotionEffects) {
        Fen_QorMotionEffectGroup *group = m_bezelMotionEffects;
        m_bezelMotionEffects = nullptr;
        group->removeFromView();
        delete group;
    }
}
