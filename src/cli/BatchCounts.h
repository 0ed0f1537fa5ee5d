#pragma once

#include "BatchItem.h"

#include <QString>

/*! \brief How the items of a batch ended, for the total line and the summary. */
struct BatchCounts
{
    int done = 0;
    int skipped = 0;
    int failed = 0;
    int stopped = 0;
    int partial = 0; //!< some of the item's files saved, not all

    void count(BatchItem::Outcome outcome);
    int total() const { return done + skipped + failed + stopped + partial; }
    /*! ", N stopped" and ", N partial", each only when there are any: the words a summary adds
     *  so that no unfinished item goes unmentioned. */
    QString unfinished() const;
};
