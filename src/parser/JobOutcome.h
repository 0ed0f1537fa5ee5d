#pragma once

#include "FailureReason.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

/*! \brief A file a job wrote and kept: where it is, how large it is, and what it holds. */
struct SavedFile
{
    QString path;
    qint64 size = 0;
    /*! What the file is to the item: "video", "image", "clip", "music" or "cover". */
    QString role;
    /*! Its place in the item, the same from run to run: "video", "cover", or a picture's number
     *  ("1", "2", …); lets a later run leave out what an earlier one saved. */
    QString key;

    friend bool operator==(const SavedFile &a, const SavedFile &b)
    {
        return a.path == b.path && a.size == b.size && a.role == b.role && a.key == b.key;
    }
};

/*!
 * \brief How a job ended: a status, the reason of a failure, and the files it wrote.
 *
 * Callers decide what to show and what to count from this value alone; the reason's detail may
 * hold text from the network and is escaped by whoever prints it.
 */
class JobOutcome
{
public:
    enum class Status {
        Done, //!< everything the job was asked for is in place
        Failed, //!< it ended on an error; reason() says which
        Cancelled, //!< the caller cancelled it; nothing it wrote is left
        Stopped, //!< the caller stopped it; what can be resumed is kept
    };

    JobOutcome() = default;
    static JobOutcome done(const QList<SavedFile> &files = {});
    static JobOutcome failed(const FailureReason &reason, const QList<SavedFile> &files = {});
    static JobOutcome cancelled();
    static JobOutcome stopped(const QList<SavedFile> &files = {});

    Status status() const { return m_status; }
    bool isDone() const { return m_status == Status::Done; }
    /*! Some of the files are in place but the job did not finish: failed or stopped with files. */
    bool isPartial() const { return m_status != Status::Done && !m_files.isEmpty(); }

    /*! Why it failed; for a cancelled job the kind Cancelled; absent when done or stopped. */
    std::optional<FailureReason> reason() const { return m_reason; }
    /*! The files written and kept, in the order they were saved. */
    QList<SavedFile> files() const { return m_files; }

    /*! "done", "failed", "cancelled" or "stopped": stable words for logs and machine output. */
    static QString statusName(Status status);

private:
    Status m_status = Status::Failed;
    std::optional<FailureReason> m_reason;
    QList<SavedFile> m_files;
};

Q_DECLARE_METATYPE(JobOutcome)
