// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GHOSTFIGURES_H
#define GHOSTFIGURES_H

class GameView;
class MyGame;

// What the ghost costs a riding frame: the view's repaint with the ghost
// shown and hidden at the same scene state (one of each per tick, so that
// the scene's own changes cancel out; CPU time of the game's thread), their
// difference per tick, and the ghost item's own paint into a window-sized
// picture through the view's transform. Milliseconds, medians.
struct GhostDrawFigures
{
    int frames = 0;
    int framesShown = 0; // ticks in which the ghost was in view
    double repaintShownMs = 0.0;
    double repaintHiddenMs = 0.0;
    double repaintDifferenceMs = 0.0;
    double itemPaintMs = 0.0;
};

// Rides `frames` ticks of the running game (throttle held by the caller).
GhostDrawFigures measureGhostDraw(MyGame &game, GameView &view, int frames);

// gamebench authorghost <levels.db>: the author's ride of every shipped
// level simulated into a ghost's pose track in a world of its own: the
// level world's build and the whole ride, per level.
int authorGhostBench(int argc, char **argv);

#endif
