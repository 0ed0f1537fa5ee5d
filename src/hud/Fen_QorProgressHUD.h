#pragma once

#include "Fen_QorEnums.h"
#include "Fen_QorLabel.h"
#include "Fen_QorProgressHUDDelegate.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <memory>

class Fen_QorBackgroundView;
class Fen_QorProgress;
class Fen_QorProgressHUDPrivate;
class Fen_QorProgressHUDRoundedButton;

/*!
 * \brief A heads-up display: a veil over its host widget with a rounded panel (the bezel) in
 * the middle holding an indicator, a title, details and a button.
 *
 * The HUD kit's names carry the prefix \c Fen_Qor where a namespace would stand (see
 * Fen_QorEnums.h). Its classes: Fen_QorProgressHUD, the HUD; Fen_QorShortcuts.h, one-call HUDs
 * for a screen; the bezel and backdrop Fen_QorBackgroundView, the button
 * Fen_QorProgressHUDRoundedButton, the indicators Fen_QorActivityIndicatorView,
 * Fen_QorRoundProgressView and Fen_QorBarProgressView; Fen_QorProgress, progress a worker
 * updates; Fen_QorProgressHUDDelegate, told when a HUD has hidden; Fen_QorProgressHUDAppearance,
 * indicator attributes for every HUD.
 *
 * The HUD covers its host and follows the host's size. It starts invisible (alpha 0) and shows
 * and hides with a 0.3 s spring animation, with an optional grace time before it appears, a
 * minimum display time and a delayed hide. At the end of every hide the completion callback,
 * then the delegate, then hidden() are told. Sizes are device-independent pixels, fonts
 * included (a bold 16 px title, bold 12 px details and button).
 *
 * Adding: the host-view constructor does not add the HUD to its host; add it like any child
 * widget (setParent(host), raise(), show()) or let showHUDAddedTo() make one.
 *
 * Ownership, as a caller can rely on it:
 * - A HUD you construct is yours. The host owns it as its child like any widget, but the kit
 *   never deletes it: with removeFromSuperViewOnHide() set (hideHUDForView() and the shortcuts'
 *   hide set it on any HUD they hide) a finished hide only hides it and takes it off its host
 *   (parent cleared). A HUD on the stack is fine; a detached heap HUD is yours to delete.
 * - A HUD the kit makes (showHUDAddedTo(), the shortcuts' HUDs) is the kit's: it takes itself off
 *   its host when hidden and is deleted (deleteLater()) after its completion, its delegate and
 *   hidden() were told. Keep a QPointer to it if you keep a pointer at all.
 * - The custom view stays the caller's (see setCustomView()).
 * - Every show is answered by one notice: a HUD destroyed while it shows, waits to show or hides
 *   still calls its completion, its delegate and hidden() once, from its destructor. They must
 *   not delete the HUD there, nor touch its host when the host's destruction took the HUD down.
 *   A completion may delete the HUD (or its host) at the end of a hide; the delegate and
 *   hidden() are then told from the destructor.
 *
 * Alpha and scale are paint-time state (Fen_QorAlphaTransformEffect on the bezel and the
 * backdrop, which also paint the HUD's own alpha); alpha() reads the HUD's own. While the HUD's
 * alpha is 0 it neither paints, nor asks for repaints, nor takes mouse events.
 *
 * Everything here is main-thread only; show and hide requests (delayed hides included) from
 * another thread are assertion failures and change nothing. The exception is the progress object:
 * a Fen_QorProgress may be updated from any thread, and the HUD samples it once per screen
 * refresh while it tracks it.
 *
 * Class-level look-ups take the HUD class to find as a template argument, so that
 * Fen_QorProgressHUD::HUDForView<MyHUD>(view) finds only MyHUD instances (and classes derived
 * from it); without it every HUD counts.
 */
class Fen_QorProgressHUD : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float progress READ progress WRITE setProgress)
    Q_PROPERTY(Fen_QorProgressHUDMode mode READ mode WRITE setMode)
    Q_PROPERTY(Fen_QorProgressHUDAnimation animationType READ animationType WRITE setAnimationType)

