#pragma once

#include "Fen_QorLayoutConstraint.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSizeF>

class QWidget;

/*!
 * \brief The constraint set of a progress HUD: the bezel centred in the HUD (displaced by the
 * offset, kept the margin inside its edges, with an optional minimum size and square shape) and
 * the bezel's column — top spacer, indicator, label, details label, button, bottom spacer — with
 * 4-point gaps between visible items.
 *
 * The HUD holds one of these and forwards its constraint-update and layout passes to it; the
 * "needs a constraint update" flag stays with the HUD.
 */
class Fen_QorProgressHUDLayout
{
public:
    struct Views
    {
        QWidget *hud = nullptr;
        QWidget *bezel = nullptr;
        QWidget *topSpacer = nullptr;
        QWidget *bottomSpacer = nullptr;
        QWidget *indicator = nullptr; // may be null
        QWidget *label = nullptr;
        QWidget *detailsLabel = nullptr;
        QWidget *button = nullptr;
    };

    struct Metrics
    {
        double margin = 20.0;
        QPointF offset;
        QSizeF minSize { 0.0, 0.0 }; // (0, 0): none
        bool square = false;
    };

    /*! Discards the previous set (everything on the HUD and the spacers, and the bezel's own
     * earlier set) and builds a new one from \a views and \a metrics, then runs the spacing pass.
     */
    void updateConstraints(const Views &views, const Metrics &metrics);

    /*! Sets each chain constant to 4 or 0 by the visibility of the items; adds nothing. */
    void updatePaddingConstraints();

    /*! Sets \a priority on each of \a constraints, in order. */
    static void applyPriority(float priority, const QList<Fen_QorLayoutConstraint *> &constraints);

    /*! The constraints the last update pass installed on the bezel; empty before the first. */
    QList<Fen_QorLayoutConstraint *> bezelConstraints() const;
    /*! The chain constraints between consecutive column items, in column order. */
    QList<Fen_QorLayoutConstraint *> paddingConstraints() const;
    /*! False until the first update pass. */
    bool hasConstraints() const;

    /*! The layout pass: the spacing pass unless a constraint update is pending (the update pass
     * runs it itself), then solves the constraints and places the bezel and its items. */
    void layoutSubviews(bool needsUpdateConstraints);

    /*! A column item counts as visible when it is not hidden and its intrinsic size is not
     * exactly (0, 0); a view without an intrinsic size counts as visible. */
    static bool isVisibleInLayout(const QWidget *item);

private:
    void discardConstraints(const Views &views);

    QPointer<QWidget> m_hud;
    QPointer<QWidget> m_bezel;
    QList<Fen_QorLayoutConstraint *> m_bezelConstraints;
    QList<Fen_QorLayoutConstraint *> m_paddingConstraints;
    bool m_hasConstraints = false;
};
