#include "VideoInfo.h"

#include <QJsonArray>
#include <QJsonDocument>

QString VideoInfo::successMessage()
{
    return QStringLiteral("解析成功！💬️");
}

QString VideoInfo::failureMessage()
{
    return QStringLiteral("解析失败！💦");
}

VideoInfo VideoInfo::failure(const QString &tips)
{
    VideoInfo info;
    info.m_tips = tips;
    return info;
}

VideoInfo VideoInfo::full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images, const QString &tips)
{
    return full(name, title, video, cover, images, tips, Media());
}

VideoInfo VideoInfo::full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images, const QString &tips,
                          const Media &media)
{
    VideoInfo info;
    info.m_name = name;
    info.m_title = title;
    info.m_video = video;
    info.m_cover = cover;
    info.m_images = images;
    info.m_kind = images.isEmpty() && !media.gallery ? Kind::Video : Kind::Gallery;
    info.m_tips = tips;
    info.m_media = media;
    // One entry per picture, whatever the caller gave.
    info.m_media.clips.resize(images.size());
    info.m_media.imageFallbacks.resize(images.size());
    return info;
}

std::optional<QString> VideoInfo::msg() const
{
    // A record that was never built (default-constructed) has no entries at all.
    if (!m_kind && !m_tips)
        return std::nullopt;
    return isSuccess() ? successMessage() : failureMessage();
}

std::optional<QString> VideoInfo::type() const
{
    if (!m_kind)
        return std::nullopt;
    return *m_kind == Kind::Gallery ? QStringLiteral("图集") : QStringLiteral("视频");
}

bool VideoInfo::isSuccess() const
{
    return m_kind && m_name && !m_name->isEmpty();
}

bool VideoInfo::isFailureRecord() const
{
    return m_tips && !m_kind && !m_name && !m_title && !m_video && !m_cover && !m_images;
}

QJsonObject VideoInfo::toJson() const
{
    QJsonObject json;
    const auto put = [&json](const QString &key, const std::optional<QString> &value) {
        if (value)
            json.insert(key, *value);
    };
    put(QStringLiteral("msg"), msg());
    put(QStringLiteral("name"), m_name);
    put(QStringLiteral("title"), m_title);
    put(QStringLiteral("video"), m_video);
    put(QStringLiteral("cover"), m_cover);
    if (m_images) {
        json.insert(QStringLiteral("images"), QJsonArray::fromStringList(*m_images));
        json.insert(QStringLiteral("clips"), QJsonArray::fromStringList(m_media.clips));
        QJsonArray gears;
        for (const VideoGear &gear : m_media.gears)
            gears.append(gear.toJson());
        json.insert(QStringLiteral("gears"), gears);
    }
    if (m_media.music)
        json.insert(QStringLiteral("music"), m_media.music->toJson());
    put(QStringLiteral("type"), type());
    put(QStringLiteral("tips"), m_tips);
    return json;
}

QString VideoInfo::toString() const
{
    return QString::fromUtf8(QJsonDocument(toJson()).toJson(QJsonDocument::Compact));
}

bool operator==(const VideoInfo &a, const VideoInfo &b)
{
    return a.m_kind == b.m_kind && a.m_name == b.m_name && a.m_title == b.m_title
        && a.m_video == b.m_video && a.m_cover == b.m_cover && a.m_images == b.m_images
        && a.m_tips == b.m_tips && a.m_media == b.m_media;
}
