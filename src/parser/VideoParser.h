#pragma once

#include "BoundedRequest.h"
#include "Endpoints.h"
#include "FailureReason.h"
#include "JsonItemReader.h"
#include "NetworkAccess.h"
#include "RedirectChain.h"
#include "VideoInfo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkRequest;
class RequestGroup;
class QUrl;

/*!
 * \brief Turns a message (share text link, bare link or video ID) into a Video info record.
 *
 * Create one per request. fetchVideoInfoWithMessage() calls its completion exactly once: at once,
 * on the calling thread, when the message yields no video ID; otherwise later, on the parser's
 * network thread (not the caller's), so a caller that touches its own objects moves there itself.
 * The pending request keeps a copy of what it needs, so the caller may drop the parser as soon as
 * the call returns. Beside a failure record, the completion can receive why the parse failed.
 *
 * The video ID is the message itself when it is all ASCII digits, else it comes from the first
 * platform link of the message (PlatformLink), or from its first link of any kind: a long link
 * holds the ID, any other link is requested and its redirects followed (RedirectChain). The share
 * page is then fetched; when it holds no item, the item endpoint is asked (ItemFetch).
 *
 * Every request gives up after transferTimeout() without progress, and the whole parse after
 * deadline(). Redirects go at most maximumRedirects deep, never to a less safe scheme; a share
 * page or item answer is read up to maximumPageSize bytes. Diagnostic lines "Kivora  …" to
 * "Kivora6  …" go to the category "kivora".
 */
class VideoParser
{
    Q_DECLARE_TR_FUNCTIONS(VideoParser)

public:
    using Completion = std::function<void(const VideoInfo &record)>;
    /*! Gets the record and, beside a failure record, why the parse failed (absent otherwise). */
    using ReasonCompletion
        = std::function<void(const VideoInfo &record, const std::optional<FailureReason> &failure)>;
    /*! Gets, beside what ReasonCompletion gets, the video ID the parse asked for (absent when
     *  none was found). */
    using IdentifiedCompletion
        = std::function<void(const std::optional<QString> &videoId, const VideoInfo &record,
                             const std::optional<FailureReason> &failure)>;
    using VideoIdCallback = std::function<void(const std::optional<QString> &videoId)>;

    static constexpr std::chrono::milliseconds defaultTransferTimeout
        = NetworkAccess::defaultInactivityTimeout;
    static constexpr std::chrono::milliseconds defaultDeadline { 30000 };
    static constexpr int maximumRedirects = 10;
    static constexpr qint64 maximumPageSize = 16 * 1024 * 1024;

    explicit VideoParser(const Endpoints &endpoints = Endpoints());

    const Endpoints &endpoints() const { return m_endpoints; }

