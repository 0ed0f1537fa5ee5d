#pragma once

#include "Fen_QorInterpolatingMotionEffect.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

/*!
 * \brief Motion effects that act together on one view: the view's painted image follows the
 * viewer's tilt.
 *
 * Added to a view, the group becomes the view's child (so motionEffectsOf() lists the groups
 * installed on a view) and moves the view's painted image, never its geometry, by the sum of
 * its effects' "center.x" and "center.y" values (through the view's
 * Fen_QorAlphaTransformEffect). The tilt comes from the pointer: its position over the view's
 * window, from the window's centre (tilt 0) to the window's edges (tilt ±1 per axis), read from
 * the pointer moves the window receives. No tilt sensor is consulted.
 */
class Fen_QorMotionEffectGroup : public QObject
{
    Q_OBJECT

public:
    explicit Fen_QorMotionEffectGroup(QObject *parent = nullptr);
    ~Fen_QorMotionEffectGroup() override;

    QList<Fen_QorInterpolatingMotionEffect> motionEffects() const { return m_motionEffects; }
    void setMotionEffects(const QList<Fen_QorInterpolatingMotionEffect> &motionEffects);

    /*! Installs the group on \a view (reparenting it there) and starts following the pointer. */
    void addToView(QWidget *view);
    /*! Takes the group off its view, which returns to its untilted place; the group is then
     * parentless and belongs to the caller. */
    void removeFromView();
    QWidget *view() const { return m_view; }

    /*! The current tilt, each axis from −1 to 1. */
    QPointF viewerOffset() const { return m_viewerOffset; }
    void setViewerOffset(const QPointF &viewerOffset);

    /*! The groups installed on \a view, in installation order. */
    static QList<Fen_QorMotionEffectGroup *> motionEffectsOf(const QWidget *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    QList<Fen_QorInterpolatingMotionEffect> m_motionEffects;
    QPointer<QWidget> m_view;
    QPointF m_viewerOffset;
};
