#pragma once

#include "ItemMusic.h"
#include "VideoGear.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The Video info record: what a parse delivers, in its full form (eight entries, and the
 * item's media beside them) or as the failure record (only "msg" and "tips"). An entry the record
 * lacks reads as absent.
 *
 * Built once and not changed afterwards. Whether the parse succeeded and what kind of item it
 * found are kept as fields; "msg" and "type" are their texts in the record, for display only.
 */
class VideoInfo
{
public:
    /*! What the item is: a video, or a picture gallery (it has images). */
    enum class Kind {
        Video,
        Gallery,
    };

    /*! "msg" of a record whose item has an author name. */
    static QString successMessage();
    /*! "msg" of every other record. */
    static QString failureMessage();

    /*! What an item holds beside its play address, cover and pictures. */
    struct Media
    {
        bool gallery = false; //!< a picture gallery, even when its pictures were withheld
        QList<QStringList> imageFallbacks; //!< beside the images: other addresses of each
        QStringList clips; //!< beside the images: each picture's clip, empty where none
        std::optional<ItemMusic> music;
        QList<VideoGear> gears; //!< the video's renditions

        friend bool operator==(const Media &a, const Media &b)
        {
            return a.gallery == b.gallery && a.imageFallbacks == b.imageFallbacks
                && a.clips == b.clips && a.music == b.music && a.gears == b.gears;
        }
    };

    /*! The failure record, crediting the data source with \a tips. */
    static VideoInfo failure(const QString &tips);
    /*! The full record. Success (and "msg") follows from \a name, the kind (and "type") from
     *  \a images and \a media's gallery flag; \a video is the play address (empty for a gallery,
     *  or when the item has no play identifier). */
    static VideoInfo full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images, const QString &tips,
                          const Media &media);
    /*! The full record of an item with nothing beside its play address, cover and pictures. */
    static VideoInfo full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images, const QString &tips);

    /*! "msg": successMessage() or failureMessage(). */
    std::optional<QString> msg() const;
    std::optional<QString> name() const { return m_name; }
    std::optional<QString> title() const { return m_title; }
    std::optional<QString> video() const { return m_video; }
    std::optional<QString> cover() const { return m_cover; }
    std::optional<QStringList> images() const { return m_images; }
    std::optional<QString> type() const;
    std::optional<QString> tips() const { return m_tips; }
    /*! Beside images(): each picture's clip ("clips"), empty where a picture has none. */
    QStringList clips() const { return m_media.clips; }
    /*! Beside images(): the other addresses of each picture, to try when its own fails. */
    QList<QStringList> imageFallbacks() const { return m_media.imageFallbacks; }
    /*! The item's music ("music"), when it has any. */
    std::optional<ItemMusic> music() const { return m_media.music; }
    /*! The video's renditions ("gears"); choose one with GearPreference. */
    QList<VideoGear> gears() const { return m_media.gears; }

    /*! True for a full record whose item has an author name. */
    bool isSuccess() const;
    /*! The item's kind; absent in the failure record. */
    std::optional<Kind> kind() const { return m_kind; }
    /*! True for the two-entry failure record. */
    bool isFailureRecord() const;

    /*! Exactly the entries the record has. */
    QJsonObject toJson() const;
    /*! Compact JSON of toJson(), as the diagnostic lines print it. */
    QString toString() const;

    friend bool operator==(const VideoInfo &a, const VideoInfo &b);
    friend bool operator!=(const VideoInfo &a, const VideoInfo &b) { return !(a == b); }

private:
    std::optional<QString> m_name, m_title, m_video, m_cover, m_tips;
    std::optional<Kind> m_kind;
    std::optional<QStringList> m_images;
    Media m_media;
};
