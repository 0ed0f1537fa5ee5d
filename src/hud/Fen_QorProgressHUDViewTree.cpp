#include "Fen_QorProgressHUDViewTree.h"

#include "Fen_QorActivityIndicatorView.h"
#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorBarProgressView.h"
#include "Fen_QorLabel.h"
#include "Fen_QorMotionEffectGroup.h"
#include "Fen_QorProgressHUDAppearance.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorRoundProgressView.h"
#include "Fen_QorViewLayoutState.h"

#include <QGuiApplication>
#include <QMetaProperty>

namespace {

constexpr int titlePixelSize = 16;
constexpr int detailsPixelSize = 12;
constexpr int buttonPixelSize = 12;
constexpr qreal bezelCornerRadius = 5.0;
constexpr float contentCompressionResistance = 998.0f;
constexpr double tiltRange = 10.0;

// The application font, bold, at a size in device-independent pixels like every size of the kit.
QFont boldFont(int pixelSize)
{
    QFont font = QGuiApplication::font();
    font.setBold(true);
    font.setPixelSize(pixelSize);
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
    for (Qt::Orientation axis : { Qt::Horizontal, Qt::Vertical })
        Fen_QorViewLayoutState::setContentCompressionResistancePriority(
            view, contentCompressionResistance, axis);
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

Fen_QorLabel *newLabel(const QColor &color, int pixelSize)
{
    auto *label = new Fen_QorLabel;
    label->setAlignment(Qt::AlignCenter);
    setTextColor(label, color);
    label->setFont(boldFont(pixelSize));
    label->setAutoFillBackground(false);
    return label;
}

QWidget *newHiddenSpacer(QWidget *bezel)
{
    auto *spacer = new QWidget(bezel);
    spacer->setHidden(true);
    return spacer;
}

// A view of the kit made for the bezel, with the attributes the application set for its class.
template<typename View>
View *newIndicator()
{
    auto *view = new View;
    Fen_QorProgressHUDAppearance::applyTo(view);
    return view;
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

Fen_QorInterpolatingMotionEffect tiltEffect(const QString &keyPath,
                                            Fen_QorInterpolatingMotionEffect::Type type)
{
    Fen_QorInterpolatingMotionEffect effect(keyPath, type);
    effect.setMaximumRelativeValue(tiltRange);
    effect.setMinimumRelativeValue(-tiltRange);
    return effect;
}

} // namespace

Fen_QorProgressHUDViewTree::Fen_QorProgressHUDViewTree(QWidget *hud, const QRect &bounds,
                                                       const QColor &contentColor)
    : m_backgroundView(new Fen_QorBackgroundView(bounds, hud))
    , m_bezelView(new Fen_QorBackgroundView(hud))
    , m_label(newLabel(contentColor, titlePixelSize))
    , m_detailsLabel(newLabel(contentColor, detailsPixelSize))
    , m_button(new Fen_QorProgressHUDRoundedButton)
    , m_topSpacer(nullptr)
    , m_bottomSpacer(nullptr)
{
    m_backgroundView->setStyle(Fen_QorProgressHUDBackgroundStyleSolidColor);
    m_backgroundView->setBackgroundColor(Qt::transparent);
    Fen_QorAlphaTransformEffect::of(m_backgroundView)->setAlpha(0.0);

    m_bezelView->setCornerRadius(bezelCornerRadius);
    Fen_QorAlphaTransformEffect::of(m_bezelView)->setAlpha(0.0);

    m_detailsLabel->setWordWrap(true);
    m_button->setFont(boldFont(buttonPixelSize));
    m_button->setTitleColor(contentColor, Fen_QorProgressHUDRoundedButton::StateNormal);

    for (QWidget *item : { static_cast<QWidget *>(m_label), static_cast<QWidget *>(m_detailsLabel),
                           static_cast<QWidget *>(m_button) }) {
        setCompressionResistance(item);
        addSubview(m_bezelView, item);
    }
    m_topSpacer = newHiddenSpacer(m_bezelView);
    m_bottomSpacer = newHiddenSpacer(m_bezelView);
}

void Fen_QorProgressHUDViewTree::releaseCustomView()
{
    if (m_indicator && !m_ownsIndicator) {
        m_indicator->setParent(nullptr);
        m_indicator = nullptr;
    }
}

QWidget *Fen_QorProgressHUDViewTree::makeIndicator(Fen_QorProgressHUDMode mode, QWidget *current,
                                                   QWidget *customView)
{
    switch (mode) {
    case Fen_QorProgressHUDModeSpinner: {
        if (qobject_cast<Fen_QorActivityIndicatorView *>(current))
            return current;
        auto *spinner = newIndicator<Fen_QorActivityIndicatorView>();
        spinner->startAnimating();
        return spinner;
    }
    case Fen_QorProgressHUDModeBarProgress:
        return newIndicator<Fen_QorBarProgressView>();
    case Fen_QorProgressHUDModeRoundProgress:
    case Fen_QorProgressHUDModeAnnularProgress: {
        auto *round = qobject_cast<Fen_QorRoundProgressView *>(current);
        if (!round)
            round = newIndicator<Fen_QorRoundProgressView>();
        // Each mode shows its own form, also on a round view reused from the other mode. The
        // view stores the flag without a repaint, so it is asked for one when the form changes.
        const bool annular = mode == Fen_QorProgressHUDModeAnnularProgress;
        if (round->isAnnular() != annular) {
            round->setAnnular(annular);
            round->update();
        }
        return round;
    }
    case Fen_QorProgressHUDModeCustomView:
        return customView;
    case Fen_QorProgressHUDModeText:
        return nullptr;
    }
    return current;
}

void Fen_QorProgressHUDViewTree::updateIndicator(Fen_QorProgressHUDMode mode, float progress,
                                                 const QColor &contentColor)
{
    QWidget *next = makeIndicator(mode, m_indicator, m_customView);
    if (next != m_indicator) {
        dropIndicator();
        if (next)
            addSubview(m_bezelView, next);
        m_indicator = next;
        m_ownsIndicator = next && next != m_customView;
    }
    if (next) {
        forwardProgress(progress);
        setCompressionResistance(next);
    }
    applyColor(contentColor);
}

// The kit's own indicators are deleted; the custom view goes back to its owner, unparented.
void Fen_QorProgressHUDViewTree::dropIndicator()
{
    QWidget *indicator = m_indicator;
    m_indicator = nullptr;
    if (!indicator)
        return;
    indicator->setParent(nullptr);
    if (m_ownsIndicator)
        indicator->deleteLater();
}

// The progress reaches any indicator with a writable "progress" property, a custom view's too.
void Fen_QorProgressHUDViewTree::forwardProgress(float progress) const
{
    if (!m_indicator)
        return;
    const QMetaObject *meta = m_indicator->metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty("progress"));
    if (property.isValid() && property.isWritable())
        property.write(m_indicator, QVariant::fromValue(progress));
}

void Fen_QorProgressHUDViewTree::applyColor(const QColor &color)
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

// An update with the tilt enabled and a group in place keeps that group: every show step runs
// this update, and the tilt is meant to stay as long as it is enabled.
void Fen_QorProgressHUDViewTree::updateMotionEffects(bool enabled)
{
    if (enabled && !m_motionEffects) {
        auto *group = new Fen_QorMotionEffectGroup;
        group->setMotionEffects(
            { tiltEffect(QStringLiteral("center.x"),
                         Fen_QorInterpolatingMotionEffect::TiltAlongHorizontalAxis),
              tiltEffect(QStringLiteral("center.y"),
                         Fen_QorInterpolatingMotionEffect::TiltAlongVerticalAxis) });
        m_motionEffects = group;
        group->addToView(m_bezelView);
    } else if (!enabled && m_motionEffects) {
        Fen_QorMotionEffectGroup *group = m_motionEffects;
        m_motionEffects = nullptr;
        group->removeFromView();
        delete group;
    }
}
