#include "ViewController.h"

#include "ui_ViewController.h"

#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "ItemDownloadJob.h"
#include "KivoraLog.h"
#include "PlayerView.h"
#include "ResolveJob.h"
#include "ShareText.h"
#include "StickyMessage.h"
#include "VideoAlbum.h"
#include "VideoInfo.h"

#include <QAudioOutput>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMediaPlayer>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

void openFolder(const QString &directory)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(directory));
}

} // namespace

ViewController::ViewController(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ViewController>())
    , m_resolve(new ResolveJob(m_endpoints, this))
    , m_busy(new BusyIndicator(this))
{
    connect(m_resolve, &Job::finished, this, [this] { finishParse(m_resolve->result()); });
    connect(m_busy, &BusyIndicator::cancelRequested, this, &ViewController::cancel);
    m_ui->setupUi(this);
    setTextField(m_ui->textField);
    setVideoView(m_ui->videoView);
    m_ui->itemLabel->hide();
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &ViewController::cancel);
    updateActions();
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

GalleryView *ViewController::galleryView() const
{
    return m_galleryView;
}

std::optional<QString> ViewController::videoUrl() const
{
    return m_videoUrl;
}

void ViewController::setVideoUrl(const std::optional<QString> &videoUrl)
{
    m_videoUrl = videoUrl;
    m_item = {}; // an address set by itself has no record to name its file

    updateActions();
}

QStringList ViewController::images() const
{
    return m_images;
}

ItemDownloadJob *ViewController::currentDownload() const
{
    return m_download;
}

BusyIndicator *ViewController::busyIndicator() const
{
    return m_busy;
}

bool ViewController::isBusy() const
{
    return m_resolve->isRunning() || m_download;
}

Endpoints ViewController::endpoints() const
{
    return m_endpoints;
}

void ViewController::setEndpoints(const Endpoints &endpoints)
{
    m_endpoints = endpoints;
    m_resolve->setEndpoints(endpoints);
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
    if (isBusy())
        return true; // taken, and ignored: nothing may start under the waiting indicator
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
    if (isBusy())
        return;
    // Shown at once: the answer always comes back through the event queue, after this, and a
    // cancel (Escape) may come before any queued step would have run.
    m_busy->show();
    m_resolve->setText(m_textField ? m_textField->text() : QString());
    m_resolve->start();
}

void ViewController::finishParse(const ResolveJob::Result &result)
{
    // A play address given as it is has no record to log.
    if (result.record)
        qCInfo(lcKivora).noquote() << u"Kivora "_s + result.record->toString();
    if (result.failure && result.failure->kind() == FailureReason::Kind::Cancelled) {
        // The user changed their mind: what the screen showed before stays.
        m_busy->hide();
        showCancelled();
        return;
    }
    // Stored before the playback starts; a failed parse clears an earlier address.
    m_images = result.record ? result.record->images().value_or(QStringList()) : QStringList();
    setVideoUrl(result.playAddress);
    m_item = { result.record, result.playAddress.value_or(QString()),
               result.videoId.value_or(QString()) };
    showItem(result.record);
    if (result.record && result.record->kind() == VideoInfo::Kind::Gallery)
        showGallery(m_images);
    else
        startPlayer(urlFromText(result.playAddress));
    m_busy->hide();
    const bool nothingToShow
        = m_images.isEmpty() && result.playAddress.value_or(QString()).isEmpty();
    if (result.failure || nothingToShow)
        showParseFailure(result);
}

void ViewController::showParseFailure(const ResolveJob::Result &result)
{
    const QString reason = result.failure ? result.failure->description()
                                          : tr("The item has neither a video nor pictures");
    // The heading is the record's message, "解析失败！💦", in the user's language.
    StickyMessage::show(this, tr("Parse failed"), reason);
}

// The author and the title are the item's data: shown as they are, in whatever language.
void ViewController::showItem(const std::optional<VideoInfo> &record)
{
    QStringList lines;
    if (record) {
        for (const std::optional<QString> &entry : { record->name(), record->title() }) {
            if (entry && !entry->isEmpty())
                lines.append(*entry);
        }
    }
    m_ui->itemLabel->setText(lines.join(u'\n'));
    m_ui->itemLabel->setVisible(!lines.isEmpty());
}

