#include "Fen_QorProgressHUDAnimator.h"

#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorSpringEasing.h"

#include <QPointer>
#include <QVariantAnimation>

namespace {

constexpr int animationDurationMs = 300;
constexpr qreal smallScale = 0.5;
constexpr qreal largeScale = 1.5;

} // namespace

struct Fen_QorProgressHUDAnimator::Running
{
    QVariantAnimation *driver;
    Pose from;
    Pose to;
    std::function<void(bool)> completion;
};

Fen_QorProgressHUDAnimator::Fen_QorProgressHUDAnimator(QObject *context, QWidget *bezel,
                                                       QWidget *backdrop)
    : m_context(context), m_bezel(bezel), m_backdrop(backdrop)
{ }

Fen_QorProgressHUDAnimator::~Fen_QorProgressHUDAnimator()
{
    if (m_running) {
        m_running->driver->disconnect(m_context);
        delete m_running->driver;
    }
}

void Fen_QorProgressHUDAnimator::animateIn(bool animatingIn, Fen_QorProgressHUDAnimation type,
                                           std::function<void(bool)> completion)
{
    if (type == Fen_QorProgressHUDAnimationGrowShrink)
        type = animatingIn ? Fen_QorProgressHUDAnimationGrow : Fen_QorProgressHUDAnimationShrink;

    // The starting pose only for a bezel that is fully transparent: a repeated show keeps the
    // scale it has.
    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezel);
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
    to.backdropAlpha = to.bezelAlpha;

    // Beginning from the current state: a running animation is superseded where it stands.
    if (m_running) {
        const std::unique_ptr<Running> superseded = takeRunning();
        if (superseded->completion) {
            const QPointer<QObject> context(m_context);
            superseded->completion(false);
            if (!context)
                return; // the completion destroyed the HUD, and this animator with it
        }
    }

    auto *driver = new QVariantAnimation(m_context);
    driver->setStartValue(0.0);
    driver->setEndValue(1.0);
    driver->setDuration(animationDurationMs);
    driver->setEasingCurve(Fen_QorSpringEasing::curve());
    m_running.reset(new Running { driver, currentPose(), to, std::move(completion) });
    QObject::connect(
        driver, &QVariantAnimation::valueChanged, m_context, [this](const QVariant &value) {
            const qreal t = value.toReal();
            const Pose &from = m_running->from;
            const Pose &to = m_running->to;
            applyPose({ from.bezelAlpha + (to.bezelAlpha - from.bezelAlpha) * t,
                        from.backdropAlpha + (to.backdropAlpha - from.backdropAlpha) * t,
                        from.bezelScale + (to.bezelScale - from.bezelScale) * t });
        });
    QObject::connect(driver, &QVariantAnimation::finished, m_context, [this] { finish(true); });
    driver->start();
}

void Fen_QorProgressHUDAnimator::removeAllAnimations()
{
    if (m_running)
        finish(false);
}

void Fen_QorProgressHUDAnimator::setAlphas(qreal bezelAlpha, qreal backdropAlpha)
{
    Fen_QorAlphaTransformEffect::of(m_bezel)->setAlpha(bezelAlpha);
    Fen_QorAlphaTransformEffect::of(m_backdrop)->setAlpha(backdropAlpha);
    // A value set directly is where a running animation ends, not what it was heading for.
    if (m_running) {
        m_running->to.bezelAlpha = bezelAlpha;
        m_running->to.backdropAlpha = backdropAlpha;
    }
}

// The completion runs last: it may destroy the HUD and this animator with it.
void Fen_QorProgressHUDAnimator::finish(bool finished)
{
    const std::unique_ptr<Running> ended = takeRunning();
    applyPose(ended->to);
    if (const std::function<void(bool)> completion = ended->completion)
        completion(finished);
}

std::unique_ptr<Fen_QorProgressHUDAnimator::Running> Fen_QorProgressHUDAnimator::takeRunning()
{
    std::unique_ptr<Running> taken = std::move(m_running);
    taken->driver->disconnect(m_context);
    taken->driver->stop();
    taken->driver->deleteLater();
    return taken;
}

Fen_QorProgressHUDAnimator::Pose Fen_QorProgressHUDAnimator::currentPose() const
{
    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezel);
    return { bezel->alpha(), Fen_QorAlphaTransformEffect::of(m_backdrop)->alpha(), bezel->scale() };
}

void Fen_QorProgressHUDAnimator::applyPose(const Pose &pose)
{
    Fen_QorAlphaTransformEffect *bezel = Fen_QorAlphaTransformEffect::of(m_bezel);
    bezel->setAlpha(pose.bezelAlpha);
    bezel->setScale(pose.bezelScale);
    Fen_QorAlphaTransformEffect::of(m_backdrop)->setAlpha(pose.backdropAlpha);
}
