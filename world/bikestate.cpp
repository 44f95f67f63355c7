// SPDX-License-Identifier: GPL-3.0-or-later
#include "bikestate.h"

#include "physics/ballitem.h"
#include "vehicle/bikeitem.h"

#include <QCryptographicHash>

namespace {
// Enough digits to read back the same double.
constexpr int kDigits = 17;
constexpr int kHashBytes = 8;
constexpr int kHexDigits = 16;
constexpr int kHexBase = 16;

QString number(double v)
{
    return QString::number(v, 'g', kDigits);
}
} // namespace

QString BikeState::header()
{
    return QStringLiteral("step,x,y,angle,vx,vy,w,rear_w,front_w,throttle,tilt,active,ragdoll");
}

QString BikeState::row(int steps, const BikeItem &bike)
{
    const QChar comma(u',');
    return QString::number(steps) + comma + number(bike.bodyX()) + comma + number(bike.bodyY()) + comma
        + number(bike.bodyAngle()) + comma + number(bike.velocityX()) + comma + number(bike.velocityY())
        + comma + number(bike.angularVelocity()) + comma + number(bike.rearWheel()->angularVelocity()) + comma
        + number(bike.frontWheel()->angularVelocity()) + comma + number(bike.throttle()) + comma
        + number(bike.tilt()) + comma + QString::number(int(bike.isActive())) + comma
        + QString::number(int(bike.hasRagdoll()));
}

quint64 BikeState::hashOfRow(const QString &row)
{
    const QByteArray digest = QCryptographicHash::hash(row.toLatin1(), QCryptographicHash::Sha256);
    quint64 h = 0;
    for (int i = 0; i < kHashBytes; ++i)
        h = (h << 8) | quint8(digest.at(i));
    return h;
}

quint64 BikeState::hash(int steps, const BikeItem &bike)
{
    return hashOfRow(row(steps, bike));
}

QString BikeState::hashText(quint64 hash)
{
    return QString::number(hash, kHexBase).rightJustified(kHexDigits, QLatin1Char('0'));
}
