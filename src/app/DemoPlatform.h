#pragma once

#include "Endpoints.h"

#include <QString>

#include <memory>

/*!
 * \brief The one door from the application to the sample platform: `kivora --demo` starts the
 * platform in the process and points every request at it, so that every flow works without a
 * network.
 *
 * The application links the sample platform only when it is built with the option KIVORA_DEMO
 * (on by default); without it isAvailable() is false and `--demo` is not offered. The platform's
 * certificate and media are compiled in, so the demo also runs from an installed tree.
 */
class DemoPlatform
{
public:
    virtual ~DemoPlatform() = default;

    /*! True when this build carries the sample platform. */
    static bool isAvailable();
    /*! Starts the platform and makes its certificate trusted; nothing, with a reason in
     *  \a error, when it cannot start or the build has no demo. */
    static std::unique_ptr<DemoPlatform> start(QString *error);

    /*! Where the platform answers. */
    virtual Endpoints endpoints() const = 0;
    /*! The items a share text can point at. */
    enum class Sample {
        Video, //!< the platform's first video
        Gallery, //!< a picture gallery
        Failure, //!< an item the platform cannot give: its parse fails
    };

    /*! A share text of the platform's first video, as the app's share sheet writes it. */
    QString sampleShareText() const { return shareText(Sample::Video); }
    /*! A share text of \a sample. */
    virtual QString shareText(Sample sample) const = 0;
    /*! From now on the media (and share pages) stop half-way, with their length announced, so
     *  that a download shows its progress for a while. */
    virtual void slowDownMedia() = 0;
};
