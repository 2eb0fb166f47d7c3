#pragma once
// Comparing two settings images in a window test, naming the first value that differs.
#include <QString>
#include <QTest>

#include "common/settings_image.h"

namespace livna::test {

/// The first index where two images differ, as text for a failure message; empty when equal.
inline QString firstDifference(const SettingsImage& got, const SettingsImage& want) {
    if (got.size() != want.size())
        return QStringLiteral("size %1 instead of %2").arg(got.size()).arg(want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            return QStringLiteral("value %1 is %2 instead of %3").arg(i).arg(got[i]).arg(want[i]);
    return {};
}

#define LIVNA_COMPARE_IMAGES(got, want)                                      \
    do {                                                                     \
        const QString livnaDiff = ::livna::test::firstDifference(got, want); \
        QVERIFY2(livnaDiff.isEmpty(), qPrintable(livnaDiff));                \
    } while (false)

}  // namespace livna::test
