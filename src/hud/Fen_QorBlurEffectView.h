#pragma once

#include "Fen_QorEnums.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

/*!
 * \brief A view that shows a blurred picture of what lies behind its parent in the window.
 *
 * It is meant to be the back-most child of a Fen_QorBackgroundView. Behind means: for every
 * ancestor of the parent up to the window, the ancestor's own painting and those of its children
 * that lie below the path to the parent. The picture is taken when the view is shown and when
 * the parent or one of its ancestors moves or resizes (coalesced into one refresh per event-loop
 * pass), never while painting, so a repaint costs one scaled image draw. Over the picture it
 * paints the parent's own background colour and the style's tint, clipped to the parent's
 * corner radius.
 */
class Fen_QorBlurEffectView : public QWidget
{
    Q_OBJECT

public:
    explicit Fen_QorBlurEffectView(qint64 blurEffectStyle, QWidget *parent = nullptr);
    ~Fen_QorBlurEffectView() override;

    qint64 blurEffectStyle() const { return m_blurEffectStyle; }

    /*! The blurred backdrop of the last refresh, at a quarter of the view's size, untinted. */
    QImage blurredBackdrop() const { return m_blurred; }

    /*! Number of backdrop snapshots taken so far; lets callers check that refreshes coalesce. */
    int snapshotCount() const { return m_snapshotCount; }

    /*! Asks for a new snapshot at the next event-loop pass; repeated requests coalesce. */
    void scheduleRefresh();

    /*! Colour painted over the blur for \a blurEffectStyle. */
    static QColor tintForStyle(qint64 blurEffectStyle);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void watchAncestors();
    QImage snapshotBehindParent() const;

    qint64 m_blurEffectStyle;
    QTimer m_refreshTimer;
    QList<QPointer<QWidget>> m_watched;
    QImage m_blurred;
    int m_snapshotCount = 0;
    bool m_refreshing = false;
};
