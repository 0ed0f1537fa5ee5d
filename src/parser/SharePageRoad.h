#pragma once

#include "ItemRoad.h"

#include <QCoreApplication>

/*!
 * \brief The share page's road: the page a share link leads to, with the item in its router data.
 *
 * It leaves the page on the trail for the roads after it.
 */
class SharePageRoad : public ItemRoad
{
    Q_DECLARE_TR_FUNCTIONS(SharePageRoad)

public:
    QString name() const override;
    void take(const std::shared_ptr<Trail> &trail, Done done) const override;
};
