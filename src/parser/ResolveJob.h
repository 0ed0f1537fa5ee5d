#pragma once

#include "Endpoints.h"
#include "FailureReason.h"
#include "Job.h"
#include "NetworkAccess.h"
#include "VideoInfo.h"

#include <QMetaType>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class RequestGroup;

/*!
 * \brief Resolves what the user typed or pasted (a share text, a link, a video ID or a play
 * address) to its item: the record, the video ID and, beside a failure record, why.
 *
 * A text that already is a play address is taken as it is, without any request. Any other text
 * is cut down to its platform link when it is a share text (it holds "抖音") and parsed
 * (VideoParser) on the parser's network thread. The outcome is Done when the parse ran to its end
 * without a failure reason (result() tells whether the record reads as success), Failed with the
 * reason otherwise. cancel() and stop() end the parse's requests at once, closing their
 * connections, and report Cancelled or Stopped; destroying a running job ends them too, without
 * a signal.
 */
class ResolveJob : public Job
{
    Q_OBJECT

public:
    /*! What one resolution gave. */
    struct Result
    {
        QString text; //!< the text resolved
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

    explicit ResolveJob(const Endpoints &endpoints = Endpoints(), QObject *parent = nullptr);
    ~ResolveJob() override;

    /*! The platform asked; a change applies to the next start(). */
    const Endpoints &endpoints() const { return m_endpoints; }
    void setEndpoints(const Endpoints &endpoints) { m_endpoints = endpoints; }
    /*! The text the next start() resolves. */
    QString text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }
    /*! How long a request may go without progress, and a whole parse may take. */
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_transferTimeout = timeout; }
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    /*! What the last finished run gave; for a cancelled or stopped run the failure record with the
     *  reason Cancelled. */
    const Result &result() const { return m_result; }

protected:
    void begin() override;
    void abandon() override;
    void pause() override;

private:
    struct Inbox;

    void end(const JobOutcome &outcome);
    void deliver(quint64 run, const Result &result);
    void endRequests();

    Endpoints m_endpoints;
    QString m_text;
    std::chrono::milliseconds m_transferTimeout = NetworkAccess::defaultInactivityTimeout;
    std::chrono::milliseconds m_deadline;
    std::shared_ptr<Inbox> m_inbox;
    std::shared_ptr<RequestGroup> m_requests;
    quint64 m_run = 0;
    Result m_result;
};

Q_DECLARE_METATYPE(ResolveJob::Result)
