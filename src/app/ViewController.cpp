#include "ViewController.h"

#include "ui_ViewController.h"

#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "KivoraLog.h"
#include "PlayerView.h"
#include "ShareText.h"
#include "ShareTextResolver.h"
#include "VideoAlbum.h"
#include "VideoDownloader.h"
#include "VideoInfo.h"

#include <QAudioOutput>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlayer>

using namespace Qt::StringLiterals;

ViewController::ViewController(QWidget *parent)
    : QWidget(parent),
      m_ui(std::make_unique<Ui::ViewController>()),
      m_resolver(new ShareTextResolver(m_endpoints, this))
{
    connect(m_resolver, &ShareTextResolver::resolved, this, &ViewController::finishParse);
    m_ui->setupUi(this);
    setTextField(m_ui->textField);
    setVideoView(m_ui->videoView);
}

ViewController::~ViewController() = default;

QLineEdit *ViewController::textField() const
{
    return m_textField;
}

void ViewController::setTextField(QLineEdit *textField)
{
    if (m_textField)
        m_textField->removeEventFilter(this);
    m_textField = textField;
    if (m_textField)
        m_textField->installEventFilter(this);
}

QLabel *ViewController::videoView() const
{
    return m_videoView;
}

void ViewController::setVideoView(QLabel *videoView)
{
    if (m_videoView)
        m_videoView->removeEventFilter(this);
    m_videoView = videoView;
    if (m_videoView)
        m_videoView->installEventFilter(this);
}

PlayerView *ViewController::playerView() const
{
    return m_playerView;
}

QMediaPlayer *ViewController::player() const
{
    return m_player;
}

std::optional<QString> ViewController::videoUrl() const
{
    return m_videoUrl;
}

void ViewController::setVideoUrl(const std::optional<QString> &videoUrl)
{
    m_videoUrl = videoUrl;
}

VideoDownloader *ViewController::currentDownload() const
{
    return m_currentDownload;
}

Endpoints ViewController::endpoints() const
{
    return m_endpoints;
}

void ViewController::setEndpoints(const Endpoints &endpoints)
{
    m_endpoints = endpoints;
    m_resolver->setEndpoints(endpoints);
}

std::optional<QString> ViewController::extractDouyinURLFromString(const QString &text) const
{
    return ShareText::extractDouyinURLFromString(text, m_endpoints);
}

void ViewController::paste()
{
    takePastedText();
}

bool ViewController::takePastedText()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.size() <= 1 || !m_textField)
        return false;
    if (const std::optional<QString> address = ShareText::directPlayAddress(text)) {
        m_textField->setText(*address);
        return true;
    }
    const std::optional<QString> link = ShareText::linkFromPastedText(text, m_endpoints);
    if (!link)
        return false;
    qCInfo(lcKivora).noquote() << u"srcUrl: "_s + *link;
    m_textField->setText(*link);
    parse();
    return true;
}

void ViewController::parse()
{
    QMetaObject::invokeMethod(
        this, [this] { qor_showWaiting(this); }, Qt::QueuedConnection);
    // The answer comes back through the event queue, after the waiting indicator is up.
    m_resolver->resolve(m_textField ? m_textField->text() : QString());
}

void ViewController::finishParse(const ShareTextResolver::Result &result)
{
    // A play address given as it is has no record to log.
    if (result.record)
        qCInfo(lcKivora).noquote() << u"Kivora "_s + result.record->toString();
    // Stored before the playback starts; a failed parse clears an earlier address.
    setVideoUrl(result.playAddress);
    startPlayer(urlFromText(result.playAddress));
    qor_hideHUD(this);
}

void ViewController::copyPlayAddress()
{
    if (!m_videoUrl)
        return;
    QGuiApplication::clipboard()->setText(*m_videoUrl);
    qor_showMessage(this, u"保存成功\n"_s + *m_videoUrl);
}

