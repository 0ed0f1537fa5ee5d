#pragma once

#include "SamplePlatform.h"

#include <QByteArray>

/*!
 * \brief The share page of one item, written the way the platform writes it: a long head with
 * meta tags, large inline styles and scripts, and an inline script that assigns the router data.
 *
 * The page is returned in two halves; a huge page puts its padding between them (inside an HTML
 * comment that the first half opens and the second closes).
 */
class SharePage
{
public:
    SharePage(const SamplePlatform::Item &item, const Endpoints &endpoints);

    /*! Everything up to and including the opening of the padding comment. */
    QByteArray firstHalf() const;
    /*! From the end of the padding comment to the end of the page. */
    QByteArray secondHalf() const;
    /*! The router data as the page's script writes it (slashes escaped as \u002F). */
    QByteArray routerData() const;

    /*! Bytes that are not valid UTF-8, placed in a comment by the invalid-UTF-8 fault. */
    static QByteArray invalidUtf8Bytes();

private:
    QByteArray routerScript() const;

    SamplePlatform::Item m_item;
    Endpoints m_endpoints;
};
