#include "GallerySections.h"

#include "Fen_QorActivityIndicatorView.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorBarProgressView.h"
#include "Fen_QorBlurEffectView.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorRoundProgressView.h"

#include <QDir>
#include <QPainter>
#include <QWidget>

namespace {

// A dark panel like the HUD's, so that white strokes show.
QWidget *darkPanel(QSize size, QWidget *parent = nullptr)
{
    auto *panel = new QWidget(parent);
    panel->resize(size);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(40, 44, 52));
    panel->setPalette(palette);
    return panel;
}

// Stripes, discs and text in many colours: a blur over it must show soft colour fields.
class BusyBackdrop : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor colours[] = { QColor(230, 57, 70), QColor(241, 196, 15), QColor(46, 204, 113),
                                   QColor(52, 152, 219), QColor(155, 89, 182) };
        const int stripe = 16;
        for (int x = -height(), i = 0; x < width(); x += stripe, ++i) {
            QPolygon band;
            band << QPoint(x, height()) << QPoint(x + height(), 0)
                 << QPoint(x + height() + stripe, 0) << QPoint(x + stripe, height());
            painter.setPen(Qt::NoPen);
            painter.setBrush(colours[i % 5]);
            painter.drawPolygon(band);
        }
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(width() * 0.3, height() * 0.5), 30, 30);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(width() * 0.7, height() * 0.45), 24, 24);
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(24);
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignBottom | Qt::AlignHCenter, QStringLiteral("Kivora"));
    }
};

QString progressName(float progress)
{
    return QString::number(static_cast<double>(progress));
}

int renderRoundViews(const QDir &out)
{
    int failures = 0;
    for (const bool annular : { false, true }) {
        for (const float progress : { 0.0f, 0.25f, 0.5f, 1.0f }) {
            QWidget *panel = darkPanel(QSize(57, 57));
            auto *view = new Fen_QorRoundProgressView(panel);
            view->move(10, 10);
            view->setAnnular(annular);
            view->setProgress(progress);
            const QString kind = annular ? QStringLiteral("annular") : QStringLiteral("pie");
            failures
                += !saveWidgetImage(panel, out, u"round-" + kind + u'-' + progressName(progress));
            delete panel;
        }
    }
    return failures;
}

int renderBarViews(const QDir &out)
{
    int failures = 0;
    for (const QSize size : { QSize(120, 10), QSize(200, 20) }) {
        for (const float progress : { 0.0f, 0.01f, 0.5f, 0.97f, 1.0f }) {
            QWidget *panel = darkPanel(size + QSize(20, 20));
            auto *view = new Fen_QorBarProgressView(QRect(QPoint(10, 10), size), panel);
            view->setProgress(progress);
            const QString dimensions = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
            failures += !saveWidgetImage(panel, out,
                                         u"bar-" + dimensions + u'-' + progressName(progress));
            delete panel;
        }
    }
    return failures;
}

int renderBackgroundViews(const QDir &out)
{
    struct Variant
    {
        QString name;
        Fen_QorProgressHUDBackgroundStyle style;
        qint64 blurEffectStyle;
    };
    const Variant variants[] = {
        { QStringLiteral("background-solid"), Fen_QorProgressHUDBackgroundStyleSolidColor,
          Fen_QorBlurEffectStyleLight },
        { QStringLiteral("background-blur-light"), Fen_QorProgressHUDBackgroundStyleBlur,
          Fen_QorBlurEffectStyleLight },
        { QStringLiteral("background-blur-extralight"), Fen_QorProgressHUDBackgroundStyleBlur,
          Fen_QorBlurEffectStyleExtraLight },
        { QStringLiteral("background-blur-dark"), Fen_QorProgressHUDBackgroundStyleBlur,
          Fen_QorBlurEffectStyleDark },
    };
    int failures = 0;
    for (const Variant &variant : variants) {
        BusyBackdrop backdrop;
        backdrop.resize(260, 160);
        auto *view = new Fen_QorBackgroundView(QRect(50, 30, 160, 100), &backdrop);
        view->setCornerRadius(5.0);
        view->setBlurEffectStyle(variant.blurEffectStyle);
        view->setStyle(variant.style);
        backdrop.setAttribute(Qt::WA_DontShowOnScreen);
        backdrop.show();
        if (auto *blur = qobject_cast<Fen_QorBlurEffectView *>(view->effectView()))
            processEventsUntil([blur] { return blur->snapshotCount() > 0; }, 2000);
        failures += !saveWidgetImage(&backdrop, out, variant.name);
    }
    return failures;
}

int renderButtons(const QDir &out)
{
    int failures = 0;
    for (const bool highlighted : { false, true }) {
        QWidget *panel = darkPanel(QSize(140, 60));
        auto *button = new Fen_QorProgressHUDRoundedButton(panel);
        QFont font = button->font();
        font.setBold(true);
        font.setPixelSize(12); // as in the HUD
        button->setFont(font);
        button->setText(QStringLiteral("Cancel"));
        button->setTitleColor(Qt::white, Fen_QorProgressHUDRoundedButton::StateNormal);
        QObject::connect(button, &QAbstractButton::clicked, panel, [] {});
        button->resize(button->sizeHint());
        button->move((panel->width() - button->width()) / 2,
                     (panel->height() - button->height()) / 2);
        button->setHighlighted(highlighted);
        failures += !saveWidgetImage(panel, out,
                                     highlighted ? QStringLiteral("button-highlighted")
                                                 : QStringLiteral("button-normal"));
        delete panel;
    }
    return failures;
}

int renderSpinner(const QDir &out)
{
    QWidget *panel = darkPanel(QSize(57, 57));
    auto *spinner = new Fen_QorActivityIndicatorView(panel);
    spinner->move(10, 10);
    spinner->setColor(Qt::white);
    spinner->startAnimating();
    const int failures = !saveWidgetImage(panel, out, QStringLiteral("spinner"));
    delete panel;
    return failures;
}

} // namespace

int renderBuildingBlocks(const QDir &out)
{
    return renderRoundViews(out) + renderBarViews(out) + renderBackgroundViews(out)
        + renderButtons(out) + renderSpinner(out);
}
