#include "ShareTextCommand.h"

#include "ShareTextResolver.h"
#include "VideoInfo.h"

QString ShareTextCommand::start(const QCommandLineParser &parser, const QStringList &arguments,
                                const Endpoints &endpoints)
{
    if (arguments.size() != 1)
        return QStringLiteral("expected one TEXT, got %1 (quote a share text)")
            .arg(arguments.size());
    if (const QString error = readOptions(parser); !error.isEmpty())
        return error;
    const QString text = arguments.constFirst();
    if (text.trimmed().isEmpty())
        return QStringLiteral("TEXT is empty");

    auto *resolver = new ShareTextResolver(endpoints, this);
    connect(resolver, &ShareTextResolver::resolved, this,
            [this](const ShareTextResolver::Result &result) {
                if (result.isDirectPlayAddress())
                    useDirectAddress(*result.playAddress);
                else
                    useRecord(*result.record, result.failure);
            });
    resolver->resolve(text);
    return QString();
}
