#include "Fen_QorBlurEffectView.h"

#include "Fen_QorBackgroundView.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <vector>

namespace {

// The backdrop is blurred at a quarter of its size: three box passes of radius 2 there give a
// soft blur of about ten points at a small cost.
constexpr int downscale = 4;
constexpr int boxRadius = 2;
constexpr int boxPasses = 3;

// One box-blur pass along a line of premultiplied pixels (every stride-th one of \a in) into
// the packed \a out; the ends repeat the edge pixel.
void boxBlurLine(const QRgb *in, int stride, QRgb *out, int count)
{
    const int window = 2 * boxRadius + 1;
    int sum[4] = { 0, 0, 0, 0 };
    auto add = [&sum](QRgb pixel, int sign) {
        sum[0] += sign * qAlpha(pixel);
        sum[1] += sign * qRed(pixel);
        sum[2] += sign * qGreen(pixel);
        sum[3] += sign * qBlue(pixel);
    };
    auto at = [&](int index) { return in[std::clamp(index, 0, count - 1) * stride]; };
    for (int i = -boxRadius; i <= boxRadius; ++i)
        add(at(i), 1);
    for (int i = 0; i < count; ++i) {
        out[i] = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
        add(at(i + boxRadius + 1), 1);
        add(at(i - boxRadius), -1);
    }
}

QImage boxBlurred(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    const int height = image.height();
    if (width == 0 || height == 0)
        return image;
    const int stride = image.bytesPerLine() / static_cast<int>(sizeof(QRgb));
    std::vector<QRgb> line(static_cast<size_t>(std::max(width, height)));
    auto *pixels = reinterpret_cast<QRgb *>(image.bits());
    for (int pass = 0; pass < boxPasses; ++pass) {
        for (int y = 0; y < height; ++y) {
            QRgb *row = pixels + y * stride;
            boxBlurLine(row, 1, line.data(), width);
            std::copy_n(line.data(), width, row);
        }
        for (int x = 0; x < width; ++x) {
            QRgb *column = pixels + x;
            boxBlurLine(column, stride, line.data(), height);
            for (int y = 0; y < height; ++y)
                column[y * stride] = line[static_cast<size_t>(y)];
        }
    }
    return image;
}

// Renders \a widget's part of the view's area into \a painter, whose origin is the view's.
void renderPart(QPainter &painter, QWidget *widget, QPoint originInView, QSize viewSize,
                QWidget::RenderFlags flags)
{
    const QRect area = QRect(-originInView, viewSize) & widget->rect();
    if (area.isEmpty())
        return;
    painter.save();
    painter.translate(originInView);
    widget->render(&painter, area.topLeft(), QRegion(area), flags);
    painter.restore();
}

} // namespace

Fen_QorBlurEffectView::Fen_QorBlurEffectView(qint64 blurEffectStyle, QWidget *parent)
    : QWidget(parent), m_blurEffectStyle(blurEffectStyle)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &Fen_QorBlurEffectView::refresh);
    watchAncestors();
}

Fen_QorBlurEffectView::~Fen_QorBlurEffectView()
{
    for (const QPointer<QWidget> &ancestor : std::as_const(m_watched)) {
        if (ancestor)
            ancestor->removeEventFilter(this);
    }
}

QColor Fen_QorBlurEffectView::tintForStyle(qint64 blurEffectStyle)
{
    switch (blurEffectStyle) {
    case Fen_QorBlurEffectStyleExtraLight:
        return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.6f);
    case Fen_QorBlurEffectStyleDark:
        return QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.55f);
    default:
        return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.3f);
    }
}

void Fen_QorBlurEffectView::scheduleRefresh()
{
    // Rendering the backdrop may polish widgets and so move or resize them; that must not ask
    // for yet another snapshot.
    if (!m_refreshing)
        m_refreshTimer.start();
}

bool Fen_QorBlurEffectView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchAncestors();
        scheduleRefresh();
        break;
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        scheduleRefresh();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool Fen_QorBlurEffectView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchAncestors();
        scheduleRefresh();
        break;
    case QEvent::Move:
        // A window moving on the screen changes nothing inside it.
        if (!static_cast<QWidget *>(watched)->isWindow())
            scheduleRefresh();
        break;
    case QEvent::Resize:
        scheduleRefresh();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Fen_QorBlurEffectView::watchAncestors()
{
    for (const QPointer<QWidget> &ancestor : std::as_const(m_watched)) {
        if (ancestor)
            ancestor->removeEventFilter(this);
    }
    m_watched.clear();
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        ancestor->installEventFilter(this);
        m_watched.append(ancestor);
        if (ancestor->isWindow())
            break;
    }
}

void Fen_QorBlurEffectView::refresh()
{
    if (!isVisible() || !parentWidget() || size().isEmpty())
        return;
    m_refreshing = true;
    const QImage backdrop = snapshotBehindParent();
    m_refreshing = false;
    const QSize small((backdrop.width() + downscale - 1) / downscale,
                      (backdrop.height() + downscale - 1) / downscale);
    m_blurred = boxBlurred(backdrop.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    ++m_snapshotCount;
    update();
}

QImage Fen_QorBlurEffectView::snapshotBehindParent() const
{
    QWidget *view = parentWidget();
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);

    // Back to front: from the window down to the view's parent, each ancestor's own painting and
    // then its children that lie below the path towards the view. The view's own subtree is
    // never rendered, so this cannot recurse into a blur.
    QList<QWidget *> path { view };
    while (!path.constFirst()->isWindow() && path.constFirst()->parentWidget())
        path.prepend(path.constFirst()->parentWidget());
    for (qsizetype level = 0; level + 1 < path.size(); ++level) {
        QWidget *ancestor = path.at(level);
        QWidget *towardsView = path.at(level + 1);
        const QPoint ancestorOrigin = -view->mapTo(ancestor, QPoint(0, 0));
        const QWidget::RenderFlags ownFlags = ancestor->isWindow()
            ? QWidget::RenderFlags(QWidget::DrawWindowBackground)
            : QWidget::RenderFlags();
        renderPart(painter, ancestor, ancestorOrigin, view->size(), ownFlags);
        for (QObject *object : ancestor->children()) {
            if (object == towardsView)
                break;
            auto *sibling = qobject_cast<QWidget *>(object);
            if (!sibling || sibling->isWindow() || sibling->isHidden())
                continue;
            renderPart(painter, sibling, ancestorOrigin + sibling->pos(), view->size(),
                       QWidget::DrawChildren);
        }
    }
    return image;
}

void Fen_QorBlurEffectView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const auto *background = qobject_cast<const Fen_QorBackgroundView *>(parentWidget());
    const qreal radius = background ? background->cornerRadius() : 0.0;
    if (radius > 0.0) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), radius, radius);
        painter.setClipPath(clip);
    }
    if (!m_blurred.isNull())
        painter.drawImage(QRectF(rect()), m_blurred);
    // The parent's own colour lies beneath this view, so the blur shows it as part of the backdrop.
    if (background)
        painter.fillRect(rect(), background->backgroundColor());
    painter.fillRect(rect(), tintForStyle(m_blurEffectStyle));
}
