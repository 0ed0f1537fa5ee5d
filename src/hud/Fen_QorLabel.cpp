#include "Fen_QorLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>

namespace {

// Wide enough for any text the label shows, narrow enough for QTextLayout's fixed-point maths.
constexpr qreal unboundedWidth = 1.0e6;

// The text's extent: its widest line and the bottom of its last line.
QSizeF textExtent(const QTextLayout &layout)
{
    qreal width = 0.0;
    for (int i = 0; i < layout.lineCount(); ++i)
        width = std::max(width, layout.lineAt(i).naturalTextWidth());
    return { width, layout.boundingRect().height() };
}

QString lineText(const QTextLayout &layout, const QTextLine &line)
{
    QString text = layout.text().mid(line.textStart(), line.textLength());
    // Spaces at a break and the line separator belong to no line's visible text.
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

} // namespace

Fen_QorLabel::Fen_QorLabel(QWidget *parent) : QLabel(parent) { }

QList<Fen_QorLabel::Line> Fen_QorLabel::lines() const
{
    QList<Line> lines;
    if (!showsPlainText())
        return lines;
    QTextLayout layout;
    layOut(layout, textArea().width());
    const QPointF origin = textOrigin(layout);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        lines.append({ lineText(layout, line), line.naturalTextRect().translated(origin) });
    }
    return lines;
}

QSize Fen_QorLabel::sizeHint() const
{
    return showsPlainText() ? sizeForWidth(unboundedWidth) : QLabel::sizeHint();
}

QSize Fen_QorLabel::minimumSizeHint() const
{
    if (!showsPlainText())
        return QLabel::minimumSizeHint();
    // As narrow as the widest character (or an ellipsis) allows, as tall as the unwrapped text.
    return { sizeForWidth(0.0).width(), sizeHint().height() };
}

int Fen_QorLabel::heightForWidth(int width) const
{
    if (!showsPlainText())
        return QLabel::heightForWidth(width);
    if (!wordWrap())
        return sizeHint().height();
    return sizeForWidth(std::max(0, width - chrome().width())).height();
}

void Fen_QorLabel::paintEvent(QPaintEvent *event)
{
    if (!showsPlainText()) {
        QLabel::paintEvent(event);
        return;
    }
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(option.palette.color(foregroundRole()));
    QTextLayout layout;
    layOut(layout, textArea().width());
    layout.draw(&painter, textOrigin(layout));
}

bool Fen_QorLabel::showsPlainText() const
{
    const QString shown = text();
    if (shown.isEmpty())
        return false;
    return textFormat() == Qt::PlainText
        || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(shown));
}

// The frame, the contents margins and the label's margin around the text.
QSize Fen_QorLabel::chrome() const
{
    return size() - textArea().size().toSize();
}

QRectF Fen_QorLabel::textArea() const
{
    const int inset = margin();
    return QRectF(contentsRect().adjusted(inset, inset, -inset, -inset));
}

void Fen_QorLabel::layOut(QTextLayout &layout, qreal width) const
{
    const bool wraps = wordWrap();
    const QFontMetricsF metrics(font());
    QStringList paragraphs = text().split(u'\n');
    if (!wraps) {
        for (QString &paragraph : paragraphs)
            paragraph = metrics.elidedText(paragraph, Qt::ElideRight, width);
    }
    layout.setText(paragraphs.join(QChar::LineSeparator));
    layout.setFont(font());
    QTextOption option(QStyle::visualAlignment(layoutDirection(), alignment())
                       & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wraps ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);

    qreal top = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0.0, top));
        top += line.height() + metrics.leading();
    }
    layout.endLayout();
}

QSize Fen_QorLabel::sizeForWidth(qreal width) const
{
    QTextLayout layout;
    layOut(layout, width);
    const QSizeF extent = textExtent(layout);
    return QSize(qCeil(extent.width()), qCeil(extent.height())) + chrome();
}

QPointF Fen_QorLabel::textOrigin(const QTextLayout &layout) const
{
    const QRectF area = textArea();
    const qreal spare = area.height() - layout.boundingRect().height();
    const Qt::Alignment vertical = alignment() & Qt::AlignVertical_Mask;
    qreal top = area.top() + spare / 2.0;
    if (vertical & Qt::AlignTop)
        top = area.top();
    else if (vertical & Qt::AlignBottom)
        top = area.top() + spare;
    return { area.left(), top };
}
