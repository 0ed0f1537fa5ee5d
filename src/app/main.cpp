#include "ApplicationShell.h"
#include "LaunchOptions.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Kivora"_s);
    QApplication::setApplicationVersion(QStringLiteral(KIVORA_VERSION));

    ApplicationShell shell;
    if (!shell.launch(LaunchOptions::fromArguments(QApplication::arguments())))
        return 1;
    return QApplication::exec();
}
