#include "ViewController.h"

#include "ui_ViewController.h"

#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "ItemDownloadJob.h"
#include "KivoraLog.h"
#include "PlayerRelay.h"
#include "PlayerView.h"
#include "ResolveJob.h"
#include "ShareText.h"
#include "StickyMessage.h"
#include "VideoAlbum.h"
#include "VideoInfo.h"

#include <QAction>
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
#include <QRegularExpression>
#include <QShortcut>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Qt::StringLiterals;

ViewController::ViewController(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ViewController>())
    , m_resolve(new ResolveJob(m_endpoints, this))
    , m_busy(new BusyIndicator(this))
    , m_relay(new PlayerRelay(this))
{
    connect(m_resolve, &Job::finished, this, [this] { finishParse(m_resolve->result()); });
    connect(m_busy, &BusyIndicator::cancelRequested, this, &ViewController::cancel);
    m_ui->setupUi(this);
    setTextField(m_ui->textField);
    m_ui->itemLabel->hide();
    nameClearButton();
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &ViewController::cancel);
    updateActions();
}

ViewController::~ViewController() = default;

// The field's clear button is Qt's own action, without a text a screen reader could read.
void ViewController::nameClearButton()
{
    if (auto *clear = m_ui->textField->findChild<QAction *>(u"_q_qlineeditclearaction"_s)) {
        clear->setText(tr("Clear the field"));
        clear->setToolTip(tr("Clear the field"));
    }
}

ViewController::State ViewController::state() const
{
    return m_state;
}

// The one place where the screen changes what it does: the page of the media stack, the waiting
// indicator and the actions follow the state.
void ViewController::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    switch (state) {
    case State::Idle:
    case State::Failed:
        showPage(m_ui->videoView);
        break;
    case State::ShowingVideo:
        showPage(m_playerView);
        break;
    case State::ShowingGallery:
        showPage(m_galleryView);
        break;
    case State::Resolving:
    case State::Downloading:
        break; // the item stays under the waiting indicator
    }
    if (isBusy())
        m_busy->show();
    else
        m_busy->hide();
    updateActions();
    Q_EMIT stateChanged(state);
}

// The start of a parse or a download: the screen returns to what it shows now once it is over.
void ViewController::startWork(State busyState)
{
    m_stateBeforeWork = m_state;
    setState(busyState);
}

void ViewController::endWork()
{
    setState(m_stateBeforeWork);
}

void ViewController::showPage(QWidget *page)
{
    if (page)
        m_ui->mediaStack->setCurrentWidget(page);
    // A stopped player holds no network connection and makes no sound behind another page.
    if (page != m_playerView && m_player)
        m_player->stop();
}

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
    return m_ui->videoView;
}

