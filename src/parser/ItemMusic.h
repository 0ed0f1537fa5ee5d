#pragma once

#include <QJsonObject>
#include <QString>

/*!
 * \brief An item's music: its address (empty when the platform gives none), its title and its
 * length in seconds.
 */
class ItemMusic
{
public:
    QString url;
    QString title;
    double duration = 0; //!< seconds

    /*! The music that goes with a picture gallery: \a address, the MP3 the gallery's "video"
     *  names, unless it is no MP3 or the platform's silent placeholder ("no_sound" in its
     *  name); else empty. */
    static QString galleryTrack(const QString &address);

    /*! {url, title, duration}. */
    QJsonObject toJson() const;

    friend bool operator==(const ItemMusic &a, const ItemMusic &b)
    {
        return a.url == b.url && a.title == b.title && a.duration == b.duration;
    }
    friend bool operator!=(const ItemMusic &a, const ItemMusic &b) { return !(a == b); }
};
