#pragma once

#include "ResolvingItem.h"

class VideoInfo;

/*!
 * \brief "parse" for one input: prints the record as a readable summary, or as one JSON line with
 * the record's entries, "id" and, when the parse failed, "input" and "error" (the reason).
 *
 * The parse failed when the record's "msg" says so, whatever else the record holds; the reason
 * also goes to standard error. A play address is printed as it is, without any request.
 */
class ParseItem : public ResolvingItem
{
    Q_OBJECT

public:
    using ResolvingItem::ResolvingItem;

    /*! The readable summary of \a record: one "key: value" line per entry it has (after "id"
     *  when known), its values escaped (Console::escaped()). */
    static QString summaryText(const VideoInfo &record, const std::optional<QString> &videoId);
    /*! Why \a result is a failed parse, or nothing when it is none. */
    static std::optional<QString> failureOf(const ResolveJob::Result &result);

protected:
    void useResolution(const ResolveJob::Result &result) override;
    void stopWork() override { }
};
