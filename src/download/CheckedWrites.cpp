#include "CheckedWrites.h"

#include <QFileDevice>

bool CheckedWrites::writeAll(QFileDevice &file, const char *data, qint64 size, qint64 &written)
{
    while (size > 0) {
        const qint64 count = file.write(data, size);
        if (count <= 0)
            return false;
        written += count;
        data += count;
        size -= count;
    }
    return true;
}

bool CheckedWrites::allWritten(QFileDevice &file)
{
    return file.flush() && file.error() == QFileDevice::NoError;
}

QString CheckedWrites::sizeDifference(const QString &path, qint64 onDisk, qint64 written)
{
    if (onDisk == written)
        return {};
    return tr("%1 holds %2 of the %3 bytes written")
        .arg(path, QString::number(onDisk), QString::number(written));
}

QString CheckedWrites::writeFailure(const QString &path, const QString &reason)
{
    return reason.isEmpty() ? tr("Cannot write %1").arg(path)
                            : tr("Cannot write %1: %2").arg(path, reason);
}
