// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OPENGLSUPPORT_H
#define OPENGLSUPPORT_H

#include <QByteArray>

// Whether the game may draw through OpenGL on this platform.
class OpenGLSupport
{
public:
    // The GL_RENDERER string of a context made on an offscreen surface, in
    // lower case; empty when no context can be made (always on the
    // offscreen and minimal platforms). Safe before any window exists.
    static QByteArray rendererName();
    // A renderer name that belongs to a software rasterizer (llvmpipe and
    // the like), which draws the game many times slower than the raster
    // engine.
    static bool isSoftwareRenderer(const QByteArray &name);
    // A context can be made; with acceleratedOnly it must not be software.
    static bool available(bool acceleratedOnly);
};

#endif
