// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputtimeline.h"

#include "vehicle/bikeitem.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {
// The controls as the game's buttons give them: brake holds the throttle
// at -0.5 (front brake) and engages the rear brake motor; lean buttons
// change the tilt by this much per step (single precision, as the keys do).
constexpr qreal kBrakeThrottle = -0.5;
constexpr float kTiltPerStep = 0.033f;
// Longest ride a timeline may describe, in steps (about 10 hours).
constexpr qint64 kMaxStep = 2000000;

bool parseControl(const QString &word, InputTimeline::Control *control)
{
    if (word == QLatin1String("throttle"))
        *control = InputTimeline::Control::Throttle;
    else if (word == QLatin1String("brake"))
        *control = InputTimeline::Control::Brake;
    else if (word == QLatin1String("lean"))
        *control = InputTimeline::Control::Lean;
    else
        return false;
    return true;
}

QString valueRangeError(InputTimeline::Control control)
{
    switch (control) {
    case InputTimeline::Control::Throttle:
        return QStringLiteral("throttle value must be between 0 and 1");
    case InputTimeline::Control::Brake:
        return QStringLiteral("brake value must be 0 or 1");
    case InputTimeline::Control::Lean:
        return QStringLiteral("lean value must be -1, 0 or 1");
    }
    return QString();
}

bool valueInRange(InputTimeline::Control control, double v)
{
    switch (control) {
    case InputTimeline::Control::Throttle:
        return v >= 0.0 && v <= 1.0;
    case InputTimeline::Control::Brake:
        return v == 0.0 || v == 1.0;
    case InputTimeline::Control::Lean:
        return v == -1.0 || v == 0.0 || v == 1.0;
    }
    return false;
}
} // namespace

std::optional<InputTimeline> InputTimeline::parse(const QString &text, QString *error)
{
    InputTimeline timeline;
    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    int lastStep = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const auto fail = [&](const QString &what) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(what);
            return std::nullopt;
        };
        const QStringList fields = line.split(whitespace);
        if (fields.size() != 3)
            return fail(QStringLiteral("expected \"<step> <control> <value>\", got \"%1\"").arg(line));
        bool ok = false;
        const qint64 step = fields.at(0).toLongLong(&ok);
        if (!ok || step < 0 || step > kMaxStep)
            return fail(QStringLiteral("step \"%1\" is not a whole number from 0 to %2")
                            .arg(fields.at(0))
                            .arg(kMaxStep));
        if (step < lastStep)
            return fail(QStringLiteral("step %1 comes after step %2").arg(step).arg(lastStep));
        Control control;
        if (!parseControl(fields.at(1), &control))
            return fail(QStringLiteral("unknown control \"%1\" (throttle, brake or lean)").arg(fields.at(1)));
        const double value = fields.at(2).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return fail(QStringLiteral("value \"%1\" is not a number").arg(fields.at(2)));
        if (!valueInRange(control, value))
            return fail(valueRangeError(control));
        lastStep = int(step);
        timeline.m_events.append(Event {int(step), control, value});
    }
    return timeline;
}

std::optional<InputTimeline> InputTimeline::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString parseError;
    auto timeline = parse(QString::fromUtf8(file.readAll()), &parseError);
    if (!timeline && error)
        *error = QStringLiteral("%1: %2").arg(path, parseError);
    return timeline;
}

QString InputTimeline::controlName(Control control)
{
    switch (control) {
    case Control::Throttle:
        return QStringLiteral("throttle");
    case Control::Brake:
        return QStringLiteral("brake");
    case Control::Lean:
        return QStringLiteral("lean");
    }
    return QString();
}

QString InputTimeline::toText() const
{
    QString text;
    for (const Event &e : m_events)
        text += QStringLiteral("%1 %2 %3\n").arg(e.step).arg(controlName(e.control)).arg(e.value, 0, 'g', 17);
    return text;
}

void InputTimeline::applyDue(int stepsTaken, BikeItem *bike, int *cursor) const
{
    while (*cursor < m_events.size() && m_events.at(*cursor).step <= stepsTaken)
        apply(m_events.at((*cursor)++), bike);
}

void InputTimeline::apply(const Event &event, BikeItem *bike)
{
    switch (event.control) {
    case Control::Throttle:
        bike->setThrottle(event.value);
        break;
    case Control::Brake:
        if (event.value == 1.0) {
            bike->setThrottle(kBrakeThrottle);
            bike->setBrake(1.0);
        } else {
            bike->setThrottle(0.0);
            bike->setBrake(0.0);
        }
        break;
    case Control::Lean:
        // Forward is the game's "decrease tilt" button, back its "increase".
        bike->setTiltSpeed(event.value > 0 ? -kTiltPerStep : event.value < 0 ? kTiltPerStep : 0.0f);
        break;
    }
}
