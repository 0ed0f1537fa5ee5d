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
 * kind is for code and for translation tables; description() is a readable English sentence
 * (translatable in the context "FailureReason"). The detail may hold text that came from the
 * network: escape it before it reaches a terminal.
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
        NoRouterData, //!< a share page without router data (or with router data that is not JSON)
        NoItem, //!< neither the share page nor the item endpoint holds the item
        PlatformRefused, //!< the item endpoint answered 403 or with an empty body
        Cancelled, //!< the user stopped the parse or the download
        WriteFailed, //!< a file or folder could not be written (the system's reason in the detail)
        WrongContent, //!< a download that is not what it claims to be (not a video, no picture)
        IncompleteTransfer, //!< a transfer that ended before the whole file was there
        AlbumCopyFailed, //!< the downloaded file could not be copied into its album
        NothingToSave, //!< an item with neither a video nor pictures
    };
    Q_ENUM(Kind)

    FailureReason() = default;
    FailureReason(Kind kind, const QString &detail) : m_kind(kind), m_detail(detail) { }

    Kind kind() const { return m_kind; }
    /*! What was seen, for the description; may be empty. */
    QString detail() const { return m_detail; }

    /*! A readable sentence: what went wrong, then the detail. */
    QString description() const;
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
