#include "ApplicationShell.h"
#include "LaunchOptions.h"
#include "MediaBackend.h"
#include "MemoryArenas.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    MemoryArenas::limit();
    QCoreApplication::setApplicationName(u"Kivora"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVORA_VERSION));
    // Read before the QApplication, which needs a display: help, version and usage errors work
    // without one.
    std::optional<LaunchOptions> options = LaunchOptions::fromCommandLine(argc, argv);

    MediaBackend::preferCurlHttpSource();
    QApplication application(argc, argv);
    if (!options)
        options = LaunchOptions::fromArguments(QApplication::arguments());
    ApplicationShell shell;
    if (!shell.launch(*options))
        return 1;
    return QApplication::exec();
}
