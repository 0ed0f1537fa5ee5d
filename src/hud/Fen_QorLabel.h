#pragma once

#include <QLabel>
#include <QList>
#include <QRectF>
#include <QString>

class QTextLayout;

/*!
 * \brief The HUD's text label: a QLabel whose plain text never runs past its edges.
 *
 * With word wrap on, lines break at word boundaries where they can and anywhere inside a word
 * that is wider than the label (a long address, say), so the text always fits the label's
 * width; sizeHint() is the unwrapped text and heightForWidth() the height wrapped at a width.
 * With word wrap off every line stays a single line (explicit line breaks are kept) and a line
 * wider than the label is elided at its end with "…"; sizeHint() is still the full text, so a
 * layout that has the room shows it whole.
 *
 * Painting and sizes come from the same text layout. Rich text, pictures and movies are left to
 * QLabel.
 */
class Fen_QorLabel : public QLabel
{
    Q_OBJECT

public:
    /*! One painted line: its text (elided where it was) and where it is drawn, in the label's
     * coordinates. */
    struct Line
    {
        QString text;
        QRectF rect;
    };

    explicit Fen_QorLabel(QWidget *parent = nullptr);

    /*! The lines as painted at the label's current size; empty when QLabel paints the content. */
    QList<Line> lines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool showsPlainText() const;
    QSize chrome() const;
    QRectF textArea() const;
    void layOut(QTextLayout &layout, qreal width) const;
    QSize sizeForWidth(qreal width) const;
    QPointF textOrigin(const QTextLayout &layout) const;
};
