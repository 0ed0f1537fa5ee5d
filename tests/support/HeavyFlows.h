#pragma once

#include <QString>

class SamplePlatform;

/*!
 * \brief The window's three heaviest flows, run one after the other on the calling (main)
 * thread's event loop against the sample platform, each watched by a StallMeter: the parse of a
 * large share page, the download of a large video, and the album copy of that download.
 *
 * Shared by the responsiveness test (which fails past a generous bound) and its benchmark (which
 * prints the figures against the target).
 */
namespace HeavyFlows {

struct Stalls
{
    qint64 parseMs = -1;
    qint64 downloadMs = -1;
    qint64 albumCopyMs = -1;
    QString error; //!< why a flow did not succeed; the figures after it are -1
};

/*! Runs the flows with a share page of \a pageBytes and a video of \a videoBytes, downloading
 *  into \a directory; the album is the current home's. The files made are removed again. */
Stalls measure(SamplePlatform &platform, const QString &directory, qint64 pageBytes,
               qint64 videoBytes);

} // namespace HeavyFlows
