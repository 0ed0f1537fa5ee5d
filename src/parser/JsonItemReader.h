#pragma once

#include "ItemMusic.h"
#include "VideoGear.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief Reads the one item a share page's router data or an item endpoint answer holds, straight
 * from the JSON text, in one pass and without building the document.
 *
 * Time grows linearly with the text, and memory only with what is kept: the item's texts, at
 * most maximumImages gallery pictures, maximumGears renditions of a video and maximumAddresses
 * addresses of each. (A document of a 12 MB gallery page would take hundreds of
 * megabytes.) The text counts as an object exactly when QJsonDocument::fromJson() reads it as
 * one, and the item's fields are the values a lookup in that document gives: a key that appears
 * twice counts with its last value.
 */
class JsonItemReader
{
public:
    /*! How many gallery addresses an item keeps; the rest are counted, not kept. */
    static constexpr qsizetype maximumImages = 1000;
    /*! How many renditions of a video an item keeps. */
    static constexpr qsizetype maximumGears = 16;
    /*! How many addresses of one picture or rendition an item keeps. */
    static constexpr qsizetype maximumAddresses = 8;

    /*! Where the item is. */
    enum class Path {
        RouterData, //!< "loaderData" → "video_(id)/page" → "videoInfoRes" → "item_list" → first
        ItemAnswer, //!< "aweme_details" → first
    };

    /*! The fields of an item; a field whose value is missing or of another kind is empty. */
    struct Item
    {
        QString nickname; //!< "author" → "nickname"
        QString desc; //!< "desc"
        QString playUri; //!< "video" → "play_addr" → "uri"
        QString playUrl; //!< "video" → "play_addr" → "url_list" → first
        QString cover; //!< "video" → "cover" → "url_list" → first
        QList<VideoGear> gears; //!< "video" → "bit_rate", each element an object
        /*! "images" → each element's "url_list": its JPEG address (a path ending in ".jpeg" or
         *  ".jpg"), else its first non-empty text; elements without one are passed over. At most
         *  maximumImages of them. ("download_url_list" carries a watermark: never read.) */
        QStringList images;
        QList<QStringList> imageFallbacks; //!< beside images: the other addresses of each
        /*! Beside images: each picture's clip (a live photo's "video"), the address of its best
         *  H.264 rendition or else its first play address; empty where a picture has none. */
        QStringList clips;
        qsizetype imagesLeftOut = 0; //!< the gallery's addresses past maximumImages
        std::optional<double> awemeType; //!< "aweme_type", when it is a number
        std::optional<double> mediaType; //!< "media_type", when it is a number
        bool isSlides = false; //!< "is_slides" is true
        /*! "music": "play_url" → "url_list" → first, "title", "duration"; present when the
         *  item has a "music" object. */
        std::optional<ItemMusic> music;
        bool isDeleted = false; //!< "status" → "is_delete" is true
        std::optional<double> privateStatus; //!< "status" → "private_status", when a number

        /*! True for a picture gallery: pictures, or else a media type of 2 (a note) or 42
         *  (slides), or "is_slides"; "aweme_type" no longer tells. */
        bool isGallery() const;
    };

    /*! What the text held. */
    struct Reading
    {
        bool isObject = false; //!< the text is one JSON object (and nothing else)
        std::optional<Item> item; //!< the item: an object at the end of the path
    };

    /*! Reads \a json, well-formed UTF-8, for the item at \a path. */
    static Reading read(QByteArrayView json, Path path);
};
