#pragma once

#include "Endpoints.h"
#include "ShareTextResolver.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class PlayerView;
class QLabel;
class QLineEdit;
class QMediaPlayer;
class VideoDownloader;
namespace Ui {
class ViewController;
}

/*!
 * \brief The application's one screen: paste or type a share text, link or video ID, resolve it
 * to its play address, play it over the placeholder, copy it, or download and save the video.
 *
 * Its controls come from ViewController.ui; the screen's code creates none of them. A parse
 * answers through the screen's event queue (ShareTextResolver), so the waiting indicator is
 * always shown before the address is stored and played, and that before the indicator is hidden
 * again.
 */
class ViewController : public QWidget
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ViewController(QWidget *parent = nullptr);
    ~ViewController() override;

    /*! The text field of the share text (not owned; the widget tree owns it). */
    QLineEdit *textField() const;
    void setTextField(QLineEdit *textField);
    /*! The placeholder whose geometry the player takes (not owned). */
    QLabel *videoView() const;
    void setVideoView(QLabel *videoView);
    /*! The player view, created by the first playback and kept from then on. */
    PlayerView *playerView() const;
    /*! The current player, replaced by every playback. */
    QMediaPlayer *player() const;
    /*! The current play address: absent until a parse sets it, absent again after a failed one. */
    std::optional<QString> videoUrl() const;
    void setVideoUrl(const std::optional<QString> &videoUrl);
    /*! The most recent download, while it runs. */
    VideoDownloader *currentDownload() const;

    /*! The platform the parse talks to; the real one by default. */
    Endpoints endpoints() const;
    void setEndpoints(const Endpoints &endpoints);

    /*! The first short link in \a text, or nothing. */
    std::optional<QString> extractDouyinURLFromString(const QString &text) const;

    /*! Queues the playback of \a address on the screen's thread. */
    void play(const std::optional<QString> &address);
    /*! Starts a new player for \a url in the player view, creating the view on the first call. */
    void startPlayer(const QUrl &url);
    /*! Puts the player view exactly over the placeholder. */
    void followPlaceholder();

public Q_SLOTS:
    void paste();
    void parse();
    void copyPlayAddress();
    void download();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finishParse(const ShareTextResolver::Result &result);
    static QUrl urlFromText(const std::optional<QString> &address);

    /*! The paste action; false when the pasteboard holds nothing it takes. */
    bool takePastedText();
    void keepHUDsOnTop();
    void downloadFinished(VideoDownloader *downloader, bool ok, const QString &filePath,
                          const QString &errorString);
    void saveToAlbum(const QString &filePath);
    void showDownloadError(const QString &reason);

    std::unique_ptr<Ui::ViewController> m_ui;
    QPointer<QLineEdit> m_textField;
    QPointer<QLabel> m_videoView;
    PlayerView *m_playerView = nullptr;
    QMediaPlayer *m_player = nullptr;
    std::optional<QString> m_videoUrl;
    QPointer<VideoDownloader> m_currentDownload;
    Endpoints m_endpoints;
    ShareTextResolver *m_resolver;
};
