#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: turning their raw input into text, and failing loudly (libFuzzer
// keeps the input that aborts) when an invariant does not hold.
namespace FuzzChecks {

// The diagnostic lines are still made, so their code is fuzzed too, but not printed: a run would
// print hundreds of thousands of them.
inline const QtMessageHandler previousHandler
    = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(bytes(data, size));
}

inline void require(bool holds, const char *invariant, const QString &detail = QString())
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n%s\n", invariant, detail.toUtf8().constData());
    std::abort();
}

} // namespace FuzzChecks
