#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

/*! \brief An item of the history: what a resolve found, and when its files were saved last. */
struct HistoryItem
{
    QString id;
    QString kind; //!< "video" or "gallery"
    QString author;
    QString title;
    QDateTime resolvedAt; //!< the last time it was resolved
    QDateTime savedAt; //!< the last time one of its files was saved; null when never
};

Q_DECLARE_METATYPE(HistoryItem)
