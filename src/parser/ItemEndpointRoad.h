#pragma once

#include "ItemRoad.h"

/*!
 * \brief The item endpoint's road: the platform's own answer about one item, asked plainly and,
 * when that holds no item or a gallery without its images, once more with "request_source=200".
 *
 * A gallery's item without its images is still the item when the second answer does not come or
 * holds nothing better.
 */
class ItemEndpointRoad : public ItemRoad
{
public:
    QString name() const override;
    void take(const std::shared_ptr<Trail> &trail, Done done) const override;

private:
    static void askAgain(const std::shared_ptr<Trail> &trail,
                         const std::optional<VideoInfo> &withoutImages, Done done);
};
