#pragma once

#include "VideoGear.h"

#include <QList>
#include <QStringView>

#include <optional>

/*!
 * \brief Which rendition of a video to take: a quality (the best, the worst or a nominal height)
 * and the codecs allowed.
 *
 * The default takes the best H.264 rendition: the tallest, then the largest, then the one with the
 * highest bit rate. "any" codec allows H.264 and H.265 but still leaves bytevc2 out, which common
 * players cannot play; bytevc2 is taken only when named.
 */
class GearPreference
{
public:
    enum class Quality {
        Best, //!< the tallest
        Worst, //!< the shortest
        Height, //!< the tallest not above height(), else the shortest there is
    };
    enum class Codecs {
        H264,
        H265,
        Bytevc2,
        Any, //!< H.264 or H.265
    };

    GearPreference() = default;
    GearPreference(Quality quality, int height, Codecs codecs)
        : m_quality(quality), m_height(height), m_codecs(codecs)
    { }

    /*! Reads \a quality ("best", "worst" or "HEIGHTp" such as "720p") and \a codecs ("h264",
     *  "h265", "bytevc2" or "any"); nothing when either is not one of these. */
    static std::optional<GearPreference> fromText(QStringView quality, QStringView codecs);

    Quality quality() const { return m_quality; }
    int height() const { return m_height; }
    Codecs codecs() const { return m_codecs; }

    /*! The index in \a gears of the rendition to take, or nothing when no rendition has an
     *  allowed codec. Ties in height go to the larger file, then to the higher bit rate (for
     *  Worst: to the smaller, then the lower). */
    std::optional<qsizetype> choose(const QList<VideoGear> &gears) const;

private:
    bool allows(VideoGear::Codec codec) const;
    bool isBetter(const VideoGear &candidate, const VideoGear &chosen) const;

    Quality m_quality = Quality::Best;
    int m_height = 0;
    Codecs m_codecs = Codecs::H264;
};
