#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief Reads the one item a share page's router data or an item endpoint answer holds, straight
 * from the JSON text, in one pass and without building the document.
 *
 * Time grows linearly with the text, and memory only with what is kept: the item's texts and at
 * most maximumImages gallery addresses. (A document of a 12 MB gallery page would take hundreds of
 * megabytes.) The text counts as an object exactly when QJsonDocument::fromJson() reads it as
 * one, and the item's fields are the values a lookup in that document gives: a key that appears
 * twice counts with its last value.
 */
class JsonItemReader
{
public:
    /*! How many gallery addresses an item keeps; the rest are counted, not kept. */
    static constexpr qsizetype maximumImages = 1000;

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
        QString cover; //!< "video" → "cover" → "url_list" → first
        /*! "images" → each element's "url_list" → first, where that is text; at most
         *  maximumImages of them. */
        QStringList images;
        qsizetype imagesLeftOut = 0; //!< the gallery's addresses past maximumImages
        std::optional<double> awemeType; //!< "aweme_type", when it is a number
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
