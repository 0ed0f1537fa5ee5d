#include "Fen_QorProgressHUD.h"

#include "Fen_QorAssert.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressSampler.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QThread>

namespace {

// Asserts that the host view is given; its bounds are the new HUD's frame.
QRect boundsOfHost(const QWidget *view)
{
    FEN_QOR_ASSERT(view, "View must not be nil.");
    return view ? view->rect() : QRect();
}

// A handler that returns lets the call go on; it still must not touch widgets off the main
// thread, so the caller drops the request.
bool assertMainThread(int line)
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        return true;
    Fen_QorAssertionFailed("Fen_QorProgressHUD needs to be accessed on the main thread.", __FILE__,
                           line);
    return false;
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

Fen_QorProgressHUD::Fen_QorProgressHUD(QWidget *view) : Fen_QorProgressHUD(boundsOfHost(view)) { }

// Set up parentless and added afterwards: a parent given to QWidget's constructor would be
// adopted before this class can notice it, and the HUD would not follow its host.
Fen_QorProgressHUD::Fen_QorProgressHUD(const QRect &frame, QWidget *parent)
    : QWidget(nullptr), d(std::make_unique<Fen_QorProgressHUDPrivate>(this, frame))
{
    d->commonInit(frame);
    if (parent)
        setParent(parent);
}

// Every show is answered: a HUD destroyed before its hide was told (or in the middle of the
// telling) tells now. The custom view goes back to its owner before the bezel takes its
// children down; the running animation and the timers go down with the HUD.
Fen_QorProgressHUD::~Fen_QorProgressHUD()
{
    if (d->nextNotice != Fen_QorProgressHUDPrivate::Notice::None)
        d->tellRestOfHidden();
    else if (d->visibility.isBusy())
        d->tellHidden();
    d->views.releaseCustomView();
}

void Fen_QorProgressHUD::showKitHUD(Fen_QorProgressHUD *hud, QWidget *view, bool animated)
{
    hud->d->setOwnedByKit();
    hud->setRemoveFromSuperViewOnHide(true);
    hud->setParent(view);
    hud->raise();
    hud->show();
    hud->showAnimated(animated);
}

// Showing and hiding ------------------------------------------------------------------------

void Fen_QorProgressHUD::showAnimated(bool animated)
{
    if (assertMainThread(__LINE__))
        d->visibility.requestShow(animated);
}

void Fen_QorProgressHUD::hideAnimated(bool animated)
{
    if (assertMainThread(__LINE__))
        d->visibility.requestHide(animated);
}

// Checked like show and hide: a timer cannot be made for this HUD on another thread.
void Fen_QorProgressHUD::hideAnimated(bool animated, double afterDelay)
{
    if (assertMainThread(__LINE__))
        d->visibility.requestHideAfterDelay(animated, afterDelay);
}

bool Fen_QorProgressHUD::hasFinished() const
{
    return d->visibility.hasFinished();
}

qreal Fen_QorProgressHUD::alpha() const
{
    return d->alpha;
}

// Notices -----------------------------------------------------------------------------------

Fen_QorProgressHUDDelegate *Fen_QorProgressHUD::delegate() const
{
    return d->delegate;
}

void Fen_QorProgressHUD::setDelegate(Fen_QorProgressHUDDelegate *delegate)
{
    if (delegate == d->delegate)
        return;
    if (d->delegate)
        d->delegate->m_huds.removeAll(QPointer<Fen_QorProgressHUD>(this));
    d->delegate = delegate;
    if (delegate) {
        delegate->m_huds.removeAll(QPointer<Fen_QorProgressHUD>());
        delegate->m_huds.append(this);
    }
}

std::function<void()> Fen_QorProgressHUD::completionBlock() const
{
    std::lock_guard<std::mutex> lock(d->completionMutex);
    return d->completionBlock;
}

void Fen_QorProgressHUD::setCompletionBlock(std::function<void()> completionBlock)
{
    std::lock_guard<std::mutex> lock(d->completionMutex);
    d->completionBlock = std::move(completionBlock);
}

// Timing and lifetime -----------------------------------------------------------------------

double Fen_QorProgressHUD::graceTime() const
{
    return d->visibility.graceTime();
}

void Fen_QorProgressHUD::setGraceTime(double graceTime)
{
    d->visibility.setGraceTime(graceTime);
}

double Fen_QorProgressHUD::minShowTime() const
{
    return d->visibility.minShowTime();
}

void Fen_QorProgressHUD::setMinShowTime(double minShowTime)
{
    d->visibility.setMinShowTime(minShowTime);
}

bool Fen_QorProgressHUD::removeFromSuperViewOnHide() const
{
    return d->removeFromSuperViewOnHide;
}

void Fen_QorProgressHUD::setRemoveFromSuperViewOnHide(bool remove)
{
    d->removeFromSuperViewOnHide = remove;
}

Fen_QorProgressHUDAnimation Fen_QorProgressHUD::animationType() const
{
    return d->animationType;
}

void Fen_QorProgressHUD::setAnimationType(Fen_QorProgressHUDAnimation type)
{
    d->animationType = type;
}

// Content -----------------------------------------------------------------------------------

Fen_QorProgressHUDMode Fen_QorProgressHUD::mode() const
{
    return d->mode;
}

void Fen_QorProgressHUD::setMode(Fen_QorProgressHUDMode mode)
{
    if (mode == d->mode)
        return;
    d->mode = mode;
    d->updateIndicators();
}

QWidget *Fen_QorProgressHUD::customView() const
{
    return d->views.customView();
}

void Fen_QorProgressHUD::setCustomView(QWidget *customView)
{
    if (customView == d->views.customView())
        return;
    d->views.setCustomView(customView);
    if (d->mode == Fen_QorProgressHUDModeCustomView)
        d->updateIndicators();
}

QColor Fen_QorProgressHUD::contentColor() const
{
    return d->contentColor;
}

void Fen_QorProgressHUD::setContentColor(const QColor &contentColor)
{
    if (contentColor == d->contentColor)
        return;
    d->contentColor = contentColor;
    d->views.applyColor(contentColor);
}

float Fen_QorProgressHUD::progress() const
{
    return d->progress;
}

void Fen_QorProgressHUD::setProgress(float progress)
{
    if (progress == d->progress)
        return;
    d->progress = progress;
    d->views.forwardProgress(progress);
}

std::shared_ptr<Fen_QorProgress> Fen_QorProgressHUD::progressObject() const
{
    return d->sampler->progressObject();
}

// Sampling starts at once, whether the HUD shows or not, and stops at the end of a hide.
void Fen_QorProgressHUD::setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject)
{
    d->sampler->setProgressObject(std::move(progressObject));
}

