#pragma once

#include "FailureReason.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <optional>

class QUrl;
class VideoParser;

/*!
 * \brief Follows a link's redirects on the parser's network thread until the address holds the
 * video ID.
 *
 * Every hop is a GET with Qt's default headers whose answer is read only to its headers. The
 * chain stops at the first Location that is an item link (a share page or another long link that
 * holds the ID): no request goes there. Other redirects are followed, at most
 * VideoParser::maximumRedirects of them, never to a less safe scheme and never back to an address
 * already visited. An answer that is no redirect ends the chain: the video ID is then read from
 * its address (VideoParser::videoIDFromFinalAddress).
 */
class RedirectChain
{
    Q_DECLARE_TR_FUNCTIONS(RedirectChain)

public:
    /*! Where the chain ended. */
    struct End
    {
        std::optional<QString> videoId;
        bool gallery = false; //!< the item link names a picture gallery
        std::optional<FailureReason> failure; //!< why there is no video ID
    };
    using Done = std::function<void(const End &end)>;

    /*! Follows \a link on the network thread with \a parser's requests (its endpoints and
     *  transfer time-out), all of them before \a deadline; \a done runs there. */
    static void follow(const QUrl &link, const VideoParser &parser, const QDeadlineTimer &deadline,
                       Done done);

private:
    struct Hops;
};
