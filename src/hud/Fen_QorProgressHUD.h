#pragma once

#include "Fen_QorEnums.h"
#include "Fen_QorLabel.h"
#include "Fen_QorMotionEffectGroup.h"
#include "Fen_QorProgressHUDDelegate.h"

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <mutex>

class Fen_QorBackgroundView;
class Fen_QorLayoutConstraint;
class Fen_QorProgress;
class Fen_QorProgressHUDLayout;
class Fen_QorProgressHUDRoundedButton;
class QVariantAnimation;

/*!
 * \brief A heads-up display: a veil over its host widget with a rounded panel (the bezel) in
 * the middle holding an indicator, a title, details and a button.
 *
 * The HUD covers its host and follows the host's size. It starts invisible (alpha 0) and shows
 * and hides with a 0.3 s spring animation, with an optional grace time before it appears, a
 * minimum display time and a delayed hide. At the end of every hide the completion callback and
 * then the delegate are told.
 *
 * Adding: the host-view constructor does not add the HUD to its host; add it like any child
 * widget (setParent(host), raise(), show()) or use showHUDAddedTo(). Lifetime: the host owns the
 * HUD. With removeFromSuperViewOnHide set, a finished hide takes the HUD off its host and deletes
 * it (deleteLater()), like any child its host released: such a HUD must live on the heap, and a
 * caller that keeps a pointer to it should hold a QPointer. hideHUDForView() and the shortcuts
 * set the flag on any HUD they hide, one the caller created included.
 *
 * Destroying a HUD drops its pending notices: a HUD deleted while it waits or animates out never
 * calls its completion or its delegate. The completion may delete the HUD (or its host); the
 * delegate is then not told.
 *
 * Alpha and scale are paint-time state (Fen_QorAlphaTransformEffect on the bezel and the
 * backdrop, which also paint the HUD's own alpha); alpha() reads the HUD's own. While the HUD's
 * alpha is 0 it neither paints, nor asks for repaints, nor takes mouse events.
 *
 * Everything here is main-thread only; show and hide requests (delayed hides included) from
 * another thread are assertion failures and change nothing. The exception is the progress object: a
 * Fen_QorProgress may be updated from any thread, and the HUD samples it once per screen refresh
 * while it tracks it.
 *
 * Class-level look-ups take the HUD class to find as a template argument, so that
 * Fen_QorProgressHUD::HUDForView<MyHUD>(view) finds only MyHUD instances (and classes derived
 * from it); without it every HUD counts.
 */
class Fen_QorProgressHUD : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float progress READ progress WRITE setProgress)

