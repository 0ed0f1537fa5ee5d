#include "ItemRoad.h"

#include "ItemEndpointRoad.h"
#include "SharePageRoad.h"

ItemRoad::~ItemRoad() = default;

const std::vector<std::unique_ptr<const ItemRoad>> &ItemRoad::declared()
{
    static const std::vector<std::unique_ptr<const ItemRoad>> roads = [] {
        std::vector<std::unique_ptr<const ItemRoad>> list;
        // The share page first: it is what a browser asks, and it is cached at the edge.
        list.push_back(std::make_unique<SharePageRoad>());
        list.push_back(std::make_unique<ItemEndpointRoad>());
        return list;
    }();
    return roads;
}

void ItemRoad::read(const std::shared_ptr<Trail> &trail, const QNetworkRequest &request,
                    BoundedRequest::Done done)
{
    trail->parser.get(*trail->manager, request, BoundedRequest::Body::Read,
                      VideoParser::maximumPageSize, trail->deadline, std::move(done));
}
