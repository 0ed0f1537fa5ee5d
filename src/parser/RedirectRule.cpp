#include "RedirectRule.h"

#include <QUrl>

using namespace Qt::StringLiterals;

std::optional<FailureReason> RedirectRule::refusal(const QUrl &from, const QUrl &target,
                                                   int followed) const
{
    using Kind = FailureReason::Kind;
    const QString shown = target.toDisplayString();
    const QString scheme = target.scheme().toLower();
    const bool web = scheme == u"https"_s || scheme == u"http"_s;
    if (!target.isValid() || !web || target.host().isEmpty())
        return FailureReason(Kind::RefusedRedirect, tr("to %1").arg(shown));
    if (from.scheme().toLower() == u"https"_s && scheme == u"http"_s)
        return FailureReason(Kind::RefusedRedirect, tr("from https to %1").arg(shown));
    if (followed >= m_maximum) {
        return FailureReason(
            Kind::TooManyRedirects,
            tr("more than %1 redirects, the last to %2").arg(QString::number(m_maximum), shown));
    }
    return std::nullopt;
}
