#include "Fen_QorMotionEffectGroup.h"

#include "Fen_QorAlphaTransformEffect.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

Fen_QorMotionEffectGroup::Fen_QorMotionEffectGroup(QObject *parent) : QObject(parent) { }

// Leaves the view alone: the group may be going down with its view, whose effect is then no
// longer safe to touch. removeFromView() first restores the view.
Fen_QorMotionEffectGroup::~Fen_QorMotionEffectGroup() = default;

void Fen_QorMotionEffectGroup::setMotionEffects(
    const QList<Fen_QorInterpolatingMotionEffect> &motionEffects)
{
    m_motionEffects = motionEffects;
    apply();
}

void Fen_QorMotionEffectGroup::addToView(QWidget *view)
{
    if (m_view == view)
        return;
    removeFromView();
    m_view = view;
    if (!view)
        return;
    setParent(view);
    // Pointer moves reach the window before any widget sees them (and also where no widget
    // tracks the mouse), so the application-wide filter is the one place to watch them.
    QCoreApplication::instance()->installEventFilter(this);
    apply();
}

void Fen_QorMotionEffectGroup::removeFromView()
{
    if (!m_view)
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    if (auto *effect = qobject_cast<Fen_QorAlphaTransformEffect *>(m_view->graphicsEffect()))
        effect->setTranslation(QPointF());
    m_view = nullptr;
    setParent(nullptr);
}

void Fen_QorMotionEffectGroup::setViewerOffset(const QPointF &viewerOffset)
{
    const QPointF clamped(qBound(-1.0, viewerOffset.x(), 1.0), qBound(-1.0, viewerOffset.y(), 1.0));
    if (clamped == m_viewerOffset)
        return;
    m_viewerOffset = clamped;
    apply();
}

QList<Fen_QorMotionEffectGroup *> Fen_QorMotionEffectGroup::motionEffectsOf(const QWidget *view)
{
    return view->findChildren<Fen_QorMotionEffectGroup *>(Qt::FindDirectChildrenOnly);
}

bool Fen_QorMotionEffectGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseMove || !m_view || !watched->isWindowType())
        return false;
    QWidget *window = m_view->window();
    if (static_cast<QWindow *>(watched) != window->windowHandle())
        return false;
    const QPointF position = static_cast<QMouseEvent *>(event)->position();
    const QSizeF half = QSizeF(window->size()) / 2.0;
    if (half.isEmpty())
        return false;
    setViewerOffset(QPointF((position.x() - half.width()) / half.width(),
                            (position.y() - half.height()) / half.height()));
    return false;
}

void Fen_QorMotionEffectGroup::apply()
{
    if (!m_view)
        return;
    QPointF shift;
    for (const Fen_QorInterpolatingMotionEffect &effect : std::as_const(m_motionEffects)) {
        const double value = effect.relativeValueForViewerOffset(m_viewerOffset);
        if (effect.keyPath() == u"center.x")
            shift.rx() += value;
        else if (effect.keyPath() == u"center.y")
            shift.ry() += value;
    }
    Fen_QorAlphaTransformEffect::of(m_view)->setTranslation(shift);
}
