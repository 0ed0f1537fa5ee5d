#pragma once

#include "Endpoints.h"
#include "ItemDownloadJob.h"
#include "ResolveJob.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class BusyIndicator;
class GalleryView;
class PlayerRelay;
class PlayerView;
class QLabel;
class QLineEdit;
class QMediaPlayer;
class QStackedWidget;
class QTemporaryDir;
namespace Ui {
class ViewController;
}

/*!
 * \brief The application's one screen: paste or type a share text, link or video ID, resolve it
 * to its play address, play it over the placeholder (or show a gallery's pictures there), copy
 * it, or download and save the video or the pictures.
 *
 * Its controls come from ViewController.ui; the screen's code creates none of them but the
 * player and the gallery, which go into the media stack beside the placeholder. What the screen
 * does is one State at a time: the stack's page, the waiting indicator and what may start follow
 * it. A parse
 * answers through the screen's event queue (ResolveJob), so the waiting indicator is
 * always shown before the address is stored and played, and that before the indicator is hidden
 * again.
 *
 * While a parse or a download runs (the waiting indicator covers the screen) the actions that
 * would start another one are ignored; Escape or the indicator's button cancels it. A failure
 * stays on screen with its reason until the user clicks or presses a key (StickyMessage). Copy
 * and download are enabled only while there is something to copy: a play address or pictures.
 */
class ViewController : public QWidget
{
    Q_OBJECT

public:
    /*! What the screen is doing. A parse goes from any state that is not busy to Resolving and
     *  on to ShowingVideo, ShowingGallery or Failed (or back where it came from when cancelled);
     *  a download goes from the state that shows the item to Downloading and back. */
    enum class State { Idle, Resolving, ShowingVideo, ShowingGallery, Downloading, Failed };
    Q_ENUM(State)

    Q_INVOKABLE explicit ViewController(QWidget *parent = nullptr);
    ~ViewController() override;

    State state() const;

    /*! The text field of the share text (not owned; the widget tree owns it). */
    QLineEdit *textField() const;
    void setTextField(QLineEdit *textField);
    /*! The placeholder, the media stack's page while there is nothing to show (not owned). */
    QLabel *videoView() const;
    /*! The pages of the placeholder, the player view and the gallery view (not owned). */
    QStackedWidget *mediaStack() const;
    /*! The player view, created by the first playback and kept from then on. */
    PlayerView *playerView() const;
    /*! The current player, replaced by every playback. */
    QMediaPlayer *player() const;
    /*! The gallery view, created by the first gallery and kept from then on. */
    GalleryView *galleryView() const;
    /*! The current play address: absent until a parse sets it, absent again after a failed one. */
    std::optional<QString> videoUrl() const;
    void setVideoUrl(const std::optional<QString> &videoUrl);
    /*! The pictures of the parsed gallery item; empty for a video. */
    QStringList images() const;
    /*! The download, while it runs. */
    ItemDownloadJob *currentDownload() const;
    /*! The waiting indicator of parses and downloads. */
    BusyIndicator *busyIndicator() const;
    /*! True while a parse, a download or an album copy runs: Resolving or Downloading. */
    bool isBusy() const;

    /*! The platform the parse talks to; the real one by default. */
    Endpoints endpoints() const;
    void setEndpoints(const Endpoints &endpoints);

    /*! The first short link in \a text, or nothing. */
    std::optional<QString> extractDouyinURLFromString(const QString &text) const;

    /*! Queues the playback of \a address on the screen's thread. */
    void play(const std::optional<QString> &address);
    /*! Starts a new player for \a url in the player view, creating the view on the first call. */
    void startPlayer(const QUrl &url);

public Q_SLOTS:
    void paste();
    void parse();
    void copyPlayAddress();
    void download();
    /*! Cancels the running parse or download; nothing when none runs. */
    void cancel();

Q_SIGNALS:
    void stateChanged(ViewController::State state);
    /*! A paste held several links: they are for the download queue, not for this screen. */
    void linksForQueue(const QStringList &links);
    /*! A parse found \a result's item. */
    void itemResolved(const ResolveJob::Result &result);
    /*! A download of \a item ended with \a outcome (its files, saved or in part). */
    void downloadEnded(const ItemDownloadJob::Item &item, const JobOutcome &outcome);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nameClearButton();
    void setState(State state);
    void startWork(State busyState);
    void endWork();
    void showPage(QWidget *page);
    void finishParse(const ResolveJob::Result &result);
    void showParseFailure(const ResolveJob::Result &result);
    void showItem(const std::optional<VideoInfo> &record);
    void showGallery(const QStringList &images);
    static QUrl urlFromText(const std::optional<QString> &address);
    void updateActions();
    void updateTabOrder();

    /*! The paste action; false when the pasteboard holds nothing it takes. */
    bool takePastedText();
    bool takeAnyLink(const QString &text);
    void addToMediaStack(QWidget *view);
    bool makeStagingFolder();
    void downloadFinished(const ItemDownloadJob &job, const JobOutcome &outcome);
    void showDownloadFailure(const ItemDownloadJob &job, const JobOutcome &outcome,
                             const QString &album);
    void finishDownload();
    void showCancelled();
    void showNote(const QString &text);
    QString savedBeforeTheFailure(const JobOutcome &outcome, const QString &album) const;
    void showSaved(const QString &albumDirectory);
    void openFolder(const QString &directory);
    void showDownloadError(const QString &reason);

    std::unique_ptr<Ui::ViewController> m_ui;
    State m_state = State::Idle;
    // Where a parse or a download returns: a cancelled parse and every download end there.
    State m_stateBeforeWork = State::Idle;
    QPointer<QLineEdit> m_textField;
    PlayerView *m_playerView = nullptr;
    QMediaPlayer *m_player = nullptr;
    GalleryView *m_galleryView = nullptr;
    std::optional<QString> m_videoUrl;
    QStringList m_images;
    ItemDownloadJob::Item m_item; // what the download saves and names its files after
    QPointer<ItemDownloadJob> m_download;
    // The download's own folder in the caches directory: the files are staged there, and the
    // folder goes once the album holds them.
    std::unique_ptr<QTemporaryDir> m_staging;
    Endpoints m_endpoints;
    ResolveJob *m_resolve;
    BusyIndicator *m_busy;
    PlayerRelay *m_relay;
};
