#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Fen_QorProgressHUD;
class QWidget;

/*!
 * \brief The waiting indicator of a parse or a download, with a button that cancels it and, for
 * a download, its progress.
 *
 * It is the screen's waiting HUD (qor_showWaiting) with a "Cancel" button. While a download
 * knows its size the HUD shows an annular progress ring and "received of total (percent)"; while
 * the size is unknown it shows the spinner and the bytes so far. During the album copy it shows
 * the spinner titled "Saving", without the button: that step cannot be cancelled.
 */
class BusyIndicator : public QObject
{
    Q_OBJECT

public:
    explicit BusyIndicator(QWidget *screen);

    /*! Shows the waiting HUD; its button emits cancelRequested(). */
    void show();
    /*! Shows the progress of a transfer of \a total bytes (unknown when not positive), with
     *  \a what (e.g. "Image 2 of 3") above it when not empty. */
    void setProgress(qint64 received, qint64 total, const QString &what = QString());
    /*! Shows the uncancellable saving step. */
    void showSaving();
    /*! Hides the HUD when it is still this indicator's. */
    void hide();

    /*! The HUD while it shows, else nullptr. */
    Fen_QorProgressHUD *hud() const;
    bool isShowing() const;

    /*! "1.2 MB of 3.4 MB (35 %)", or "1.2 MB" when \a total is unknown. */
    static QString progressText(qint64 received, qint64 total);

Q_SIGNALS:
    void cancelRequested();

private:
    QWidget *m_screen;
    QPointer<Fen_QorProgressHUD> m_hud;
};
