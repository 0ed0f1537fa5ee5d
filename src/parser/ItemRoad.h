#pragma once

#include "FailureReason.h"
#include "VideoInfo.h"
#include "VideoParser.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QNetworkAccessManager;

/*!
 * \brief One way from a video ID to its item: a request (or a few) to the platform, and the record
 * read from what came back, or why it holds no item.
 *
 * ItemFetch takes the roads in the order declared() lists them, on the parser's network thread:
 * the first road that finds the item ends the fetch; a road whose answer holds no item hands over
 * to the next one; a transfer that fails ends the fetch, since another road would meet the same
 * network. A road keeps no state between fetches: what one fetch learns along the way goes into
 * its Trail, for the roads after it.
 */
class ItemRoad
{
public:
    /*! What one fetch knows: the item asked for, the parse's limits, and what the roads taken so
     *  far have found on the way. */
    struct Trail
    {
        VideoParser parser;
        QString videoId;
        bool gallery = false; //!< the link named a picture gallery
        QDeadlineTimer deadline;
        QNetworkAccessManager *manager = nullptr;
        /*! The share page as it came, once a road has read it (empty before). */
        QByteArray sharePage;
    };

    /*! How a road ended. */
    struct Arrival
    {
        std::optional<VideoInfo> record; //!< the item's record, when the road found it
        std::optional<FailureReason> problem; //!< why not, otherwise
        bool transferFailed = false; //!< the problem is a failed transfer

        static Arrival found(const VideoInfo &record) { return { record, std::nullopt, false }; }
        static Arrival noItem(const FailureReason &why) { return { std::nullopt, why, false }; }
        static Arrival failedTransfer(const FailureReason &why)
        {
            return { std::nullopt, why, true };
        }
    };
    using Done = std::function<void(const Arrival &arrival)>;

    virtual ~ItemRoad();

    /*! A short English name for the log ("share page", "item endpoint"). */
    virtual QString name() const = 0;
    /*! Looks for \a trail's item; calls \a done once, on the network thread. */
    virtual void take(const std::shared_ptr<Trail> &trail, Done done) const = 0;

    /*! Every road, in the order they are taken. */
    static const std::vector<std::unique_ptr<const ItemRoad>> &declared();

protected:
    /*! Sends \a request for \a trail (in its parse's request group) and reads the whole body. */
    static void read(const std::shared_ptr<Trail> &trail, const QNetworkRequest &request,
                     BoundedRequest::Done done);
};
