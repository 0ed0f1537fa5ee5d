#pragma once

#include "FailureReason.h"

#include <QCoreApplication>

#include <optional>

class QUrl;

/*!
 * \brief Which redirects any request of Kivora follows: web addresses only, never from https
 * to plain http, and at most maximum() of them in one chain.
 *
 * The short-link chain, the downloads to disk and the fetches into memory all ask this rule, so
 * that a server cannot lead one of them where the others refuse to go.
 */
class RedirectRule
{
    Q_DECLARE_TR_FUNCTIONS(RedirectRule)

public:
    static constexpr int defaultMaximum = 20;

    explicit RedirectRule(int maximum = defaultMaximum) : m_maximum(maximum) { }

    int maximum() const { return m_maximum; }

    /*! Why the redirect from \a from to \a target, after \a followed redirects of the same chain,
     *  is not followed; nothing when it may be. */
    std::optional<FailureReason> refusal(const QUrl &from, const QUrl &target, int followed) const;

private:
    int m_maximum;
};
