#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The Video info record: what a parse delivers, in its full form (eight entries) or as the
 * failure record (only "msg" and "tips"). An entry the record lacks reads as absent.
 */
class VideoInfo
{
public:
    /*! The failure record. */
    static VideoInfo failure();

    std::optional<QString> msg() const;
    std::optional<QString> name() const;
    std::optional<QString> title() const;
    std::optional<QString> video() const;
    std::optional<QString> cover() const;
    std::optional<QStringList> images() const;
    std::optional<QString> type() const;
    std::optional<QString> tips() const;

    /*! True when "msg" reads as success. */
    bool isSuccess() const;
    /*! True for the two-entry failure record. */
    bool isFailureRecord() const;

    /*! Exactly the entries the record has. */
    QJsonObject toJson() const;
    /*! Compact JSON of toJson(), as the diagnostic lines print it. */
    QString toString() const;

    friend bool operator==(const VideoInfo &a, const VideoInfo &b);

    // The full record's builder; see VideoParser::parseVideoInfoFromJSON.
    static VideoInfo full(const QString &name, const QString &title, const QString &video,
                          const QString &cover, const QStringList &images);

private:
    std::optional<QString> m_msg, m_name, m_title, m_video, m_cover, m_type, m_tips;
    std::optional<QStringList> m_images;
};
