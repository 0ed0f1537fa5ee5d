#include "GallerySections.h"

#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QVariantAnimation>

namespace {

// A host screen with a checkerboard, a colour wheel and text, so that the veil and the bezel's
// blur have something to act on.
class CheckeredScreen : public QWidget
{
public:
    CheckeredScreen() { resize(260, 300); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int cell = 20;
        for (int y = 0; y < height(); y += cell) {
            for (int x = 0; x < width(); x += cell) {
                const int hue = (x * 360 / width() + y / 2) % 360;
                painter.fillRect(x, y, cell, cell,
                                 QColor::fromHsv(hue, (x / cell + y / cell) % 2 ? 200 : 90, 235));
            }
        }
        QConicalGradient wheel(QPointF(width() / 2.0, height() / 2.0), 90);
        for (int stop = 0; stop <= 6; ++stop)
            wheel.setColorAt(stop / 6.0, QColor::fromHsv((stop * 60) % 360, 255, 255));
        painter.setBrush(wheel);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(width() / 2.0, height() / 2.0), 70, 70);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(26);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(rect().adjusted(0, 10, 0, -10), Qt::AlignTop | Qt::AlignHCenter,
                         QStringLiteral("Kivora 抖音"));
    }
};

// A HUD shown at once (no animation) over a fresh screen, configured by \a configure.
bool saveShownHud(const QDir &out, const QString &name,
                  const std::function<void(Fen_QorProgressHUD *)> &configure)
{
    CheckeredScreen screen;
    auto *hud = new Fen_QorProgressHUD(&screen);
    configure(hud);
    hud->setParent(&screen);
    hud->show();
    hud->showAnimated(false);
    processEventsUntil([hud] { return !hud->bezelView()->geometry().isEmpty(); }, 1000);
    return saveWidgetImage(&screen, out, name);
}

int renderModes(const QDir &out)
{
    // The custom view stays ours: each HUD takes it back out of its bezel when it goes.
    QLabel check(QStringLiteral("✔"));
    QFont checkFont = check.font();
    checkFont.setPixelSize(37);
    check.setFont(checkFont);
    const QString title = QStringLiteral("Loading");
    const auto withTitle = [title](Fen_QorProgressHUDMode mode, float progress) {
        return [=](Fen_QorProgressHUD *hud) {
            hud->setMode(mode);
            hud->setProgress(progress);
            hud->label()->setText(title);
        };
    };
    const QList<std::pair<QString, std::function<void(Fen_QorProgressHUD *)>>> pictures {
        { QStringLiteral("hud-mode-spinner"), withTitle(Fen_QorProgressHUDModeSpinner, 0.0f) },
        { QStringLiteral("hud-mode-round-0.6"),
          withTitle(Fen_QorProgressHUDModeRoundProgress, 0.6f) },
        { QStringLiteral("hud-mode-annular-0.6"),
          withTitle(Fen_QorProgressHUDModeAnnularProgress, 0.6f) },
        { QStringLiteral("hud-mode-bar-0.6"), withTitle(Fen_QorProgressHUDModeBarProgress, 0.6f) },
        { QStringLiteral("hud-mode-custom-view"),
          [&check](Fen_QorProgressHUD *hud) {
              hud->setCustomView(&check);
              hud->setMode(Fen_QorProgressHUDModeCustomView);
              hud->label()->setText(QStringLiteral("Done"));
          } },
        { QStringLiteral("hud-mode-text"),
          [](Fen_QorProgressHUD *hud) {
              hud->setMode(Fen_QorProgressHUDModeText);
              hud->label()->setText(QStringLiteral("Copied"));
          } },
        { QStringLiteral("hud-title-details-button"),
          [](Fen_QorProgressHUD *hud) {
              hud->label()->setText(QStringLiteral("Downloading"));
              hud->detailsLabel()->setText(
                  QStringLiteral("The video is saved to the album when it is complete."));
              hud->button()->setText(QStringLiteral("退出"));
              QObject::connect(hud->button(), &QPushButton::clicked, hud, [] {});
          } },
        { QStringLiteral("hud-square"),
          [](Fen_QorProgressHUD *hud) {
              hud->label()->setText(QStringLiteral("A wide title"));
              hud->setSquare(true);
          } },
        { QStringLiteral("hud-min-size-200x120"),
          [](Fen_QorProgressHUD *hud) { hud->setMinSize(QSizeF(200, 120)); } },
        { QStringLiteral("hud-offset-0-80"),
          [](Fen_QorProgressHUD *hud) {
              hud->label()->setText(QStringLiteral("Lower"));
              hud->setOffset(QPointF(0, 80));
          } },
        { QStringLiteral("hud-content-red"),
          [](Fen_QorProgressHUD *hud) {
              hud->setMode(Fen_QorProgressHUDModeAnnularProgress);
              hud->setProgress(0.6f);
              hud->label()->setText(QStringLiteral("Red"));
              hud->setContentColor(Qt::red);
          } },
    };
    int failures = 0;
    for (const auto &[name, configure] : pictures)
        failures += !saveShownHud(out, name, configure);
    return failures;
}

// Frames of the animated show: the first frame, one a fifth of the way in, and the last.
int renderShowAnimation(const QDir &out)
{
    const QList<std::pair<QString, Fen_QorProgressHUDAnimation>> types {
        { QStringLiteral("fade"), Fen_QorProgressHUDAnimationFade },
        { QStringLiteral("grow-shrink"), Fen_QorProgressHUDAnimationGrowShrink },
        { QStringLiteral("shrink"), Fen_QorProgressHUDAnimationShrink },
        { QStringLiteral("grow"), Fen_QorProgressHUDAnimationGrow },
    };
    const QList<std::pair<QString, int>> frames {
        { QStringLiteral("start"), 0 },
        { QStringLiteral("middle"), 60 },
        { QStringLiteral("end"), 300 },
    };
    int failures = 0;
    for (const auto &[typeName, type] : types) {
        for (const auto &[frameName, time] : frames) {
            CheckeredScreen screen;
            auto *hud = new Fen_QorProgressHUD(&screen);
            hud->setAnimationType(type);
            hud->label()->setText(QStringLiteral("Loading"));
            hud->setParent(&screen);
            hud->show();
            hud->showAnimated(true);
            auto *animation = hud->findChild<QVariantAnimation *>();
            animation->pause();
            processEventsUntil([hud] { return !hud->bezelView()->geometry().isEmpty(); }, 1000);
            animation->setCurrentTime(time);
            failures += !saveWidgetImage(&screen, out, u"hud-show-" + typeName + u'-' + frameName);
        }
    }
    return failures;
}

} // namespace

int renderHud(const QDir &out)
{
    return renderModes(out) + renderShowAnimation(out);
}
