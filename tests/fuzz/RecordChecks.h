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
    require(record.toJson().size() == 8 && record.tips() == tips,
            "the full record has eight entries and credits its source", record.toString());
    require(record.isSuccess() == !record.name()->isEmpty(), "success follows the name");
    require((*record.type() == u"图集"_s) == !record.images()->isEmpty(), "type follows images");
    require((record.kind() == VideoInfo::Kind::Gallery) == !record.images()->isEmpty(),
            "the kind follows images");
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
    QStringList images;
    const QJsonArray elements = lookup(item, u"images"_s).toArray();
    for (const QJsonValue &element : elements) {
        const QJsonValue url = firstElement(lookup(element, u"url_list"_s));
        if (url.isString() && images.size() < JsonItemReader::maximumImages)
            images.append(url.toString());
    }
    const QString playId
        = textOf(lookup(lookup(lookup(item, u"video"_s), u"play_addr"_s), u"uri"_s));
    return VideoInfo::full(
        textOf(lookup(lookup(item, u"author"_s), u"nickname"_s)), textOf(lookup(item, u"desc"_s)),
        playId.isEmpty() ? QString() : parser.playAddress(playId),
        textOf(firstElement(lookup(lookup(lookup(item, u"video"_s), u"cover"_s), u"url_list"_s))),
        images, tips);
}

/*! Requires \a record to equal the document's record of \a json. */
inline void requireDocumentRecord(const VideoInfo &record, const QByteArray &json,
                                  const QStringList &path, const VideoParser &parser,
                                  const QString &tips)
{
    const VideoInfo expected = documentRecord(json, path, parser, tips);
    require(record == expected, "the one-pass reading gives the document's record",
            record.toString() + u"\n"_s + expected.toString());
}

} // namespace RecordChecks
