#pragma once

#include "VideoParser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

/*!
 * \brief Fetches the item of one video ID on the parser's network thread and builds its record.
 *
 * The share page comes first. When it answers but holds no item (no router data, an empty item
 * list, an error or shell page, a page that is not UTF-8), the item endpoint is asked: once, and
 * once more with "request_source=200" when that answer holds no item or holds a gallery without
 * its images. A transfer that fails ends the fetch with its reason. Every request shares the
 * parse's deadline.
 */
class ItemFetch
{
    Q_DECLARE_TR_FUNCTIONS(ItemFetch)

public:
    /*! Fetches \a videoId's item on the network thread and calls \a completion there once.
     *  \a gallery says that the link named a picture gallery. */
    static void start(const VideoParser &parser, const QString &videoId, bool gallery,
                      const QDeadlineTimer &deadline, VideoParser::ReasonCompletion completion);

private:
    struct Run;
};
