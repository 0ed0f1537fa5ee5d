#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

/*! \brief A file of the history: saved for an item, with its size as saved. */
struct HistoryFile
{
    QString itemId;
    QString path;
    qint64 size = 0;
    QString kind; //!< the role of the file: "video", "image", "clip", "music" or "cover"
    QDateTime savedAt;
    bool exists = false; //!< filled in when read back: the file is still there
};

Q_DECLARE_METATYPE(HistoryFile)
