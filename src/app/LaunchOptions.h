#pragma once

#include "Endpoints.h"

#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The window application's command line: the platform options shared with kivora-cli
 * (endpoints and extra certificate authorities, which take effect while parsing), `--demo` (which
 * brings its own endpoints and refuses the endpoint options), `--lang`, and the hidden
 * `--screenshot FILE` with `--screenshot-scene`.
 */
class LaunchOptions
{
public:
    /*!
     * Reads the command line before the QApplication exists, so that help, version and usage
     * errors need no window system: prints and exits as fromArguments() does. Returns nothing
     * when the line holds Qt's own single-dash options (-platform, -style, …), which only
     * QApplication takes out, or --help-all, which lists them: such a line is read by
     * fromArguments() afterwards. For --help-all the application is then made on the offscreen
     * platform, so that it too needs no display.
     */
    static std::optional<LaunchOptions> fromCommandLine(int &argc, char **argv);
    /*! Parses \a arguments (the program name first); prints help, version or a usage error and
     *  exits the process (status 2 for a usage error) where the command line asks for it. */
    static LaunchOptions fromArguments(const QStringList &arguments);
    /*! Parses \a arguments; on a usage error returns nothing and sets \a errorText. */
    static std::optional<LaunchOptions> parse(const QStringList &arguments, QString *errorText);

    Endpoints endpoints;
    /*! Start the sample platform in-process and use it. */
    bool demo = false;
    /*! The interface language given with `--lang`; nothing means the system's. */
    std::optional<QString> language;
    /*! Save a picture of the window with a HUD to this file and quit; empty for a normal run. */
    QString screenshotPath;
    /*! What the screenshot shows: "video" (the default), "gallery", "download" or "failure". */
    QString screenshotScene = QStringLiteral("video");
    static QStringList screenshotScenes();
};