void ViewController::copyPlayAddress()
{
    if (isBusy())
        return;
    if (!m_images.isEmpty()) {
        QGuiApplication::clipboard()->setText(m_images.join(u'\n'));
        showNote(tr("Copied") + u'\n'
                 + tr("%n picture address(es)", nullptr, int(m_images.size())));
        return;
    }
    if (!m_videoUrl)
        return;
    if (m_videoUrl->isEmpty()) {
        showNote(tr("There is nothing to copy"));
        return;
    }
    QGuiApplication::clipboard()->setText(*m_videoUrl);
    showNote(tr("Copied") + u'\n' + *m_videoUrl);
}

void ViewController::download()
{
    if (isBusy() || (m_images.isEmpty() && !m_videoUrl))
        return;
    if (m_images.isEmpty() && urlFromText(m_videoUrl).isEmpty()) {
        showDownloadError(m_videoUrl->isEmpty()
                              ? tr("There is no play address to download")
                              : tr("The play address is not a valid address: %1").arg(*m_videoUrl));
        return;
    }
    if (!makeStagingFolder())
        return;
    m_busy->show();
    auto *job = new ItemDownloadJob(this);
    m_download = job;
    ItemDownloadJob::Item item = m_item;
    item.playAddress = m_videoUrl.value_or(QString());
    job->setItem(item);
    job->setDirectory(m_staging->path());
    job->setAlbumStep(ItemDownloadJob::AlbumStep::SaveToAlbums);
    connect(job, &Job::progress, m_busy,
            [this](qint64 received, qint64 total, const QString &label) {
                m_busy->setProgress(received, total, label);
            });
    connect(job, &ItemDownloadJob::copyingToAlbum, m_busy, [this] {
        if (m_images.isEmpty())
            m_busy->showSaving();
    });
    connect(job, &Job::finished, this, [this, job](const JobOutcome &outcome) {
        job->deleteLater();
        downloadFinished(*job, outcome);
    });
    job->start();
}

// The download is staged in its own folder in the caches directory; the folder goes, with
// whatever a failure left there, once the job has ended.
bool ViewController::makeStagingFolder()
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (QDir().mkpath(caches)) {
        m_staging = std::make_unique<QTemporaryDir>(caches + u"/download-XXXXXX"_s);
        if (m_staging->isValid())
            return true;
    }
    m_staging.reset();
    showDownloadError(tr("Cannot create a folder in %1").arg(QDir::toNativeSeparators(caches)));
    return false;
}

void ViewController::downloadFinished(const ItemDownloadJob &job, const JobOutcome &outcome)
{
    m_download = nullptr;
    endWork();
    const QString album
        = m_images.isEmpty() ? VideoAlbum::directory() : VideoAlbum::picturesDirectory();
    switch (outcome.status()) {
    case JobOutcome::Status::Done:
        showSaved(album);
        return;
    case JobOutcome::Status::Cancelled:
    case JobOutcome::Status::Stopped:
        showCancelled();
        return;
    case JobOutcome::Status::Failed:
        showDownloadFailure(job, outcome, album);
        return;
    }
}

// A gallery's failure names its picture; a video that arrived but could not be copied into the
// album says so under its own heading.
void ViewController::showDownloadFailure(const ItemDownloadJob &job, const JobOutcome &outcome,
                                         const QString &album)
{
    const FailureReason reason
        = outcome.reason().value_or(FailureReason(FailureReason::Kind::NetworkError, QString()));
    if (reason.kind() == FailureReason::Kind::AlbumCopyFailed && m_images.isEmpty()) {
        StickyMessage::show(this, tr("Saving failed"), reason.description());
        return;
    }
    const QString text = m_images.isEmpty() || job.failedFile() == 0
        ? reason.description()
        : tr("Picture %1: %2").arg(QString::number(job.failedFile()), reason.description());
    showDownloadError(text + savedBeforeTheFailure(outcome, album));
}

