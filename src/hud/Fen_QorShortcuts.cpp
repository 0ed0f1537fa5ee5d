#include "Fen_QorShortcuts.h"

#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "NavigationController.h"

#include <QColor>
#include <QFont>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

constexpr double TextMessageDuration = 1.5;
constexpr int detailsPixelSize = 16;
constexpr int loadingDetailsPixelSize = 14;

// The veil is black at 20 %; the alpha is the single-precision 0.2 widened, as the HUD kit's
// colours are given.
QColor veilColor()
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.2f);
}

// The HUD's details font: the application font, bold, at a size in device-independent pixels.
QFont boldFont(int pixelSize)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

// A HUD for the screen's host view that the kit owns: once hidden it leaves and is deleted.
Fen_QorProgressHUD *newKitHUD(QWidget *screen)
{
    auto *hud = new Fen_QorProgressHUD(Fen_QorHostView(screen));
    Fen_QorProgressHUDPrivate::get(hud)->setOwnedByKit();
    return hud;
}

void addToHost(Fen_QorProgressHUD *hud, QWidget *host)
{
    hud->setParent(host);
    hud->raise();
    hud->show();
}

// The first steps of the waiting, loading and saving family: a spinner HUD with the veil, a
// black bezel and white content, not yet added.
Fen_QorProgressHUD *createSpinnerHUD(QWidget *screen)
{
    Fen_QorClearHUD(screen);
    Fen_QorProgressHUD *hud = newKitHUD(screen);
    hud->backgroundView()->setColor(veilColor());
    hud->bezelView()->setColor(Qt::black);
    hud->setContentColor(Qt::white);
    return hud;
}

// The last steps of that family: removal on hide, touch handling, show and the optional hide.
void presentSpinnerHUD(QWidget *screen, Fen_QorProgressHUD *hud, double delay, bool enable)
{
    hud->setRemoveFromSuperViewOnHide(true);
    hud->setUserInteractionEnabled(!enable);
    addToHost(hud, Fen_QorHostView(screen));
    hud->showAnimated(true);
    if (delay != 0.0)
        hud->hideAnimated(true, delay);
}

void showTitledSpinner(QWidget *screen, const QString &title, double delay, bool enable)
{
    Fen_QorProgressHUD *hud = createSpinnerHUD(screen);
    hud->label()->setText(title);
    presentSpinnerHUD(screen, hud, delay, enable);
}

// The timed text messages: no veil, black bezel, white text, gone after 1.5 s.
Fen_QorProgressHUD *createTextHUD(QWidget *screen)
{
    Fen_QorClearHUD(screen);
    Fen_QorProgressHUD *hud = newKitHUD(screen);
    hud->setContentColor(Qt::white);
    hud->bezelView()->setColor(Qt::black);
    hud->setMode(Fen_QorProgressHUDModeText);
    return hud;
}

void presentTextHUD(QWidget *screen, Fen_QorProgressHUD *hud)
{
    hud->setRemoveFromSuperViewOnHide(true);
    addToHost(hud, Fen_QorHostView(screen));
    hud->showAnimated(true);
    hud->hideAnimated(true, TextMessageDuration);
}

void showDetailsMessage(QWidget *screen, const QString &message)
{
    Fen_QorProgressHUD *hud = createTextHUD(screen);
    hud->detailsLabel()->setText(message);
    hud->detailsLabel()->setFont(boldFont(detailsPixelSize));
    presentTextHUD(screen, hud);
}

} // namespace

void qor_showSuccess(QWidget *screen, const QString &message)
{
    Fen_QorProgressHUD *hud = createTextHUD(screen);
    hud->label()->setText(message);
    presentTextHUD(screen, hud);
}

void qor_showError(QWidget *screen, const QString &message)
{
    showDetailsMessage(screen, message);
}

void qor_showMessage(QWidget *screen, const QString &message)
{
    showDetailsMessage(screen, message);
}

void qor_showWaiting(QWidget *screen)
{
    qor_showWaitingDelay(screen, 0.0, false);
}

void qor_showWaitingDelay(QWidget *screen, double delay, bool enable)
{
    presentSpinnerHUD(screen, createSpinnerHUD(screen), delay, enable);
}

void qor_showLoading(QWidget *screen)
{
    qor_showLoadingDelay(screen, 0.0, false);
}

void qor_showLoadingDelay(QWidget *screen, double delay, bool enable)
{
    showTitledSpinner(screen, u"正在加载"_s, delay, enable);
}

void qor_showLoadingWithMessage(QWidget *screen, const QString &message)
{
    qor_showLoadingWithMessage(screen, message, 0.0, false);
}

void qor_showLoadingWithMessage(QWidget *screen, const QString &message, double delay, bool enable)
{
    Fen_QorProgressHUD *hud = createSpinnerHUD(screen);
    hud->detailsLabel()->setText(message);
    hud->detailsLabel()->setFont(boldFont(loadingDetailsPixelSize));
    presentSpinnerHUD(screen, hud, delay, enable);
}

void qor_showSaving(QWidget *screen)
{
    qor_showSavingDelay(screen, 0.0, false);
}

void qor_showSavingDelay(QWidget *screen, double delay, bool enable)
{
    showTitledSpinner(screen, u"正在保存"_s, delay, enable);
}

void qor_showMessage(QWidget *screen, const QString &message, const std::function<void()> &action)
{
    Fen_QorClearHUD(screen);
    Fen_QorProgressHUD *hud = Fen_QorProgressHUD::showHUDAddedTo(Fen_QorHostView(screen), true);
    hud->setMode(Fen_QorProgressHUDModeCustomView);
    hud->detailsLabel()->setText(message);
    hud->detailsLabel()->setFont(boldFont(detailsPixelSize));
    hud->button()->setText(u"退出"_s);
    QObject::connect(hud->button(), &QPushButton::clicked, screen, action);
}

void qor_hideHUD(QWidget *screen)
{
    Fen_QorProgressHUD::hideHUDForView(Fen_QorHostView(screen), true);
}

QWidget *Fen_QorHostView(QWidget *screen)
{
    if (NavigationController *navigation = NavigationController::navigationControllerOf(screen))
        return navigation;
    return screen;
}

bool Fen_QorHasHUD(QWidget *screen)
{
    return Fen_QorProgressHUD::HUDForView(Fen_QorHostView(screen)) != nullptr;
}

void Fen_QorClearHUD(QWidget *screen)
{
    if (Fen_QorHasHUD(screen))
        qor_hideHUD(screen);
}