    /*! How long a request may go without progress before it fails. */
    std::chrono::milliseconds transferTimeout() const { return m_transferTimeout; }
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_transferTimeout = timeout; }
    /*! How long a parse may take, whatever its requests are doing. */
    std::chrono::milliseconds deadline() const { return m_deadline; }
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }
    /*! The group the parse's requests join, so that cancelling it ends them all; none by
     *  default. */
    void setRequestGroup(const std::shared_ptr<RequestGroup> &group) { m_requests = group; }

    void fetchVideoInfoWithMessage(const std::optional<QString> &message, Completion completion);
    void fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                   ReasonCompletion completion);
    void fetchVideoInfoWithMessage(const std::optional<QString> &message,
                                   IdentifiedCompletion completion);

    /*! Finds the video ID of \a message and hands it (or nothing) to \a done: at once, on the
     *  calling thread, when no request is needed; else, once the link's redirect chain has ended,
     *  on the network thread. */
    void extractVideoIDFromMessage(const std::optional<QString> &message,
                                   VideoIdCallback done) const;
    /*! Requests \a link, follows its redirects as RedirectChain does and hands the video ID (or
     *  nothing) to \a done on the network thread. */
    void extractVideoIDFromRedirectedURL(const QString &link, VideoIdCallback done) const;
    /*! True when \a text is a video ID: one or more ASCII digits and nothing else. */
    static bool isNumeric(const QString &text);
    /*! The first "http://" or "https://" link of \a message, up to the next white space. */
    static std::optional<QString> firstLink(const std::optional<QString> &message);
    /*! The video ID of the address a redirect chain ended at: an item link's ID, else, off the
     *  platform's hosts, the first run of ASCII digits in the address's path and query (never its
     *  host or port). */
    static std::optional<QString> videoIDFromFinalAddress(const QUrl &address,
                                                          const Endpoints &endpoints = Endpoints());

    /*! The share page request for \a videoId, headers included; the URL is invalid when the ID
     *  holds characters that no address may hold. */
    QNetworkRequest sharePageRequest(const QString &videoId) const;
    /*! The item endpoint's request for \a videoId, with the share page's headers; with
     *  "&request_source=200" when \a withRequestSource. */
    QNetworkRequest itemEndpointRequest(const QString &videoId, bool withRequestSource) const;
    /*! The router data in \a page (see RouterData::cut), or nothing. */
    static std::optional<QString> extractJSONFromHTML(const QString &page);
    /*! Decodes a share page's \a body, cuts out and reads its router data and builds the record,
     *  writing the lines "Kivora2  …" to "Kivora5  …". A body that is not UTF-8 gives the failure
     *  record. */
    VideoInfo videoInfoFromPageBody(const QByteArray &body) const;
    /*! Reads an item endpoint answer's \a body and builds the record, writing the line
     *  "Kivora6  …". A body that is not UTF-8 or holds no item gives the failure record. */
    VideoInfo videoInfoFromItemAnswer(const QByteArray &body) const;

    /*! The record of the router data \a root; the failure record when it holds no item. A
     *  gallery keeps its first JsonItemReader::maximumImages images (a diagnostic line says how
     *  many it lists). */
    VideoInfo parseVideoInfoFromJSON(const std::optional<QJsonValue> &root) const;
    /*! The record of the item endpoint's answer \a root: its "aweme_details" first element read
     *  as the router data's item is; the failure record when there is none. */
    VideoInfo parseVideoInfoFromItemJSON(const std::optional<QJsonValue> &root) const;
    /*! The play address of the play identifier \a playId on the web origin; the identifier is
     *  percent-encoded, which leaves the platform's own identifiers as they are. */
    QString playAddress(const QString &playId) const;
    /*! The failure record of this parser's platform. */
    VideoInfo failureRecord() const;
    /*! The credit text of records read from the share page: the page, by its host. */
    QString tips() const;
    /*! The credit text of records read from the item endpoint, by its host. */
    QString itemEndpointTips() const;

    /*! Kept for callers that track a redirect target; the parse neither reads nor writes it. */
    std::optional<QString> redirectedURL() const { return m_redirectedURL; }
    void setRedirectedURL(const std::optional<QString> &url) { m_redirectedURL = url; }

    /*! What an answer held: the record, and when it holds no item, why. */
    struct Reading
    {
        VideoInfo record;
        std::optional<FailureReason> problem;
        bool galleryType = false; //!< the item says it is a picture gallery
    };

    /*! Reads a share page answered with \a status, writing "Kivora2  …" to "Kivora4  …". */
    Reading readSharePage(const QByteArray &body, int status) const;
    /*! Reads an item endpoint answer, writing "Kivora6  …". */
    Reading readItemAnswer(const QByteArray &body, int status) const;
    /*! Sends one request of the parse on the network thread's \a manager, in its request group
     *  (the roads and the redirect chain send theirs this way). */
    void get(QNetworkAccessManager &manager, const QNetworkRequest &request,
             BoundedRequest::Body body, qint64 maximumBodySize, const QDeadlineTimer &deadline,
             BoundedRequest::Done done) const;

private:
    friend class RedirectChain;

    /*! Finds the video ID of \a message; \a done runs at once when no request is needed. */
    void findVideoId(const std::optional<QString> &message, const QDeadlineTimer &deadline,
                     RedirectChain::Done done) const;
    VideoInfo recordFromItem(const std::optional<JsonItemReader::Item> &item,
                             const QString &tips) const;
    QNetworkRequest request(const QUrl &url) const;
    QNetworkRequest withBrowserHeaders(QNetworkRequest request) const;

    Endpoints m_endpoints;
    std::chrono::milliseconds m_transferTimeout = defaultTransferTimeout;
    std::chrono::milliseconds m_deadline = defaultDeadline;
    std::optional<QString> m_redirectedURL;
    std::shared_ptr<RequestGroup> m_requests;
};
