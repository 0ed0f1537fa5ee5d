#include "GalleryDownload.h"

#include "BoundedRequest.h"
#include "NetworkAccess.h"
#include "SuggestedFileName.h"
#include "VerifiedSaveFile.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QMimeDatabase>
#include <QNetworkRequest>
#include <QPointer>
#include <QPromise>
#include <QStandardPaths>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace {

constexpr int maximumRedirects = 5;
constexpr std::chrono::seconds fetchDeadline { 60 };

constexpr int maximumStemLength = 80;

struct SavedPicture
{
    QString path; //!< empty when the save failed
    QString errorString;
};

bool isPicture(const QByteArray &head)
{
    const QString type = QMimeDatabase().mimeTypeForData(head).name();
    return type == u"image/jpeg"_s || type == u"image/png"_s || type == u"image/webp"_s;
}

SavedPicture savePicture(const QString &directory, const QString &name, const QByteArray &bytes)
{
    if (!QDir().mkpath(directory))
        return { {},
                 GalleryDownload::tr("Cannot create the folder %1")
                     .arg(QDir::toNativeSeparators(directory)) };
    const QString path = SuggestedFileName::claimUnique(directory, name);
    if (path.isEmpty())
        return { {},
                 GalleryDownload::tr("Cannot create a file in %1")
                     .arg(QDir::toNativeSeparators(directory)) };
    VerifiedSaveFile file(path);
    if (!file.open() || !file.write(bytes) || !file.commit())
        return { {}, file.errorString() };
    return { path, {} };
}

} // namespace

GalleryDownload::GalleryDownload(QObject *parent) : QObject(parent) { }

GalleryDownload::~GalleryDownload() = default;

QString GalleryDownload::albumDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + u"/Kivora"_s;
}

void GalleryDownload::start(const QStringList &addresses, const QString &name)
{
    ++m_generation;
    m_addresses = addresses;
    m_name = name;
    m_saved.clear();
    m_bytes = 0;
    m_running = true;
    m_cancelled = false;
    // Through the event loop, so that finished() never comes from inside start().
    QMetaObject::invokeMethod(
        this,
        [this, generation = m_generation] {
            if (generation == m_generation)
                fetchNext();
        },
        Qt::QueuedConnection);
}

void GalleryDownload::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    ++m_generation; // drops the fetch on its way
    // A picture being written is waited for, so that it is removed before finished() says so.
    if (!m_writing)
        dropSaved();
}

void GalleryDownload::dropSaved()
{
    for (const QString &path : std::as_const(m_saved))
        QFile::remove(path);
    m_saved.clear();
    finish(tr("Cancelled"));
}

bool GalleryDownload::isRunning() const
{
    return m_running;
}

void GalleryDownload::fetchNext()
{
    const int index = int(m_saved.size());
    Q_EMIT progress(index, int(m_addresses.size()), m_bytes);
    if (index == m_addresses.size()) {
        finish(QString());
        return;
    }
    fetch(QUrl(m_addresses.at(index), QUrl::StrictMode), maximumRedirects);
}

// Redirects are followed here, at most maximumRedirects, never from https to plain http.
void GalleryDownload::fetch(const QUrl &url, int redirectsLeft)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s)) {
        finish(tr("Picture %1 has no web address").arg(m_saved.size() + 1));
        return;
    }
    BoundedRequest::get(
        NetworkAccess::manager(), NetworkAccess::request(url), BoundedRequest::Body::Read,
        maximumPictureBytes, QDeadlineTimer(fetchDeadline),
        [self = QPointer<GalleryDownload>(this), generation = m_generation, url,
         redirectsLeft](const BoundedRequest::Answer &answer) {
            if (!self || self->m_generation != generation)
                return;
            const int number = int(self->m_saved.size()) + 1;
            if (answer.isRedirect()) {
                const QUrl target = url.resolved(QUrl::fromEncoded(answer.location));
                const bool downgrade = url.scheme().toLower() == u"https"_s
                    && target.scheme().toLower() == u"http"_s;
                if (redirectsLeft > 0 && !downgrade)
                    self->fetch(target, redirectsLeft - 1);
                else
                    self->finish(tr("Picture %1: the redirect to %2 was not followed")
                                     .arg(number)
                                     .arg(target.toDisplayString()));
                return;
            }
            if (answer.failure)
                self->finish(tr("Picture %1: %2").arg(number).arg(answer.failure->description()));
            else if (answer.status < 200 || answer.status >= 300)
                self->finish(tr("Picture %1: the server answered with status %2")
                                 .arg(number)
                                 .arg(answer.status));
            else
                self->received(answer.body);
        });
}

void GalleryDownload::received(const QByteArray &bytes)
{
    const int number = int(m_saved.size()) + 1;
    if (!isPicture(bytes)) {
        finish(tr("Picture %1 is not a JPEG, PNG or WebP picture").arg(number));
        return;
    }
    // Written and checked on disk (which syncs it) off the screen's thread.
    m_writing = true;
    auto promise = std::make_shared<QPromise<SavedPicture>>();
    auto *watcher = new QFutureWatcher<SavedPicture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, size = bytes.size()] {
        const SavedPicture saved = watcher->result();
        watcher->deleteLater();
        m_writing = false;
        if (m_cancelled) {
            QFile::remove(saved.path);
            dropSaved();
            return;
        }
        if (saved.path.isEmpty()) {
            finish(saved.errorString);
            return;
        }
        m_saved.append(saved.path);
        m_bytes += size;
        fetchNext();
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start(
        [promise, bytes, name = pictureName(SuggestedFileName::sniffedSuffix(bytes))] {
            promise->start();
            promise->addResult(savePicture(albumDirectory(), name, bytes));
            promise->finish();
        });
}

// "NAME 1.jpg" … "NAME 12.jpg" with the numbers padded, so that the names sort in order; a long
// NAME is shortened before the number, never the number.
QString GalleryDownload::pictureName(const QString &suffix) const
{
    QString stem = SuggestedFileName::sanitize(m_name).left(maximumStemLength);
    if (!stem.isEmpty() && stem.back().isHighSurrogate())
        stem.chop(1);
    const int width = int(QString::number(m_addresses.size()).size());
    const QString number = u"%1"_s.arg(m_saved.size() + 1, width, 10, QLatin1Char('0'));
    return SuggestedFileName::sanitize(stem + u' ' + number + u'.' + suffix);
}

void GalleryDownload::finish(const QString &errorString)
{
    m_running = false;
    Q_EMIT finished(m_saved, errorString);
}
