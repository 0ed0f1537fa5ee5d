#pragma once

#include "Fen_QorEnums.h"
#include "Fen_QorMotionEffectGroup.h"

#include <QColor>
#include <QPointer>
#include <QRect>

class Fen_QorBackgroundView;
class Fen_QorLabel;
class Fen_QorProgressHUDRoundedButton;
class QWidget;

/*!
 * \brief What a progress HUD is made of: the full-size backdrop, the bezel, and in the bezel the
 * title, the details, the button, two hidden spacers and the indicator of the HUD's mode.
 *
 * Sizes are device-independent pixels, fonts included: a bold 16 px title, bold 12 px details
 * and button. The content colour reaches the labels, the button and the indicator, except for
 * the indicator attributes the application set for HUDs (Fen_QorProgressHUDAppearance).
 *
 * Ownership: the tree's views are children of the HUD. Indicators the tree makes are its own and
 * are deleted when they leave the bezel. The custom view stays the caller's: it sits in the bezel
 * while it is the indicator and is taken out again, unparented and never deleted, when it is
 * replaced, when the mode moves on, and when the HUD goes (releaseCustomView()).
 */
class Fen_QorProgressHUDViewTree
{
public:
    /*! Builds the tree in \a hud, whose bounds are \a bounds, with \a contentColor; no indicator
     * yet. */
    Fen_QorProgressHUDViewTree(QWidget *hud, const QRect &bounds, const QColor &contentColor);
    Fen_QorProgressHUDViewTree(const Fen_QorProgressHUDViewTree &) = delete;
    Fen_QorProgressHUDViewTree &operator=(const Fen_QorProgressHUDViewTree &) = delete;

    /*!
     * The indicator that \a mode shows when \a current is in place: \a current itself where it
     * fits (a spinner in the spinner mode, a round view in the round and annular modes, whatever
     * is there in a mode not listed), \a customView in the custom mode, nullptr in the text mode,
     * else a new view of the kit's (a bar is always new). A round view gets the form of its mode.
     */
    static QWidget *makeIndicator(Fen_QorProgressHUDMode mode, QWidget *current,
                                  QWidget *customView);

    /*! Puts the indicator of \a mode into the bezel (topmost), hands it \a progress and colours
     * everything with \a contentColor. */
    void updateIndicator(Fen_QorProgressHUDMode mode, float progress, const QColor &contentColor);
    QWidget *indicator() const { return m_indicator; }

    /*! Stores \a customView; it becomes the indicator at the next update in the custom mode. */
    void setCustomView(QWidget *customView) { m_customView = customView; }
    QWidget *customView() const { return m_customView; }
    /*! Takes the custom view out of the bezel if it is there, back to its owner (the HUD calls
     * this as it goes). */
    void releaseCustomView();

    /*! Colours the labels, the button and the indicator; an invalid \a color changes nothing. */
    void applyColor(const QColor &color);
    /*! Writes \a progress to an indicator with a writable "progress" property. */
    void forwardProgress(float progress) const;

    /*! Installs the bezel's tilt group while \a enabled, removes it otherwise. */
    void updateMotionEffects(bool enabled);
    Fen_QorMotionEffectGroup *motionEffects() const { return m_motionEffects; }

    Fen_QorBackgroundView *backgroundView() const { return m_backgroundView; }
    Fen_QorBackgroundView *bezelView() const { return m_bezelView; }
    Fen_QorLabel *label() const { return m_label; }
    Fen_QorLabel *detailsLabel() const { return m_detailsLabel; }
    Fen_QorProgressHUDRoundedButton *button() const { return m_button; }
    QWidget *topSpacer() const { return m_topSpacer; }
    QWidget *bottomSpacer() const { return m_bottomSpacer; }

private:
    void dropIndicator();

    Fen_QorBackgroundView *m_backgroundView;
    Fen_QorBackgroundView *m_bezelView;
    Fen_QorLabel *m_label;
    Fen_QorLabel *m_detailsLabel;
    Fen_QorProgressHUDRoundedButton *m_button;
    QWidget *m_topSpacer;
    QWidget *m_bottomSpacer;
    QPointer<QWidget> m_indicator;
    bool m_ownsIndicator = false; // false for the custom view
    QPointer<QWidget> m_customView;
    QPointer<Fen_QorMotionEffectGroup> m_motionEffects;
};
