#include "JobOutcome.h"

using namespace Qt::StringLiterals;

JobOutcome JobOutcome::done(const QList<SavedFile> &files)
{
    JobOutcome outcome;
    outcome.m_status = Status::Done;
    outcome.m_files = files;
    return outcome;
}

JobOutcome JobOutcome::failed(const FailureReason &reason, const QList<SavedFile> &files)
{
    JobOutcome outcome;
    outcome.m_status = Status::Failed;
    outcome.m_reason = reason;
    outcome.m_files = files;
    return outcome;
}

JobOutcome JobOutcome::cancelled()
{
    JobOutcome outcome;
    outcome.m_status = Status::Cancelled;
    outcome.m_reason = FailureReason(FailureReason::Kind::Cancelled, QString());
    return outcome;
}

JobOutcome JobOutcome::stopped(const QList<SavedFile> &files)
{
    JobOutcome outcome;
    outcome.m_status = Status::Stopped;
    outcome.m_files = files;
    return outcome;
}

QString JobOutcome::statusName(Status status)
{
    switch (status) {
    case Status::Done:
        return u"done"_s;
    case Status::Failed:
        return u"failed"_s;
    case Status::Cancelled:
        return u"cancelled"_s;
    case Status::Stopped:
        return u"stopped"_s;
    }
    return QString();
}