// The pictures saved before a failure stay in the album: the message says so, and where.
QString ViewController::savedBeforeTheFailure(const JobOutcome &outcome, const QString &album) const
{
    if (!outcome.isPartial())
        return QString();
    return u'\n'
        + tr("%n picture(s) saved in %1", nullptr, int(outcome.files().size()))
              .arg(QDir::toNativeSeparators(album));
}

void ViewController::cancel()
{
    if (m_resolve->isRunning()) {
        m_resolve->cancel(); // ends the parse's requests too
        return;
    }
    if (m_download)
        m_download->cancel();
}

// The end of a download, however it went: the staging folder goes (the album holds the files),
// the indicator hides.
void ViewController::endWork()
{
    m_staging.reset();
    m_busy->hide();
}

void ViewController::showCancelled()
{
    showNote(tr("Cancelled"));
}

// A note that goes by itself lets clicks through to the window: the next click need not wait
// for it to go. Messages that wait for an answer are StickyMessage's.
void ViewController::showNote(const QString &text)
{
    qor_showMessage(this, text);
    if (Fen_QorProgressHUD *note = Fen_QorProgressHUD::HUDForView(Fen_QorHostView(this)))
        note->setUserInteractionEnabled(false);
}

void ViewController::showSaved(const QString &albumDirectory)
{
    StickyMessage::show(this, tr("Saved"),
                        tr("In the album folder %1").arg(QDir::toNativeSeparators(albumDirectory)),
                        tr("Open folder"), [albumDirectory] { openFolder(albumDirectory); });
}

void ViewController::showDownloadError(const QString &reason)
{
    StickyMessage::show(this, tr("Download failed"), reason);
}

void ViewController::play(const std::optional<QString> &address)
{
    QMetaObject::invokeMethod(
        this, [this, address] { startPlayer(urlFromText(address)); }, Qt::QueuedConnection);
}

void ViewController::startPlayer(const QUrl &url)
{
    if (m_galleryView)
        m_galleryView->hide();
    if (!m_playerView) {
        m_playerView = new PlayerView(this);
        m_playerView->setVideoGravity(Qt::KeepAspectRatio);
        m_playerView->setShowsPlaybackControls(true);
        placeOverPlaceholder(m_playerView);
    }
    m_playerView->show();
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

void ViewController::showGallery(const QStringList &images)
{
    if (m_player)
        m_player->stop();
    if (m_playerView)
        m_playerView->hide();
    if (!m_galleryView) {
        m_galleryView = new GalleryView(this);
        placeOverPlaceholder(m_galleryView);
    }
    m_galleryView->setImages(images);
    m_galleryView->show();
}

// A view in the placeholder's place: on top of the screen's controls, below any HUD, in the Tab
// order after the parse button.
void ViewController::placeOverPlaceholder(QWidget *view)
{
    followPlaceholder();
    view->raise();
    keepHUDsOnTop();
    updateTabOrder();
}

// Tab walks field → paste → parse → the player's or the gallery's controls → copy → download.
void ViewController::updateTabOrder()
{
    QList<QWidget *> chain { m_ui->parsePushButton };
    if (m_playerView)
        chain << m_playerView->playPauseButton() << m_playerView->seekBar();
    if (m_galleryView)
        chain << m_galleryView << m_galleryView->previousButton() << m_galleryView->nextButton()
              << m_galleryView->strip();
    chain << m_ui->copyPushButton << m_ui->downloadPushButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

void ViewController::updateActions()
{
    const bool hasAddress = m_videoUrl && !m_videoUrl->isEmpty();
    const bool hasPictures = !m_images.isEmpty();
    m_ui->copyPushButton->setEnabled(hasAddress || hasPictures);
    m_ui->downloadPushButton->setEnabled(hasAddress || hasPictures);
    m_ui->downloadPushButton->setText(hasPictures ? tr("Download pictures") : tr("Download video"));
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
    if (!m_videoView)
        return;
    const QRect placeholder(m_videoView->mapTo(this, QPoint()), m_videoView->size());
    for (QWidget *view :
         { static_cast<QWidget *>(m_playerView), static_cast<QWidget *>(m_galleryView) }) {
        if (view)
            view->setGeometry(placeholder);
    }
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
