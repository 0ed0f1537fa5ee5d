#pragma once

#include "VideoParser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

/*!
 * \brief Fetches the item of one video ID on the parser's network thread and builds its record.
 *
 * It takes the item's roads (ItemRoad::declared()) in their order: the share page first; when it
 * answers but holds no item (no router data, an empty item list, an error or shell page, a page
 * that is not UTF-8), the item endpoint. A transfer that fails ends the fetch with its reason;
 * when no road finds the item, the reason says what each lacked. Every request shares the
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
