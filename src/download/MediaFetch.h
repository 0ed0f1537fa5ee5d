#pragma once

#include "FailureReason.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QObject;

/*!
 * \brief Fetches a picture into memory, for showing it: bounded in size and time, redirects
 * followed as RedirectRule allows (the rule downloads to disk, VideoDownloader, follow too).
 *
 * The answer comes once, on the caller's thread, and only while the context object lives. Only
 * a success status with a body counts; anything else is a failure with its FailureReason.
 */
class MediaFetch
{
    Q_DECLARE_TR_FUNCTIONS(MediaFetch)

public:
    struct Answer
    {
        QByteArray bytes; //!< the whole body, when there is no failure
        std::optional<FailureReason> failure;
    };
    using Done = std::function<void(const Answer &answer)>;

    /*! The longest a whole fetch may take, redirects included. */
    static constexpr std::chrono::seconds deadline { 30 };

    /*! Fetches \a url, at most \a maximumBytes of it; \a done runs while \a context lives. */
    static void toMemory(const QUrl &url, qint64 maximumBytes, const QObject *context, Done done);

private:
    struct Chain;
};
