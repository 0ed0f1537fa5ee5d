#include "GearPreference.h"

#include <QRegularExpression>

#include <tuple>

std::optional<GearPreference> GearPreference::fromText(QStringView quality, QStringView codecs)
{
    GearPreference preference;
    static const QRegularExpression heightPattern(QStringLiteral("^([0-9]{1,5})p$"));
    const QRegularExpressionMatch height = heightPattern.match(quality.toString());
    if (quality == u"best")
        preference.m_quality = Quality::Best;
    else if (quality == u"worst")
        preference.m_quality = Quality::Worst;
    else if (height.hasMatch() && height.captured(1).toInt() > 0)
        preference = { Quality::Height, height.captured(1).toInt(), Codecs::H264 };
    else
        return std::nullopt;

    if (codecs == u"h264")
        preference.m_codecs = Codecs::H264;
    else if (codecs == u"h265")
        preference.m_codecs = Codecs::H265;
    else if (codecs == u"bytevc2")
        preference.m_codecs = Codecs::Bytevc2;
    else if (codecs == u"any")
        preference.m_codecs = Codecs::Any;
    else
        return std::nullopt;
    return preference;
}

std::optional<qsizetype> GearPreference::choose(const QList<VideoGear> &gears) const
{
    std::optional<qsizetype> chosen;
    for (qsizetype i = 0; i < gears.size(); ++i) {
        if (allows(gears.at(i).codec) && (!chosen || isBetter(gears.at(i), gears.at(*chosen))))
            chosen = i;
    }
    return chosen;
}

bool GearPreference::allows(VideoGear::Codec codec) const
{
    switch (m_codecs) {
    case Codecs::H264:
        return codec == VideoGear::Codec::H264;
    case Codecs::H265:
        return codec == VideoGear::Codec::Bytevc1;
    case Codecs::Bytevc2:
        return codec == VideoGear::Codec::Bytevc2;
    case Codecs::Any:
        return codec != VideoGear::Codec::Bytevc2;
    }
    return false;
}

bool GearPreference::isBetter(const VideoGear &candidate, const VideoGear &chosen) const
{
    const auto byTheRest
        = [](const VideoGear &gear) { return std::tuple(gear.size, gear.bitrate); };
    if (candidate.height == chosen.height) {
        return m_quality == Quality::Worst ? byTheRest(candidate) < byTheRest(chosen)
                                           : byTheRest(candidate) > byTheRest(chosen);
    }
    switch (m_quality) {
    case Quality::Best:
        return candidate.height > chosen.height;
    case Quality::Worst:
        return candidate.height < chosen.height;
    case Quality::Height: {
        // Within the limit the taller wins; above it, the shorter (only while nothing fits).
        const bool candidateFits = candidate.height <= m_height;
        const bool chosenFits = chosen.height <= m_height;
        if (candidateFits != chosenFits)
            return candidateFits;
        return candidateFits ? candidate.height > chosen.height : candidate.height < chosen.height;
    }
    }
    return false;
}
