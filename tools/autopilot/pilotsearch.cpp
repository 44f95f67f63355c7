// SPDX-License-Identifier: GPL-3.0-or-later
#include "pilotsearch.h"

#include "riderun.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {
// One segment's controls: throttle (0..1) or the brake, and the lean buttons.
struct Pattern
{
    double throttle;
    bool brake;
    int lean; // 1 forward, -1 back, 0 released
};

constexpr Pattern kPatterns[] = {
    {1.0, false, 0},
    {1.0, false, -1},
    {1.0, false, 1},
    {0.0, false, 0},
    {0.0, true, 0},
    {0.0, true, -1},
    {0.0, false, -1},
    {0.0, false, 1},
    {0.5, false, 0},
    {0.0, true, 1},
};
constexpr int kPatternCount = int(sizeof(kPatterns) / sizeof(kPatterns[0]));
// Order in which a segment tries the patterns: fastest first.
constexpr int kPreference[] = {0, 2, 1, 8, 3, 6, 7, 4, 5, 9};
// Continuations tried after a candidate segment (besides holding it): full
// throttle, coasting, braking.
constexpr int kContinuations[] = {0, 3, 4};

constexpr double kNoScore = -std::numeric_limits<double>::infinity();
// A finished ride outscores every unfinished one; earlier is better.
constexpr double kFinishedScore = 1e9;
constexpr double kStallProgress = 20.0; // units

struct ControlState
{
    double throttle = 0.0;
    bool brake = false;
    int lean = 0;
};

ControlState stateAfter(const InputTimeline &timeline)
{
    ControlState s;
    for (const auto &e : timeline.events()) {
        switch (e.control) {
        case InputTimeline::Control::Throttle:
            s.throttle = e.value;
            break;
        case InputTimeline::Control::Brake:
            s.brake = e.value == 1.0;
            s.throttle = 0.0;
            break;
        case InputTimeline::Control::Lean:
            s.lean = e.value > 0 ? 1 : e.value < 0 ? -1 : 0;
            break;
        }
    }
    return s;
}

// Appends the events that turn state *s into pattern p at step.
void appendPattern(InputTimeline *t, int step, const Pattern &p, ControlState *s)
{
    using C = InputTimeline::Control;
    if (p.brake && !s->brake) {
        t->append({step, C::Brake, 1.0});
        s->brake = true;
        s->throttle = 0.0;
    } else if (!p.brake) {
        if (s->brake) {
            t->append({step, C::Brake, 0.0});
            s->brake = false;
            s->throttle = 0.0;
        }
        if (s->throttle != p.throttle) {
            t->append({step, C::Throttle, p.throttle});
            s->throttle = p.throttle;
        }
    }
    if (s->lean != p.lean) {
        t->append({step, C::Lean, double(p.lean)});
        s->lean = p.lean;
    }
}

class Searcher
{
public:
    explicit Searcher(const PilotSearch::Options &options)
        : m_options(options)
        , m_startStep(options.prefix.events().isEmpty() ? 0 : options.prefix.events().last().step + 1)
    { }

    // The timeline of the chosen segments, then `extra` patterns from step
    // `from` on (each one segment long except the last, which holds).
    InputTimeline timeline(const QVector<int> &chosen, const QVector<int> &extra) const
    {
        InputTimeline t = m_options.prefix;
        ControlState s = stateAfter(t);
        int step = m_startStep;
        for (int p : chosen) {
            appendPattern(&t, step, kPatterns[p], &s);
            step += m_options.segmentSteps;
        }
        for (int p : extra) {
            appendPattern(&t, step, kPatterns[p], &s);
            step += m_options.segmentSteps;
        }
        return t;
    }

    bool ride(const InputTimeline &t, int maxSteps, RideRun::Result *result)
    {
        RideRun::Options o;
        o.levelsDb = m_options.levelsDb;
        o.pack = m_options.pack;
        o.level = m_options.level;
        o.seed = m_options.seed;
        o.timeline = t;
        o.maxSteps = maxSteps;
        ++m_rides;
        return RideRun::run(o, result, &m_error);
    }

    static double score(const RideRun::Result &r)
    {
        if (r.crashed || r.failed)
            return kNoScore;
        if (r.finished)
            return kFinishedScore - r.steps;
        return r.frontmostX;
    }

    PilotSearch::Outcome run()
    {
        PilotSearch::Outcome out;
        // One frame per segment: the pattern chosen for it, the patterns not
        // tried yet (in order of preference) and how far the ride got.
        struct Frame
        {
            QVector<int> untried;
            int chosen = -1;
            double x = 0.0;
        };
        QVector<int> all;
        for (int p : kPreference)
            all.append(p);
        QVector<Frame> frames {Frame {all}};
        while (m_rides < m_options.maxRides && !frames.isEmpty()) {
            const int k = frames.size() - 1;
            Frame &frame = frames.last();
            if (frame.untried.isEmpty()) {
                frames.removeLast(); // dead end: the segment before tries its next pattern
                continue;
            }
            const int p = frame.untried.takeFirst();
            QVector<int> chosen;
            for (int i = 0; i < k; ++i)
                chosen.append(frames.at(i).chosen);
            const int segmentEnd = m_startStep + (k + 1) * m_options.segmentSteps;
            double best = kNoScore;
            for (int c : continuations(p)) {
                const InputTimeline t = timeline(chosen, {p, c});
                RideRun::Result r;
                if (!ride(t, segmentEnd + m_options.lookAheadSteps, &r)) {
                    out.error = m_error;
                    return out;
                }
                if (r.finished && !r.crashed && !r.failed)
                    return finish(t, out);
                best = score(r);
                if (best != kNoScore)
                    break;
            }
            const bool stalled = best != kNoScore && k >= m_options.stallSegments
                && best < frames.at(k - m_options.stallSegments).x + kStallProgress;
            if (stalled) {
                // Stuck for many segments: small changes near the end rarely
                // help, so the segment where the stall began tries its next pattern.
                frames.resize(k - m_options.stallSegments + 1);
                continue;
            }
            if (best == kNoScore)
                continue;
            frame.chosen = p;
            frame.x = best;
            if (m_options.verbose)
                std::fprintf(stderr, "segment %d: pattern %d, x %.0f (%d rides)\n", k, p, best, m_rides);
            frames.append(Frame {all});
        }
        out.rides = m_rides;
        return out;
    }

    // The pattern itself held on, then the fixed continuations.
    static QVector<int> continuations(int p)
    {
        QVector<int> list {p};
        for (int c : kContinuations)
            if (c != p)
                list.append(c);
        return list;
    }

private:
    PilotSearch::Outcome finish(const InputTimeline &t, PilotSearch::Outcome &out)
    {
        // The whole timeline once more, as the ride tool rides it.
        RideRun::Result r;
        if (!ride(t, RideRun::Options().maxSteps, &r)) {
            out.error = m_error;
            return out;
        }
        out.rides = m_rides;
        out.found = r.finished && !r.crashed && !r.failed;
        out.timeline = t;
        out.steps = r.steps;
        out.runTime = r.runTime;
        return out;
    }

    const PilotSearch::Options &m_options;
    const int m_startStep;
    int m_rides = 0;
    QString m_error;
};
} // namespace

PilotSearch::Outcome PilotSearch::search(const Options &options)
{
    Searcher searcher(options);
    return searcher.run();
}