void ViewController::download()
{
    if (!m_videoUrl)
        return;
    QMetaObject::invokeMethod(
        this, [this] { qor_showWaiting(this); }, Qt::QueuedConnection);

    const QUrl url = urlFromText(m_videoUrl);
    if (url.isEmpty()) {
        const QString reason = m_videoUrl->isEmpty()
            ? tr("The play address is empty")
            : tr("The play address is not a valid address: %1").arg(*m_videoUrl);
        QMetaObject::invokeMethod(
            this, [this, reason] { showDownloadError(reason); }, Qt::QueuedConnection);
        return;
    }
    auto *downloader = new VideoDownloader(this);
    m_currentDownload = downloader;
    connect(downloader, &VideoDownloader::finished, this,
            [this, downloader](const VideoDownloader::Result &result) {
                downloadFinished(downloader, result.ok, result.filePath, result.errorString);
            });
    m_currentDownload->start(url);
}

void ViewController::downloadFinished(VideoDownloader *downloader, bool ok, const QString &filePath,
                                      const QString &errorString)
{
    downloader->deleteLater();
    if (!ok) {
        showDownloadError(errorString);
        return;
    }
    if (!VideoAlbum::isCompatible(filePath)) {
        QFile::remove(filePath);
        showDownloadError(tr("The file is not a video"));
        return;
    }
    saveToAlbum(filePath);
}

void ViewController::saveToAlbum(const QString &filePath)
{
    auto *album = new VideoAlbum(this);
    connect(album, &VideoAlbum::saved, this, [this, album] {
        album->deleteLater();
        qor_showMessage(this, u"保存成功"_s);
    });
    connect(album, &VideoAlbum::saveFailed, this,
            [this, album](const QString &, const QString &error) {
                album->deleteLater();
                qor_showError(this, u"保存失败\n"_s + error);
            });
    album->save(filePath);
}

void ViewController::showDownloadError(const QString &reason)
{
    qor_showError(this, u"下载失败\n"_s + reason);
}

void ViewController::play(const std::optional<QString> &address)
{
    QMetaObject::invokeMethod(
        this, [this, address] { startPlayer(urlFromText(address)); }, Qt::QueuedConnection);
}

void ViewController::startPlayer(const QUrl &url)
{
    if (!m_playerView) {
        m_playerView = new PlayerView(this);
        m_playerView->setVideoGravity(Qt::KeepAspectRatio);
        m_playerView->setShowsPlaybackControls(true);
        followPlaceholder();
        m_playerView->raise();
        keepHUDsOnTop();
        m_playerView->show();
    }
    QMediaPlayer *previous = m_player;
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(new QAudioOutput(m_player));
    m_player->setSource(url);
    m_playerView->setPlayer(m_player);
    if (previous) {
        previous->stop();
        previous->deleteLater();
    }
    m_player->play();
}

// A HUD already showing (the parse's waiting indicator, a download's) stays above the player view
// that the first playback puts on top of the screen.
void ViewController::keepHUDsOnTop()
{
    const QObjectList children = Fen_QorHostView(this)->children();
    for (QObject *child : children) {
        if (auto *hud = qobject_cast<Fen_QorProgressHUD *>(child))
            hud->raise();
    }
}

void ViewController::followPlaceholder()
{
    if (m_playerView && m_videoView)
        m_playerView->setGeometry(QRect(m_videoView->mapTo(this, QPoint()), m_videoView->size()));
}

void ViewController::mousePressEvent(QMouseEvent *)
{
    // A press on the screen's background ends editing, as a tap outside the field closes the
    // keyboard on a phone.
    if (m_textField)
        m_textField->clearFocus();
}

void ViewController::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    followPlaceholder();
}

bool ViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_videoView
        && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        followPlaceholder();
    // Ctrl+V in the field goes through the paste action (which picks the link out of a share
    // text); what the action does not take (a video ID, an http link, any other text) the field
    // pastes as usual.
    if (watched == m_textField && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste))
        return takePastedText();
    return QWidget::eventFilter(watched, event);
}

QUrl ViewController::urlFromText(const std::optional<QString> &address)
{
    if (!address)
        return {};
    const QUrl url(*address, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}
