#pragma once

#include "SamplePlatform.h"

#include <QByteArray>
#include <QJsonObject>

/*!
 * \brief The share page of one item, written the way the platform writes it: a long head with
 * meta tags, large inline styles and scripts, and an inline script that assigns the router data.
 *
 * The page is returned in two halves; a huge page puts its padding between them (inside an HTML
 * comment that the first half opens and the second closes). A page shape other than Full puts
 * something else where the item would be: no router data, an empty item list, or a small shell,
 * error or watch-in-the-app page.
 */
class SharePage
{
public:
    SharePage(const SamplePlatform::Item &item, const Endpoints &endpoints,
              SamplePlatform::PageShape shape = SamplePlatform::PageShape::Full);

    /*! Everything up to and including the opening of the padding comment. */
    QByteArray firstHalf() const;
    /*! From the end of the padding comment to the end of the page. */
    QByteArray secondHalf() const;
    /*! The router data as the page's script writes it (slashes escaped as \u002F). */
    QByteArray routerData() const;
    /*! The item as the router data holds it (also what the item endpoint serves). */
    QJsonObject item() const;

    /*! A script-check page, as the platform serves suspected scripts in place of a page or an
     *  answer. */
    static QByteArray scriptCheckPage();

    /*! Bytes that are not valid UTF-8, placed in a comment by the invalid-UTF-8 fault. */
    static QByteArray invalidUtf8Bytes();

private:
    QByteArray routerScript() const;
    QByteArray smallPageStart() const;
    bool hasItemList() const;

    SamplePlatform::Item m_item;
    Endpoints m_endpoints;
    SamplePlatform::PageShape m_shape;
};