QStackedWidget *ViewController::mediaStack() const
{
    return m_ui->mediaStack;
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
    return m_state == State::Resolving || m_state == State::Downloading;
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

// The button takes more than Ctrl+V in the field, which pastes as usual what it does not pick:
// any link, else a video ID, goes into the field and is parsed; a text with neither is refused
// with the reason, never silently.
void ViewController::paste()
{
    if (isBusy())
        return;
    const QStringList links
        = ShareText::queueInputs(QGuiApplication::clipboard()->text(), m_endpoints);
    if (links.size() > 1) {
        Q_EMIT linksForQueue(links);
        return;
    }
    if (takePastedText())
        return;
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    if (text.isEmpty())
        showNote(tr("The clipboard is empty"));
    else if (!takeAnyLink(text))
        showNote(tr("The clipboard holds no link or video ID"));
}

bool ViewController::takeAnyLink(const QString &text)
{
    static const QRegularExpression anyLink(u"https?://\\S+"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression videoId(u"^[0-9]+$"_s); // ASCII digits, as the parser reads
    const QRegularExpressionMatch link = anyLink.match(text);
    const QString taken = link.hasMatch() ? link.captured()
        : videoId.match(text).hasMatch()  ? text
                                          : QString();
    if (taken.isEmpty() || !m_textField)
        return false;
    qCInfo(lcKivora).noquote() << u"srcUrl: "_s + taken;
    m_textField->setText(taken);
    parse();
    return true;
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
    // The indicator is shown at once: the answer always comes back through the event queue,
    // after this, and a cancel (Escape) may come before any queued step would have run.
    startWork(State::Resolving);
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
        endWork();
        showCancelled();
        return;
    }
    // Stored before the playback starts; a failed parse clears an earlier address.
    m_images = result.record ? result.record->images().value_or(QStringList()) : QStringList();
    setVideoUrl(result.playAddress);
    m_item = { result.record, result.playAddress.value_or(QString()),
               result.videoId.value_or(QString()) };
    showItem(result.record);
    if (!result.failure && result.record && result.record->isSuccess())
        Q_EMIT itemResolved(result);
    const bool gallery = result.record && result.record->kind() == VideoInfo::Kind::Gallery;
    const bool nothingToShow
        = gallery ? m_images.isEmpty() : result.playAddress.value_or(QString()).isEmpty();
    if (result.failure || nothingToShow) {
        setState(State::Failed);
        showParseFailure(result);
    } else if (gallery) {
        showGallery(m_images);
        setState(State::ShowingGallery);
    } else {
        startPlayer(urlFromText(result.playAddress));
        setState(State::ShowingVideo);
    }
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
    startWork(State::Downloading);
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
    finishDownload();
    Q_EMIT downloadEnded(m_item, outcome);
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
    if (m_state == State::Resolving) {
        m_resolve->cancel(); // ends the parse's requests too
        return;
    }
    if (m_state == State::Downloading && m_download)
        m_download->cancel(); // a cancel during the album copy removes the copy too
}

// The end of a download, however it went: the cached copy goes (the album holds its own), the
// indicator hides, and the focus goes to the field: the button that started the download would
// start it again on the next Space or Enter, and the next share text is pasted there.
void ViewController::finishDownload()
{
    m_staging.reset();
    endWork();
    if (m_textField && m_ui->downloadPushButton->hasFocus())
        m_textField->setFocus(Qt::OtherFocusReason);
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
    if (Fen_QorProgressHUD *note = Fen_QorProgressHUD::HUDForView(Fen_QorHostView(this))) {
        note->setUserInteractionEnabled(false);
        note->announce();
    }
}

// The confirmation sits at the bottom of the screen: its button must not be where the waiting
// indicator's Cancel was a moment ago, for a late second click on Cancel.
void ViewController::showSaved(const QString &albumDirectory)
{
    Fen_QorProgressHUD *message = StickyMessage::show(
        this, tr("Saved"),
        tr("In the album folder %1").arg(QDir::toNativeSeparators(albumDirectory)),
        tr("Open folder"), [this, albumDirectory] { openFolder(albumDirectory); });
    message->setOffset(QPointF(0, QWIDGETSIZE_MAX));
}

// Without a file manager (or a desktop that names one) the folder cannot be opened: the user is
// told where it is, to open it some other way.
void ViewController::openFolder(const QString &directory)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(directory)))
        return;
    StickyMessage::show(this, tr("No file manager opened the folder"),
                        tr("The files are in %1").arg(QDir::toNativeSeparators(directory)));
}

void ViewController::showDownloadError(const QString &reason)
{
    StickyMessage::show(this, tr("Download failed"), reason);
}

void ViewController::play(const std::optional<QString> &address)
{
    QMetaObject::invokeMethod(
        this,
        [this, address] {
            startPlayer(urlFromText(address));
            if (!isBusy())
                setState(State::ShowingVideo);
        },
        Qt::QueuedConnection);
}

void ViewController::startPlayer(const QUrl &url)
{
    if (!m_playerView) {
        m_playerView = new PlayerView(this);
        m_playerView->setVideoGravity(Qt::KeepAspectRatio);
        m_playerView->setShowsPlaybackControls(true);
        addToMediaStack(m_playerView);
    }
    QMediaPlayer *previous = m_player;
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(new QAudioOutput(m_player));
    m_player->setSource(m_relay->playableUrl(url));
    m_playerView->setPlayer(m_player);
    if (previous) {
        previous->stop();
        previous->deleteLater();
    }
    m_player->play();
}

void ViewController::showGallery(const QStringList &images)
{
    if (!m_galleryView) {
        m_galleryView = new GalleryView(this);
        addToMediaStack(m_galleryView);
    }
    m_galleryView->setImages(images);
}

// A page of the media stack, in the Tab order after the parse button.
void ViewController::addToMediaStack(QWidget *view)
{
    m_ui->mediaStack->addWidget(view);
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

void ViewController::mousePressEvent(QMouseEvent *)
{
    // A press on the screen's background ends editing, as a tap outside the field closes the
    // keyboard on a phone.
    if (m_textField)
        m_textField->clearFocus();
}

bool ViewController::eventFilter(QObject *watched, QEvent *event)
{
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