bool Fen_QorProgressHUD::areDefaultMotionEffectsEnabled() const
{
    return d->defaultMotionEffectsEnabled;
}

void Fen_QorProgressHUD::setDefaultMotionEffectsEnabled(bool enabled)
{
    if (enabled == d->defaultMotionEffectsEnabled)
        return;
    d->defaultMotionEffectsEnabled = enabled;
    d->views.updateMotionEffects(enabled);
}

Fen_QorBackgroundView *Fen_QorProgressHUD::bezelView() const
{
    return d->views.bezelView();
}

Fen_QorBackgroundView *Fen_QorProgressHUD::backgroundView() const
{
    return d->views.backgroundView();
}

Fen_QorLabel *Fen_QorProgressHUD::label() const
{
    return d->views.label();
}

Fen_QorLabel *Fen_QorProgressHUD::detailsLabel() const
{
    return d->views.detailsLabel();
}

Fen_QorProgressHUDRoundedButton *Fen_QorProgressHUD::button() const
{
    return d->views.button();
}

bool Fen_QorProgressHUD::isUserInteractionEnabled() const
{
    return d->userInteractionEnabled;
}

void Fen_QorProgressHUD::setUserInteractionEnabled(bool enabled)
{
    d->userInteractionEnabled = enabled;
    d->applyOwnAlpha();
}

void Fen_QorProgressHUD::announce()
{
    const QString title = label()->text();
    const QString details = detailsLabel()->text();
    setAccessibleName(title.isEmpty() ? details : title);
    setAccessibleDescription(title.isEmpty() ? QString() : details);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// Layout ------------------------------------------------------------------------------------

QPointF Fen_QorProgressHUD::offset() const
{
    return d->offset;
}

void Fen_QorProgressHUD::setOffset(const QPointF &offset)
{
    // Exact comparison on purpose: QPointF's == is fuzzy.
    if (offset.x() == d->offset.x() && offset.y() == d->offset.y())
        return;
    d->offset = offset;
    setNeedsUpdateConstraints();
}

double Fen_QorProgressHUD::margin() const
{
    return d->margin;
}

void Fen_QorProgressHUD::setMargin(double margin)
{
    if (margin == d->margin)
        return;
    d->margin = margin;
    setNeedsUpdateConstraints();
}

QSizeF Fen_QorProgressHUD::minSize() const
{
    return d->minSize;
}

void Fen_QorProgressHUD::setMinSize(const QSizeF &minSize)
{
    if (minSize.width() == d->minSize.width() && minSize.height() == d->minSize.height())
        return;
    d->minSize = minSize;
    setNeedsUpdateConstraints();
}

bool Fen_QorProgressHUD::isSquare() const
{
    return d->square;
}

void Fen_QorProgressHUD::setSquare(bool square)
{
    if (square == d->square)
        return;
    d->square = square;
    setNeedsUpdateConstraints();
}

void Fen_QorProgressHUD::setNeedsUpdateConstraints()
{
    d->needsUpdateConstraints = true;
    d->requestLayout();
}

bool Fen_QorProgressHUD::needsUpdateConstraints() const
{
    return d->needsUpdateConstraints;
}

void Fen_QorProgressHUD::updateConstraints()
{
    d->layout.updateConstraints(d->layoutViews(), { d->margin, d->offset, d->minSize, d->square });
    d->needsUpdateConstraints = false;
}

void Fen_QorProgressHUD::layoutSubviews()
{
    // The constraint update pass always runs before the layout that follows the marking.
    if (d->needsUpdateConstraints)
        updateConstraints();
    d->layout.layoutSubviews(d->needsUpdateConstraints);
}

// Events ------------------------------------------------------------------------------------

bool Fen_QorProgressHUD::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        d->didMoveToSuperview();
        break;
    case QEvent::LayoutRequest:
        d->layoutRequestPosted = false;
        layoutSubviews();
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

bool Fen_QorProgressHUD::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->host && event->type() == QEvent::Resize)
        d->updateForCurrentOrientationAnimated(false);
    else if (watched == d->views.bezelView() && event->type() == QEvent::LayoutRequest)
        d->requestLayout(); // an item's size changed (new text, say): the gaps and frames follow
    return QWidget::eventFilter(watched, event);
}

void Fen_QorProgressHUD::resizeEvent(QResizeEvent *event)
{
    d->views.backgroundView()->setGeometry(rect());
    d->requestLayout();
    QWidget::resizeEvent(event);
}

void Fen_QorProgressHUD::showEvent(QShowEvent *event)
{
    d->requestLayout();
    QWidget::showEvent(event);
}
