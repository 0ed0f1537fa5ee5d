#include "BatchCounts.h"

using namespace Qt::StringLiterals;

void BatchCounts::count(BatchItem::Outcome outcome)
{
    switch (outcome) {
    case BatchItem::Outcome::Done:
        ++done;
        break;
    case BatchItem::Outcome::Skipped:
        ++skipped;
        break;
    case BatchItem::Outcome::Failed:
        ++failed;
        break;
    case BatchItem::Outcome::Stopped:
        ++stopped;
        break;
    case BatchItem::Outcome::Partial:
        ++partial;
        break;
    }
}

QString BatchCounts::unfinished() const
{
    QString text;
    if (stopped > 0)
        text += u", %1 stopped"_s.arg(stopped);
    if (partial > 0)
        text += u", %1 partial"_s.arg(partial);
    return text;
}
