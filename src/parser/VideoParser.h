#pragma once

#include "Endpoints.h"
#include "VideoInfo.h"

#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

/*!
 * \brief Turns a message (share text link, bare link or video ID) into a Video info record.
 *
 * Create one per request. fetchVideoInfoWithMessage() calls its completion exactly once: at once,
 * on the calling thread, when the message yields no link and is not all digits; otherwise later,
 * on the parser's network thread (not the caller's). The pending request keeps what it needs
 * alive, so the caller may drop the parser as soon as the call returns.
 *
 * (Contract sketch: the parser's developer may add members but keeps these.)
 */
class VideoParser
{
public:
    using Completion = std::function<void(const VideoInfo &)>;

    explicit VideoParser(const Endpoints &endpoints = Endpoints());

    void fetchVideoInfoWithMessage(const std::optional<QString> &message, Completion completion);

    static bool isNumeric(const QString &text);
    std::optional<QString> extractJSONFromHTML(const QString &page) const;
    VideoInfo parseVideoInfoFromJSON(const std::optional<QJsonValue> &root) const;

    std::optional<QString> redirectedURL() const;
    void setRedirectedURL(const std::optional<QString> &url);
};
