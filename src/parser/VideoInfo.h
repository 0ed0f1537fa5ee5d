#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The Video info record: what a parse delivers, in its full form (eight entries) or as the
 * failure record (only "msg" and "tips"). An entry the record lacks reads as absent.
 *
 * Built once and not changed afterwards.
 */
class VideoInfo
{
public:
    /*! "msg" of a record whose item has an author name. */
    static QString successMessage();
    /*! "msg" of every other record. */
    static QString failureMessage();

    /*! The failure record, crediting the data source with \a tips. */
    static VideoInfo failure(const QString &tips);
    /*! The full record. "msg" and "type" follow from \a name and \a images; \a video is the play
     *  address (empty when the item has no play identifier). */
    static VideoInfo full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images, const QString &tips);

    std::optional<QString> msg() const { return m_msg; }
    std::optional<QString> name() const { return m_name; }
    std::optional<QString> title() const { return m_title; }
    std::optional<QString> video() const { return m_video; }
    std::optional<QString> cover() const { return m_cover; }
    std::optional<QStringList> images() const { return m_images; }
    std::optional<QString> type() const { return m_type; }
    std::optional<QString> tips() const { return m_tips; }

    /*! True when "msg" reads as success. */
    bool isSuccess() const;
    /*! True for the two-entry failure record. */
    bool isFailureRecord() const;

    /*! Exactly the entries the record has. */
    QJsonObject toJson() const;
    /*! Compact JSON of toJson(), as the diagnostic lines print it. */
    QString toString() const;

    friend bool operator==(const VideoInfo &a, const VideoInfo &b);
    friend bool operator!=(const VideoInfo &a, const VideoInfo &b) { return !(a == b); }

private:
    std::optional<QString> m_msg, m_name, m_title, m_video, m_cover, m_type, m_tips;
    std::optional<QStringList> m_images;
};
