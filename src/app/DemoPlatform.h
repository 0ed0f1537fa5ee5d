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
    /*! A share text of the platform's first video, as the app's share sheet writes it. */
    virtual QString sampleShareText() const = 0;
};
