#pragma once

#include <QString>
#include <QTest>

#include <optional>

using OptionalText = std::optional<QString>;

// Shows absent text as (null) in QCOMPARE failures, as the diagnostic lines do.
template<>
inline char *QTest::toString(const OptionalText &text)
{
    return QTest::toString(text ? *text : QStringLiteral("(null)"));
}
