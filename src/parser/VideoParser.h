#pragma once

#include "Endpoints.h"
#include "VideoInfo.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

class QNetworkRequest;
class QUrl;

/*!
 * \brief Turns a message (share text link, bare link or video ID) into a Video info record.
 *
 * Create one per request. fetchVideoInfoWithMessage() calls its completion exactly once: at once,
 * on the calling thread, when the message yields no link and is not all digits; otherwise later,
 * on the parser's network thread (not the caller's), so a caller that touches its own objects
 * moves there itself. The pending request keeps a copy of what it needs, so the caller may drop
 * the parser as soon as the call returns.
 *
 * Every request gives up after transferTimeout() ms without progress, follows at most
 * maximumRedirects redirects, never to a less safe scheme, and reads at most maximumPageSize bytes
 * of a share page. Diagnostic lines "Kivora  …" to "Kivora5  …" go to the category "kivora".
 */
class VideoParser
{
public:
    using Completion = std::function<void(const VideoInfo &)>;
    using VideoIdCallback = std::function<void(const std::optional<QString> &videoId)>;

    static constexpr int defaultTransferTimeout = 15000;
    static constexpr int maximumRedirects = 10;
    static constexpr qint64 maximumPageSize = 16 * 1024 * 1024;

    explicit VideoParser(const Endpoints &endpoints = Endpoints());

    const Endpoints &endpoints() const { return m_endpoints; }

    /*! Milliseconds without progress after which a request fails. */
    int transferTimeout() const { return m_transferTimeout; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

    void fetchVideoInfoWithMessage(const std::optional<QString> &message, Completion completion);

    /*! Finds the video ID of \a message and hands it (or nothing) to \a done: at once, on the
     *  calling thread, for a numeric message or one without a link; else, once the link's redirect
     *  chain has ended, on the network thread. */
    void extractVideoIDFromMessage(const std::optional<QString> &message,
                                   VideoIdCallback done) const;
    /*! Requests \a link, follows its redirects and hands the video ID of the final address (or
     *  nothing) to \a done on the network thread. */
    void extractVideoIDFromRedirectedURL(const QString &link, VideoIdCallback done) const;
    /*! True when every character of \a text is a decimal digit of any script; true for "". */
    static bool isNumeric(const QString &text);
    /*! The first "http://" or "https://" link of \a message, up to the next white space. */
    static std::optional<QString> firstLink(const std::optional<QString> &message);
    /*! The first run of decimal digits in \a address, its port left out. */
    static std::optional<QString> videoIDFromFinalAddress(const QUrl &address);

    /*! The share page request for \a videoId, headers included; the URL is invalid when the ID
     *  holds characters that no address may hold. */
    QNetworkRequest sharePageRequest(const QString &videoId) const;
    /*! The router data in \a page (see RouterData::cut), or nothing. */
    static std::optional<QString> extractJSONFromHTML(const QString &page);
    /*! Decodes a share page's \a body, cuts out and reads its router data and builds the record,
     *  writing the lines "Kivora2  …" to "Kivora5  …". A body that is not UTF-8 gives the failure
     *  record. */
    VideoInfo videoInfoFromPageBody(const QByteArray &body) const;

    VideoInfo parseVideoInfoFromJSON(const std::optional<QJsonValue> &root) const;
    /*! The failure record of this parser's platform. */
    VideoInfo failureRecord() const;
    /*! The credit text of every record: the platform's public share page, by its host. */
    QString tips() const;

    /*! Kept for callers that track a redirect target; the parse neither reads nor writes it. */
    std::optional<QString> redirectedURL() const { return m_redirectedURL; }
    void setRedirectedURL(const std::optional<QString> &url) { m_redirectedURL = url; }

private:
    void fetchSharePage(const QString &videoId, Completion completion) const;
    QNetworkRequest request(const QUrl &url) const;

    Endpoints m_endpoints;
    int m_transferTimeout = defaultTransferTimeout;
    std::optional<QString> m_redirectedURL;
};