public:
    /*! A HUD for \a view, with the view's bounds, not yet added to it. \a view must not be null
     * (assertion "View must not be nil."). */
    explicit Fen_QorProgressHUD(QWidget *view);
    /*! A HUD with the geometry \a frame. With a \a parent it is added to it at once (still
     * hidden, see QWidget::setParent()) and, like any HUD on a host, takes and follows the
     * host's bounds instead. */
    explicit Fen_QorProgressHUD(const QRect &frame, QWidget *parent = nullptr);
    /*! Tells the completion, the delegate and hidden() if a show was still unanswered. */
    ~Fen_QorProgressHUD() override;

    /*! Makes a HUD of class \a HUD for \a view, adds it as \a view's topmost child and shows it.
     * The kit owns it: it leaves \a view and is deleted once hidden. */
    template<typename HUD = Fen_QorProgressHUD>
    static HUD *showHUDAddedTo(QWidget *view, bool animated);
    /*! Hides the topmost unfinished HUD of class \a HUD on \a view; false when there is none.
     * It sets removeFromSuperViewOnHide on that HUD: once hidden, the HUD leaves \a view (and
     * is deleted if the kit made it). */
    template<typename HUD = Fen_QorProgressHUD>
    static bool hideHUDForView(QWidget *view, bool animated);
    /*! The topmost child of \a view that is a \a HUD and not hiding or hidden, or nullptr. */
    template<typename HUD = Fen_QorProgressHUD>
    static HUD *HUDForView(QWidget *view);

    void showAnimated(bool animated);
    void hideAnimated(bool animated);
    /*! Hides after \a afterDelay seconds; a later call replaces the pending one. */
    void hideAnimated(bool animated, double afterDelay);

    /*! Held weakly (see Fen_QorProgressHUDDelegate). */
    Fen_QorProgressHUDDelegate *delegate() const;
    void setDelegate(Fen_QorProgressHUDDelegate *delegate);

    /*! Called once at the end of every hide, before the delegate. Reads and writes are atomic. */
    std::function<void()> completionBlock() const;
    void setCompletionBlock(std::function<void()> completionBlock);

    double graceTime() const;
    void setGraceTime(double graceTime);
    double minShowTime() const;
    void setMinShowTime(double minShowTime);
    /*! While set, the end of a hide takes the HUD off its host (see the ownership rules above). */
    bool removeFromSuperViewOnHide() const;
    void setRemoveFromSuperViewOnHide(bool remove);

    Fen_QorProgressHUDMode mode() const;
    void setMode(Fen_QorProgressHUDMode mode);
    /*! Black at alpha 0.7 by default; an invalid colour is stored but recolours nothing. */
    QColor contentColor() const;
    void setContentColor(const QColor &contentColor);
    Fen_QorProgressHUDAnimation animationType() const;
    void setAnimationType(Fen_QorProgressHUDAnimation type);

    QPointF offset() const;
    void setOffset(const QPointF &offset);
    double margin() const;
    void setMargin(double margin);
    QSizeF minSize() const;
    void setMinSize(const QSizeF &minSize);
    bool isSquare() const;
    void setSquare(bool square);

    bool areDefaultMotionEffectsEnabled() const;
    void setDefaultMotionEffectsEnabled(bool enabled);

    float progress() const;
    void setProgress(float progress);
    std::shared_ptr<Fen_QorProgress> progressObject() const;
    void setProgressObject(std::shared_ptr<Fen_QorProgress> progressObject);

    Fen_QorBackgroundView *bezelView() const;
    Fen_QorBackgroundView *backgroundView() const;
    /*!
     * The indicator of the custom mode. The HUD never takes ownership of it: while it is the
     * indicator it sits in the bezel; when it is replaced, when the mode changes, and when the HUD
     * is destroyed it is taken out again (parent cleared), never deleted, so one view can serve
     * HUD after HUD. The caller deletes it.
     */
    QWidget *customView() const;
    void setCustomView(QWidget *customView);
    /*! The title: one line per explicit line break, elided where the bezel is too narrow. */
    Fen_QorLabel *label() const;
    /*! The details: wrapped at word boundaries, and inside a word too wide for the bezel. */
    Fen_QorLabel *detailsLabel() const;
    Fen_QorProgressHUDRoundedButton *button() const;

    /*! While enabled (the default) the HUD takes the mouse over its host; when disabled mouse
     * events pass through to the widgets below. */
    bool isUserInteractionEnabled() const;
    void setUserInteractionEnabled(bool enabled);

    /*! Tells assistive technology (a screen reader) about the HUD: its accessible name becomes
     *  the title, its description the details, and an alert is sent. Call it once the texts are
     *  set; a HUD's texts are not read out by themselves. */
    void announce();

    /*! The HUD's own alpha: 0 while hidden, 1 from the show step until the hide is done. */
    qreal alpha() const;
    /*! Set by every hide request, cleared by every show request. */
    bool hasFinished() const;

    /*! Marks the constraints for a rebuild before the next layout pass. */
    void setNeedsUpdateConstraints();
    bool needsUpdateConstraints() const;
    /*! Rebuilds the constraint set from the current properties and runs the spacing pass. */
    void updateConstraints();
    /*! Runs a pending constraint update, the spacing pass, and places the bezel and its items. */
    void layoutSubviews();

Q_SIGNALS:
    /*! The HUD became visible: its grace time is over and the show animation starts. */
    void shown();
    /*! A hide ended, right after the completion and the delegate were told (also when a show
     * request cut the hide animation short and the HUD stays). */
    void hidden();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class Fen_QorProgressHUDPrivate;
    // Adds a HUD the kit made to \a view and shows it; it is deleted once hidden.
    static void showKitHUD(Fen_QorProgressHUD *hud, QWidget *view, bool animated);

    std::unique_ptr<Fen_QorProgressHUDPrivate> const d;
};

template<typename HUD>
HUD *Fen_QorProgressHUD::showHUDAddedTo(QWidget *view, bool animated)
{
    auto *hud = new HUD(view);
    showKitHUD(hud, view, animated);
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
