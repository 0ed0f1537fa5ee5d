#pragma once

#include "FuzzChecks.h"
#include "JsonItemReader.h"
#include "VideoParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// What the record fuzz targets share: the invariants of every record, and the record as a
// document of the JSON text gives it (QJsonDocument and key lookups), which the one-pass reading
// must equal.
namespace RecordChecks {

using namespace Qt::StringLiterals;
using FuzzChecks::require;

/*! Holds for every record: \a tips credits the source of a full record. */
inline void checkRecord(const VideoInfo &record, const VideoParser &parser, const QString &tips)
{
    require(record.msg().has_value() && record.tips().has_value(), "every record has msg and tips");
    if (record.isFailureRecord()) {
        require(record.toJson().size() == 2 && record.tips() == parser.tips(),
                "the failure record has two entries");
        return;
    }
    const qsizetype entries = record.toJson().size() - (record.music() ? 1 : 0);
    require(entries == 10 && record.tips() == tips,
            "the full record has eight entries, clips and renditions, and credits its source",
            record.toString());
    require(record.isSuccess() == !record.name()->isEmpty(), "success follows the name");
    const bool gallery = *record.type() == u"图集"_s;
    require(gallery == (record.kind() == VideoInfo::Kind::Gallery), "type follows the kind");
    require(record.images()->isEmpty() || gallery, "pictures make a gallery");
    require(!gallery || record.video()->isEmpty(), "a gallery has no play address");
    require(record.clips().size() == record.images()->size(), "one clip entry per picture");
    require(record.images()->size() <= JsonItemReader::maximumImages, "a gallery is capped");
    const QString playPrefix = parser.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s;
    const QString video = *record.video();
    require(video.isEmpty()
                || (video.startsWith(playPrefix) && !video.contains(u'#')
                    && !video.mid(playPrefix.size()).contains(u'&')),
            "the video is a play address with one parameter", video);
}

inline QJsonValue lookup(const QJsonValue &value, const QString &key)
{
    return value.isObject() ? value.toObject().value(key) : QJsonValue(QJsonValue::Undefined);
}

inline QJsonValue firstElement(const QJsonValue &value)
{
    const QJsonArray array = value.toArray();
    return value.isArray() && !array.isEmpty() ? array.first() : QJsonValue(QJsonValue::Undefined);
}

inline QString textOf(const QJsonValue &value)
{
    return value.isString() ? value.toString() : QString();
}

/*! The record of the JSON text \a json whose item lies at \a path (keys, then the first
 *  element), read through a QJsonDocument. */
inline VideoInfo documentRecord(const QByteArray &json, const QStringList &path,
                                const VideoParser &parser, const QString &tips)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return parser.failureRecord();
    QJsonValue value = document.object();
    for (const QString &key : path)
        value = lookup(value, key);
    const QJsonValue item = firstElement(value);
    if (!item.isObject())
        return parser.failureRecord();
    // A deleted or private item is withheld: the failure record.
    const QJsonValue status = lookup(item, u"status"_s);
    const QJsonValue deleted = lookup(status, u"is_delete"_s);
    const QJsonValue privateStatus = lookup(status, u"private_status"_s);
    if (deleted == QJsonValue(true) || (deleted.isDouble() && deleted.toDouble() != 0)
        || privateStatus == QJsonValue(1) || privateStatus == QJsonValue(2))
        return parser.failureRecord();
    QStringList images;
    const QJsonArray elements = lookup(item, u"images"_s).toArray();
    for (const QJsonValue &element : elements) {
        if (images.size() == JsonItemReader::maximumImages)
            break;
        // The JPEG entry (within the first addresses kept), else the first non-empty text.
        QStringList addresses;
        const QJsonArray list = lookup(element, u"url_list"_s).toArray();
        for (const QJsonValue &url : list) {
            if (url.isString() && addresses.size() < JsonItemReader::maximumAddresses)
                addresses.append(url.toString());
        }
        addresses.removeAll(QString());
        const auto jpeg = std::find_if(addresses.cbegin(), addresses.cend(), [](const QString &a) {
            const QString path = a.section(u'?', 0, 0).section(u'#', 0, 0).toLower();
            return path.endsWith(u".jpeg"_s) || path.endsWith(u".jpg"_s);
        });
        if (!addresses.isEmpty())
            images.append(jpeg != addresses.cend() ? *jpeg : addresses.first());
    }
    const QJsonValue mediaType = lookup(item, u"media_type"_s);
    const bool gallery = !images.isEmpty() || mediaType == QJsonValue(2)
        || mediaType == QJsonValue(42) || lookup(item, u"is_slides"_s) == QJsonValue(true);
    const QString playId
        = textOf(lookup(lookup(lookup(item, u"video"_s), u"play_addr"_s), u"uri"_s));
    VideoInfo::Media media;
    media.gallery = gallery;
    return VideoInfo::full(
        textOf(lookup(lookup(item, u"author"_s), u"nickname"_s)), textOf(lookup(item, u"desc"_s)),
        playId.isEmpty() || gallery ? QString() : parser.playAddress(playId),
        textOf(firstElement(lookup(lookup(lookup(item, u"video"_s), u"cover"_s), u"url_list"_s))),
        images, tips, media);
}

/*! The record's eight entries, without what the item holds beside them. */
inline QJsonObject eightEntries(const VideoInfo &record)
{
    QJsonObject entries = record.toJson();
    for (const QString &key : { u"clips"_s, u"gears"_s, u"music"_s })
        entries.remove(key);
    return entries;
}

/*! Requires \a record to equal the document's record of \a json. */
inline void requireDocumentRecord(const VideoInfo &record, const QByteArray &json,
                                  const QStringList &path, const VideoParser &parser,
                                  const QString &tips)
{
    const VideoInfo expected = documentRecord(json, path, parser, tips);
    // Clips, renditions and music have their own tests; the eight entries must agree.
    require(eightEntries(record) == eightEntries(expected),
            "the one-pass reading gives the document's record",
            record.toString() + u"\n"_s + expected.toString());
}

} // namespace RecordChecks
