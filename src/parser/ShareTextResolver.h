#pragma once

#include "Endpoints.h"
#include "FailureReason.h"
#include "NetworkAccess.h"
#include "VideoInfo.h"

#include <QHash>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

/*!
 * \brief Resolves what the user typed or pasted (a share text, a link, a video ID or a play
 * address) to a play address, and answers on the thread it lives on.
 *
 * A text that already is a play address is taken as it is, without any request. Any other text
 * is cut down to its platform link when it is a share text (it holds "抖音") and handed to a
 * VideoParser; the record, and beside a failure record its reason, come back through
 * resolved(). Every resolve() ends in exactly one resolved() on this object's thread, never
 * before resolve() has returned, so a caller may connect, resolve and handle the answer in the
 * order it reads. Several resolutions may run at once; each answers with its own text.
 *
 * A resolver that is destroyed drops the answers still to come; the parses behind them end on
 * their own, within their deadline.
 */
class ShareTextResolver : public QObject
{
    Q_OBJECT

public:
    /*! What one resolution gave. */
    struct Result
    {
        QString text; //!< the text given to resolve()
        /*! The play address: the text itself when it is one, else the record's "video" entry
         *  (absent in the failure record, possibly empty in a full one). */
        std::optional<QString> playAddress;
        /*! The parser's record; absent when the text was a play address. */
        std::optional<VideoInfo> record;
        /*! Why the record is the failure record; absent otherwise. */
        std::optional<FailureReason> failure;
        /*! The video ID the parse found; absent for a play address or when none was found. */
        std::optional<QString> videoId;

        bool isDirectPlayAddress() const { return !record; }
    };

    explicit ShareTextResolver(const Endpoints &endpoints = Endpoints(),
                               QObject *parent = nullptr);
    ~ShareTextResolver() override;

    /*! The platform asked; a change applies to the resolutions started afterwards. */
    const Endpoints &endpoints() const { return m_endpoints; }
    void setEndpoints(const Endpoints &endpoints) { m_endpoints = endpoints; }

    /*! How long a request may go without progress, and a whole parse may take. */
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_transferTimeout = timeout; }
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    /*! Starts resolving \a text; resolved() follows once. */
    void resolve(const QString &text);
    /*! Ends every pending resolution now: each answers, before cancel() returns, with the failure
     *  record and the reason "Cancelled"; what its parse still brings is dropped. */
    void cancel();
    /*! The resolutions started and not yet answered. */
    int pendingCount() const { return int(m_pending.size()); }

Q_SIGNALS:
    void resolved(const ShareTextResolver::Result &result);

private:
    struct Inbox;

    void post(quint64 serial, Result result);
    void deliver(quint64 serial, const Result &result);

    Endpoints m_endpoints;
    std::chrono::milliseconds m_transferTimeout = NetworkAccess::defaultInactivityTimeout;
    std::chrono::milliseconds m_deadline;
    std::shared_ptr<Inbox> m_inbox;
    QHash<quint64, QString> m_pending; // serial → text
    quint64 m_nextSerial = 1;
};

Q_DECLARE_METATYPE(ShareTextResolver::Result)
