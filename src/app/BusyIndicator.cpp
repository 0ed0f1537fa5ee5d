#include "BusyIndicator.h"

#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "InterfaceLanguage.h"

#include <QLocale>

BusyIndicator::BusyIndicator(QWidget *screen) : QObject(screen), m_screen(screen) { }

void BusyIndicator::show()
{
    qor_showWaiting(m_screen);
    m_hud = Fen_QorProgressHUD::HUDForView(Fen_QorHostView(m_screen));
    if (!m_hud)
        return;
    m_hud->button()->setText(tr("Cancel"));
    connect(m_hud->button(), &QPushButton::clicked, this, &BusyIndicator::cancelRequested);
}

void BusyIndicator::setProgress(qint64 received, qint64 total, const QString &what)
{
    if (!isShowing())
        return;
    const bool sizeKnown = total > 0;
    m_hud->setMode(sizeKnown ? Fen_QorProgressHUDModeAnnularProgress
                             : Fen_QorProgressHUDModeSpinner);
    if (sizeKnown)
        m_hud->setProgress(float(double(qMin(received, total)) / double(total)));
    m_hud->label()->setText(what);
    m_hud->detailsLabel()->setText(progressText(received, total));
}

void BusyIndicator::showSaving()
{
    if (!isShowing())
        return;
    m_hud->setMode(Fen_QorProgressHUDModeSpinner);
    m_hud->label()->setText(tr("Saving"));
    m_hud->detailsLabel()->setText(QString());
    m_hud->button()->disconnect(this);
    m_hud->button()->setText(QString());
}

void BusyIndicator::hide()
{
    if (isShowing()) {
        m_hud->setRemoveFromSuperViewOnHide(true);
        m_hud->hideAnimated(true);
    }
    m_hud = nullptr;
}

Fen_QorProgressHUD *BusyIndicator::hud() const
{
    return m_hud;
}

bool BusyIndicator::isShowing() const
{
    return m_hud && !m_hud->hasFinished();
}

// The sizes in the window's language ("500 字节" or "500 bytes"), whatever the system's locale.
QString BusyIndicator::progressText(qint64 received, qint64 total)
{
    const QLocale locale(InterfaceLanguage::current());
    const auto size = [&locale](qint64 bytes) {
        return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    };
    if (total <= 0)
        return size(received);
    const int percent = int(100 * qMin(received, total) / total);
    return tr("%1 of %2 (%3 %)").arg(size(received), size(total)).arg(percent);
}
