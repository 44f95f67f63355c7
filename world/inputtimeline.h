// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INPUTTIMELINE_H
#define INPUTTIMELINE_H

#include <QString>
#include <QVector>
#include <optional>

class BikeItem;

// A ride's inputs as (step, control, value) events: what the ride tool
// replays and what recorded rides are stored as. Text format, one event per
// line (see tools/ride/README.md):
//
//   # comment                 blank lines and '#' comments are ignored
//   <step> throttle <0..1>    throttle value (0 releases it)
//   <step> brake <0|1>        brake on / off
//   <step> lean <-1|0|1>      1 leans forward, -1 back, 0 releases the lean
//
// <step> is the number of simulation steps already taken when the event
// takes effect (0: before the first step). Steps never decrease; events of
// the same step apply in file order.
class InputTimeline
{
public:
    enum class Control { Throttle, Brake, Lean };
    struct Event
    {
        int step;
        Control control;
        double value;
    };

    // Parses the text; on error returns nothing and sets *error to one line
    // naming the line number and what is wrong.
    static std::optional<InputTimeline> parse(const QString &text, QString *error);
    static std::optional<InputTimeline> load(const QString &path, QString *error);

    const QVector<Event> &events() const { return m_events; }
    void append(const Event &event) { m_events.append(event); }
    QString toText() const;

    // Applies every event of step stepsTaken to the bike, starting at
    // *cursor (index of the first event not yet applied) and advancing it.
    void applyDue(int stepsTaken, BikeItem *bike, int *cursor) const;
    // One event as the game's controls do it.
    static void apply(const Event &event, BikeItem *bike);

    static QString controlName(Control control);

private:
    QVector<Event> m_events;
};

#endif
