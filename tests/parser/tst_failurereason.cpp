#include "FailureReason.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Kind = FailureReason::Kind;

/*! The codes scripts read, and what people are shown. */
class TestFailureReason : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codesAndWhatPeopleSee_data();
    void codesAndWhatPeopleSee();
};

void TestFailureReason::codesAndWhatPeopleSee_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("detailShown"); // else only the technical description holds it
    // Scripts match these names: a renamed kind must not change them.
    const std::tuple<Kind, const char *, bool> rows[] = {
        { Kind::NoVideoId, "no_video_id", true },
        { Kind::TlsError, "tls_error", true },
        { Kind::TimedOut, "timed_out", true },
        { Kind::HttpStatus, "http_status", true },
        { Kind::NotUtf8, "not_utf8", true },
        { Kind::Cancelled, "cancelled", true },
        { Kind::Removed, "removed", false },
        { Kind::Private, "private", false },
        { Kind::FriendsOnly, "friends_only", false },
        { Kind::ExpiredStory, "expired_story", false },
        { Kind::NotAvailableHere, "not_available_here", false },
        { Kind::Withheld, "withheld", false },
        { Kind::LoginRequired, "login_required", false },
        { Kind::RateLimited, "rate_limited", false },
        { Kind::Refused, "refused", false },
        { Kind::NotAPost, "not_a_post", false },
        { Kind::PlatformChanged, "platform_changed", false },
    };
    for (const auto &[kind, code, detailShown] : rows)
        QTest::newRow(code) << kind << QString::fromLatin1(code) << detailShown;
}

void TestFailureReason::codesAndWhatPeopleSee()
{
    QFETCH(Kind, kind);
    QFETCH(QString, code);
    QFETCH(bool, detailShown);
    const FailureReason reason(kind, u"seen: HTTP 403"_s);
    QCOMPARE(reason.code(), code);
    const QString withDetail = FailureReason::summary(kind) + u": seen: HTTP 403"_s;
    QCOMPARE(reason.technicalDescription(), withDetail);
    QCOMPARE(reason.description(), detailShown ? withDetail : FailureReason::summary(kind));
    QVERIFY(!FailureReason::summary(kind).isEmpty());
}

QTEST_GUILESS_MAIN(TestFailureReason)
#include "tst_failurereason.moc"
