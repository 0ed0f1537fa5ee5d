#include "CliApplication.h"
#include "DownloadCommand.h"
#include "MemoryArenas.h"
#include "ParseCommand.h"

#include <QCoreApplication>
#include <QNetworkProxyFactory>

int main(int argc, char *argv[])
{
    MemoryArenas::limit();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kivora-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVORA_VERSION));
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    CliApplication cli;
    cli.addCommand(std::make_unique<ParseCommand>());
    cli.addCommand(std::make_unique<DownloadCommand>());
    return cli.exec(QCoreApplication::arguments());
}
