#pragma once

/*!
 * \brief Settings of the media backend that must be made before the first multimedia object
 * exists.
 */
namespace MediaBackend {

/*!
 * Makes GStreamer open http and https addresses with its curl source rather than its libsoup one.
 * The libsoup 3 source now and then crashes the process when a pipeline is torn down while it is
 * still reading, which happens whenever a player is replaced or closed during loading. GStreamer
 * reads the element ranks once, when it initialises, which can be as early as the QApplication:
 * call this before the QApplication exists. A rank the user set for either source in
 * GST_PLUGIN_FEATURE_RANK wins.
 */
void preferCurlHttpSource();

} // namespace MediaBackend
