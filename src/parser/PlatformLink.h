#pragma once

#include "Endpoints.h"

#include <QString>
#include <QStringList>

#include <optional>

class QUrl;

/*!
 * \brief What a link is to the video platform: a short link, a long link that already holds the
 * video ID, Kivora's own play address, or anything else.
 *
 * Platform hosts are the real platform's (douyin.com, iesdouyin.com and their subdomains) and
 * those of the configured endpoints, so a long link on a configured share or web origin counts
 * as one on the real hosts does. Short links live on v.douyin.com, jx.douyin.com and the
 * configured short-link host. Video IDs are ASCII digits.
 *
 * The forms of long links are one table in PlatformLink.cpp (a path pattern or a query item, and
 * whether the form names a gallery), tried in its order: a new form is a row there.
 */
class PlatformLink
{
public:
    enum class Kind {
        Other, //!< no form of the platform's: request it and follow its redirects
        ShortLink, //!< "https://<short-link host>/<code>/": request it, stop at the item link
        ItemLink, //!< a long link that holds the video ID: no request needed
        PlayAddress, //!< a play address ("/aweme/v1/play/?video_id=…"): holds no video ID
    };

    /*! Classifies \a url, a link as written or a redirect target. */
    static PlatformLink classify(const QUrl &url, const Endpoints &endpoints);

    /*! The first short link or item link in \a text, cut where the link ends (a short link after
     *  the slash that closes its code, any other link at the next white space); nothing when the
     *  text holds neither. Links of other hosts and decoys such as "E@U.lp" or "05/17" are passed
     *  over. */
    static std::optional<QString> findFirst(const QString &text, const Endpoints &endpoints);
    /*! Every short link or item link in \a text, in order and cut as findFirst() cuts them; at
     *  most \a limit of them when it is not negative. */
    static QStringList findAll(const QString &text, const Endpoints &endpoints,
                               qsizetype limit = -1);

    /*! True when \a text, white space around it left out, is an http(s) link whose path is
     *  "/aweme/v1/play/" and whose query has a non-empty "video_id". */
    static bool isPlayAddress(const QString &text);

    Kind kind() const { return m_kind; }
    /*! The video ID of an item link, else empty. */
    QString videoId() const { return m_videoId; }
    /*! True for an item link of a picture gallery ("note" and "slides" forms). */
    bool isGallery() const { return m_gallery; }
    /*! True for any link on a platform host: one that is no item link is a page of the platform
     *  that shows no post (a profile, the home page). */
    bool isOnPlatform() const { return m_onPlatform; }

private:
    Kind m_kind = Kind::Other;
    QString m_videoId;
    bool m_gallery = false;
    bool m_onPlatform = false;
};
