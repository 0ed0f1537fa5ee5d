#pragma once

#include <QCoreApplication>
#include <QMetaType>
#include <QObject>
#include <QString>

/*!
 * \brief Why a parse ended in the failure record, or a download failed: a kind, and a detail text
 * that says what was seen (an address, a status, the certificate's complaint, the system's
 * reason).
 *
 * The failure record itself keeps exactly its two entries; this value travels beside it. The
 * kind is for code and for translation tables, code() its stable name for scripts; description()
 * is a readable English sentence for people (translatable in the context "FailureReason"), and
 * technicalDescription() adds what was seen, for the diagnostic lines. The detail may hold text
 * that came from the network: escape it before it reaches a terminal.
 */
class FailureReason
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(FailureReason)

public:
    enum class Kind {
        NoVideoId, //!< no link or video ID in the text, or none where the link led
        RedirectLoop, //!< a redirect led back to an address already visited
        TooManyRedirects, //!< more redirects than VideoParser::maximumRedirects
        RefusedRedirect, //!< a redirect to a less safe or unknown scheme
        TlsError, //!< the TLS handshake failed; the detail holds the certificate's complaint
        ConnectionRefused, //!< nothing listens at the host and port
        TimedOut, //!< no progress within the transfer time-out
        DeadlineExceeded, //!< the whole parse took longer than its deadline
        NetworkError, //!< any other transfer failure (host not found, reset, bad address)
        HttpStatus, //!< an answer with an error status and nothing usable in it
        TooLarge, //!< an answer over its size limit
        NotUtf8, //!< a share page that is not UTF-8
        DecompressionFailed, //!< an answer whose compressed body could not be unpacked
        Cancelled, //!< the user stopped the parse or the download
        WriteFailed, //!< a file or folder could not be written (the system's reason in the detail)
        WrongContent, //!< a download that is not what it claims to be (not a video, no picture)
        IncompleteTransfer, //!< a transfer that ended before the whole file was there
        AlbumCopyFailed, //!< the downloaded file could not be copied into its album
        NothingToSave, //!< an item with neither a video nor pictures
        // Why the platform gives no item; the detail says what was seen.
        Removed, //!< the post was deleted
        Private, //!< only its author sees the post
        FriendsOnly, //!< only the author's friends see the post
        ExpiredStory, //!< a story past its 24 hours
        NotAvailableHere, //!< withheld for copyright or region
        Withheld, //!< filtered out, no reason given
        LoginRequired, //!< the platform wants a logged-in user
        RateLimited, //!< too many requests (429, risk control): wait and retry
        Refused, //!< scripted access blocked, or a script check instead of an answer
        NotAPost, //!< the link leads to a profile or another site, not to a post
        PlatformChanged, //!< no road found the item, and nothing says why
    };
    Q_ENUM(Kind)

    FailureReason() = default;
    FailureReason(Kind kind, const QString &detail) : m_kind(kind), m_detail(detail) { }

    Kind kind() const { return m_kind; }
    /*! What was seen, for the description; may be empty. */
    QString detail() const { return m_detail; }

    /*! A stable name of the kind for scripts, such as "removed" or "rate_limited". */
    QString code() const;
    /*! A readable sentence for people: what went wrong, then the detail where it helps them (an
     *  address, a status); the detail of why the platform gave no item is left out. */
    QString description() const;
    /*! What went wrong, then the detail, always: for the diagnostic lines. */
    QString technicalDescription() const;
    /*! True for the kinds that say why the platform gives no item (Removed … PlatformChanged). */
    bool isAboutTheItem() const;
    /*! What went wrong for \a kind, without any detail. */
    static QString summary(Kind kind);

    friend bool operator==(const FailureReason &a, const FailureReason &b)
    {
        return a.m_kind == b.m_kind && a.m_detail == b.m_detail;
    }
    friend bool operator!=(const FailureReason &a, const FailureReason &b) { return !(a == b); }

private:
    Kind m_kind = Kind::NoVideoId;
    QString m_detail;
};

Q_DECLARE_METATYPE(FailureReason)