public:
    /*! A HUD for \a view, with the view's bounds, not yet added to it. \a view must not be null
     * (assertion "View must not be nil."). */
    explicit Fen_QorProgressHUD(QWidget *view);
    /*! A HUD with the geometry \a frame. With a \a parent it is added to it at once (still
     * hidden, see QWidget::setParent()) and, like any HUD on a host, takes and follows the
     * host's bounds instead. */
    explicit Fen_QorProgressHUD(const QRect &frame, QWidget *parent = nullptr);
    ~Fen_QorProgressHUD() override;

    /*! Creates a HUD of class \a HUD for \a view, sets removeFromSuperViewOnHide, adds it as
     * \a view's topmost child and shows it. */
    template<typename HUD = Fen_QorProgressHUD>
    static HUD *showHUDAddedTo(QWidget *view, bool animated);
    /*! Hides the topmost unfinished HUD of class \a HUD on \a view; false when there is none.
     * It sets removeFromSuperViewOnHide on that HUD, whoever created it: once hidden the HUD is
     * deleted (deleteLater()). Hold a QPointer to any HUD you keep a pointer to. */
    template<typename HUD = Fen_QorProgressHUD>
    static bool hideHUDForView(QWidget *view, bool animated);
    /*! The topmost child of \a view that is a \a HUD and not hiding or hidden, or nullptr.
     * The result is a plain pointer to a heap object that a hide may delete (see
     * removeFromSuperViewOnHide()): keep it in a QPointer if it outlives the current call. */
    template<typename HUD = Fen_QorProgressHUD>
    static HUD *HUDForView(QWidget *view);

    void showAnimated(bool animated);
    void hideAnimated(bool animated);
    /*! Hides after \a afterDelay seconds; a later call replaces the pending one. */
    void hideAnimated(bool animated, double afterDelay);

    /*! Held weakly (see Fen_QorProgressHUDDelegate). */
    Fen_QorProgressHUDDelegate *delegate() const { return m_delegate; }
    void setDelegate(Fen_QorProgressHUDDelegate *delegate);

    /*! Called once at the end of every hide, before the delegate. Reads and writes are atomic. */
    std::function<void()> completionBlock() const;
    void setCompletionBlock(std::function<void()> completionBlock);

    double graceTime() const { return m_graceTime; }
    void setGraceTime(double graceTime) { m_graceTime = graceTime; }
    double minShowTime() const { return m_minShowTime; }
    void setMinShowTime(double minShowTime) { m_minShowTime = minShowTime; }
    /*! While set, the end of a hide takes the HUD off its host and deletes it (deleteLater()):
     * the HUD must then be a heap object, and pointers to it should be QPointers. */
    bool removeFromSuperViewOnHide() const { return m_removeFromSuperViewOnHide; }
    void setRemoveFromSuperViewOnHide(bool remove) { m_removeFromSuperViewOnHide = remove; }

    Fen_QorProgressHUDMode mode() const { return m_mode; }
    void setMode(Fen_QorProgressHUDMode mode);
    /*! Black at alpha 0.7 by default; an invalid colour is stored but recolours nothing. */
    QColor contentColor() const { return m_contentColor; }
    void setContentColor(const QColor &contentColor);
    Fen_QorProgressHUDAnimation animationType() const { return m_animationType; }
    void setAnimationType(Fen_QorProgressHUDAnimation type) { m_animationType = type; }

    QPointF offset() const { return m_offset; }
    void setOffset(const QPointF &offset);
    double margin() const { return m_margin; }
    void setMargin(double margin);
    QSizeF minSize() const { return m_minSize; }
    void setMinSize(const QSizeF &minSize);
    bool isSquare() const { return m_square; }
    void setSquare(bool square);

    bool areDefaultMotionEffectsEnabled() const { return m_defaultMotionEffectsEnabled; }
    void setDefaultMotionEffectsEnabled(bool enabled);

    float progress() const { return m_progress; }
    void setProgress(float progress);
    std::shared_ptr<Fen_QorProgress> progressObject() const { return m_progressObject; }
    void setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject);

    Fen_QorBackgroundView *bezelView() const { return m_bezelView; }
    Fen_QorBackgroundView *backgroundView() const { return m_backgroundView; }
    /*! The HUD takes ownership of \a customView; a replaced custom view is deleted. */
    QWidget *customView() const { return m_customView; }
    void setCustomView(QWidget *customView);
    /*! The title: one line per explicit line break, elided where the bezel is too narrow. */
    Fen_QorLabel *label() const { return m_label; }
    /*! The details: wrapped at word boundaries, and inside a word too wide for the bezel. */
    Fen_QorLabel *detailsLabel() const { return m_detailsLabel; }
    Fen_QorProgressHUDRoundedButton *button() const { return m_button; }

    /*! While enabled (the default) the HUD takes the mouse over its host; when disabled mouse
     * events pass through to the widgets below. */
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled);

    /*! The HUD's own alpha: 0 while hidden, 1 from the show step until the hide is done. */
    qreal alpha() const;
    /*! Set by every hide request, cleared by every show request. */
    bool hasFinished() const { return m_finished; }

    /*! The indicator currently in the bezel, or nullptr. */
    QWidget *indicator() const { return m_indicator; }
    /*! The tilt group installed on the bezel, or nullptr. */
    Fen_QorMotionEffectGroup *bezelMotionEffects() const { return m_bezelMotionEffects; }
    /*! The timer that samples the progress object, or nullptr while tracking is off. */
    QTimer *progressObjectDisplayLink() const { return m_progressObjectDisplayLink; }

    /*! Marks the constraints for a rebuild before the next layout pass. */
    void setNeedsUpdateConstraints();
    bool needsUpdateConstraints() const { return m_needsUpdateConstraints; }
    /*! Rebuilds the constraint set from the current properties and runs the spacing pass. */
    void updateConstraints();
    /*! Recomputes the gaps between the bezel's items from their visibility. */
    void updatePaddingConstraints();
    /*! Runs a pending constraint update, the spacing pass, and places the bezel and its items. */
    void layoutSubviews();
    static void applyPriority(float priority, const QList<Fen_QorLayoutConstraint *> &constraints);
    QList<Fen_QorLayoutConstraint *> bezelConstraints() const;
    QList<Fen_QorLayoutConstraint *> paddingConstraints() const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct Pose
    {
        qreal bezelAlpha;
        qreal backgroundAlpha;
        qreal bezelScale;
    };
    struct Animation
    {
        QVariantAnimation *driver;
        Pose from;
        Pose to;
        std::function<void(bool)> completion;
    };

    void commonInit(const QRect &frame);
    void setupViews();
    void updateIndicators();
    void updateViewsForColor(const QColor &color);
    void updateBezelMotionEffects();
    void registerForNotifications();
    void statusBarOrientationDidChange();
    void updateForCurrentOrientationAnimated(bool animated);
    void didMoveToSuperview();

    bool assertMainThread(int line) const;
    QTimer *scheduleTimer(double seconds, std::function<void()> handler);
    static void invalidateTimer(QPointer<QTimer> &timer);
    static void invalidateTimers(QList<QPointer<QTimer>> &timers);
    static void appendPending(QList<QPointer<QTimer>> &timers, QTimer *timer);
    void handleGraceTimer();
    void handleMinShowTimer();
    void handleHideTimer(bool animated);
    void showUsingAnimation(bool animated);
    void hideUsingAnimation(bool animated);
    void animateIn(bool animatingIn, Fen_QorProgressHUDAnimation type,
                   std::function<void(bool)> completion);
    void removeAllAnimations();
    void finishAnimation(bool finished);
    Pose currentPose() const;
    void applyPose(const Pose &pose);
    void setContentAlphas(qreal bezelAlpha, qreal backgroundAlpha);
    void setAlpha(qreal alpha);
    void applyOwnAlpha();
    void done();

    void setNSProgressDisplayLinkEnabled(bool enabled);
    void setProgressObjectDisplayLink(QTimer *displayLink);
    void updateProgressFromProgressObject();

    void requestLayout();
    void forwardProgress(QWidget *view) const;
    void dropIndicator();

    Fen_QorProgressHUDDelegate *m_delegate = nullptr;
    mutable std::mutex m_completionMutex;
    std::function<void()> m_completionBlock;

    double m_graceTime = 0.0;
    double m_minShowTime = 0.0;
    bool m_removeFromSuperViewOnHide = false;
    Fen_QorProgressHUDMode m_mode = Fen_QorProgressHUDModeSpinner;
    QColor m_contentColor;
    Fen_QorProgressHUDAnimation m_animationType = Fen_QorProgressHUDAnimationFade;
    QPointF m_offset;
    double m_margin = 20.0;
    QSizeF m_minSize { 0.0, 0.0 };
    bool m_square = false;
    bool m_defaultMotionEffectsEnabled = false;
    float m_progress = 0.0f;
    std::shared_ptr<Fen_QorProgress> m_progressObject;
    bool m_userInteractionEnabled = true;

    Fen_QorBackgroundView *m_backgroundView = nullptr;
    Fen_QorBackgroundView *m_bezelView = nullptr;
    QPointer<QWidget> m_customView;
    Fen_QorLabel *m_label = nullptr;
    Fen_QorLabel *m_detailsLabel = nullptr;
    Fen_QorProgressHUDRoundedButton *m_button = nullptr;
    QWidget *m_topSpacer = nullptr;
    QWidget *m_bottomSpacer = nullptr;
    QPointer<QWidget> m_indicator;
    QPointer<Fen_QorMotionEffectGroup> m_bezelMotionEffects;

    qreal m_alpha = 0.0;
    bool m_useAnimation = false;
    bool m_finished = false;
    QElapsedTimer m_showStarted; // invalid while the HUD is not shown

    // Several requests of one kind may be pending at once (two grace waits both fire); the lists
    // hold every pending one so that a cancellation catches them all.
    QList<QPointer<QTimer>> m_graceTimers;
    QList<QPointer<QTimer>> m_minShowTimers;
    QPointer<QTimer> m_hideDelayTimer;
    QPointer<QTimer> m_progressObjectDisplayLink;
    std::unique_ptr<Animation> m_animation;

    std::unique_ptr<Fen_QorProgressHUDLayout> m_layout;
    bool m_needsUpdateConstraints = false;
    bool m_layoutRequestPosted = false;
    QPointer<QWidget> m_host;
};

template<typename HUD>
HUD *Fen_QorProgressHUD::showHUDAddedTo(QWidget *view, bool animated)
{
    auto *hud = new HUD(view);
    hud->setRemoveFromSuperViewOnHide(true);
    hud->setParent(view);
    hud->raise();
    hud->show();
    hud->showAnimated(animated);
    return hud;
}

template<typename HUD>
bool Fen_QorProgressHUD::hideHUDForView(QWidget *view, bool animated)
{
    HUD *hud = HUDForView<HUD>(view);
    if (!hud)
        return false;
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hideAnimated(animated);
    return true;
}

template<typename HUD>
HUD *Fen_QorProgressHUD::HUDForView(QWidget *view)
{
    const QObjectList &children = view->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        // dynamic_cast so that a derived class without Q_OBJECT is still told apart.
        auto *hud = dynamic_cast<HUD *>(*it);
        if (hud && !hud->hasFinished())
            return hud;
    }
    return nullptr;
}
