#include "VideoGear.h"

#include <QJsonArray>
#include <QRegularExpression>

QString VideoGear::codecName(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return QStringLiteral("h264");
    case Codec::Bytevc1:
        return QStringLiteral("bytevc1");
    case Codec::Bytevc2:
        return QStringLiteral("bytevc2");
    }
    return QString();
}

int VideoGear::nominalHeight(const QString &gearName, const QString &urlKey, int pixelHeight)
{
    static const QRegularExpression inUrlKey(QStringLiteral("_([0-9]{3,4})p(?:_|$)"));
    static const QRegularExpression inGearName(QStringLiteral("(?:^|_)([0-9]{3,4})(?:_|$)"));
    for (const auto &[pattern, text] :
         { std::pair(&inUrlKey, &urlKey), std::pair(&inGearName, &gearName) }) {
        const QRegularExpressionMatch match = pattern->match(*text);
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    return pixelHeight;
}

VideoGear::Codec VideoGear::codecOf(const QString &urlKey, bool isBytevc1, bool isH265)
{
    static const QRegularExpression named(QStringLiteral("_(h264|h265|bytevc1|bytevc2)_"));
    const QRegularExpressionMatch match = named.match(urlKey);
    if (match.hasMatch()) {
        const QString name = match.captured(1);
        return name == u"h264" ? Codec::H264 : name == u"bytevc2" ? Codec::Bytevc2 : Codec::Bytevc1;
    }
    return isBytevc1 || isH265 ? Codec::Bytevc1 : Codec::H264;
}

QJsonObject VideoGear::toJson() const
{
    return { { QStringLiteral("height"), height },
             { QStringLiteral("codec"), codecName(codec) },
             { QStringLiteral("bitrate"), bitrate },
             { QStringLiteral("size"), size },
             { QStringLiteral("urls"), QJsonArray::fromStringList(urls) } };
}
