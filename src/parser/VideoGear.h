#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

/*!
 * \brief One rendition of an item's video as the platform lists it ("video" → "bit_rate"): its
 * nominal height, its codec, its bit rate, its size and its addresses.
 *
 * The nominal height is the one the platform names the rendition by ("normal_540_0", "…_540p_…"):
 * a stream 544 pixels high is a 540p rendition.
 */
class VideoGear
{
public:
    enum class Codec {
        H264, //!< plays everywhere
        Bytevc1, //!< the platform's H.265
        Bytevc2, //!< the platform's own codec, which common players cannot play
    };

    int height = 0; //!< nominal height in pixels; 0 when the platform names none
    Codec codec = Codec::H264;
    qint64 bitrate = 0; //!< bits per second
    qint64 size = 0; //!< bytes, as the platform states them; 0 when unknown
    QStringList urls; //!< the addresses, to be tried in order

    /*! "h264", "bytevc1" or "bytevc2". */
    static QString codecName(Codec codec);
    /*! The nominal height read from \a urlKey ("{uri}_{codec}_{height}p_{bitrate}"), else from
     *  \a gearName ("normal_1080_0"), else \a pixelHeight. */
    static int nominalHeight(const QString &gearName, const QString &urlKey, int pixelHeight);
    /*! The codec named in \a urlKey, else the one the flags say (H.265 is "bytevc1"), else
     *  H.264. */
    static Codec codecOf(const QString &urlKey, bool isBytevc1, bool isH265);

    /*! {height, codec, bitrate, size, urls}. */
    QJsonObject toJson() const;

    friend bool operator==(const VideoGear &a, const VideoGear &b)
    {
        return a.height == b.height && a.codec == b.codec && a.bitrate == b.bitrate
            && a.size == b.size && a.urls == b.urls;
    }
    friend bool operator!=(const VideoGear &a, const VideoGear &b) { return !(a == b); }
};
