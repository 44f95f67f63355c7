// SPDX-License-Identifier: GPL-3.0-or-later
#include "menutext.h"

#include <cmath>

namespace {
constexpr int kTenthsPerMinute = 600;
constexpr int kTenthsPerSecond = 10;
} // namespace

QFont menuFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Bitstream Vera Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString formatRunTime(double seconds)
{
    if (!(seconds > 0.0) || !std::isfinite(seconds))
        return QStringLiteral("-");
    const long long tenths = std::llround(seconds * kTenthsPerSecond);
    if (tenths < kTenthsPerMinute)
        return QStringLiteral("%1.%2 s").arg(tenths / kTenthsPerSecond).arg(tenths % kTenthsPerSecond);
    const long long minutes = tenths / kTenthsPerMinute;
    const long long rest = tenths % kTenthsPerMinute;
    return QStringLiteral("%1:%2.%3")
        .arg(minutes)
        .arg(rest / kTenthsPerSecond, 2, 10, QLatin1Char('0'))
        .arg(rest % kTenthsPerSecond);
}

QString medalName(LevelStatus status)
{
    switch (status) {
    case LevelStatus::Gold:
        return QStringLiteral("Gold");
    case LevelStatus::Silver:
        return QStringLiteral("Silver");
    case LevelStatus::Bronze:
        return QStringLiteral("Bronze");
    default:
        return QString();
    }
}
