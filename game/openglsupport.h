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
    // With acceleratedOnly no context is made when the answer is already
    // known to be no (see acceleratedRuledOut): making one costs a large
    // share of the start-up (loading and setting up the rasterizer).
    static bool available(bool acceleratedOnly);

    // Whether an accelerated renderer is out of the question before any
    // context is made: Mesa is told to draw in software (LIBGL_ALWAYS_SOFTWARE
    // set to a true value, as Mesa reads it), or the machine has no graphics
    // device node (no /dev/dri/card*, /dev/dri/renderD* or /dev/nvidiactl)
    // and the display is not a remote X server (DISPLAY naming a host, as
    // with X forwarding, whose renderer may be the remote machine's).
    static bool acceleratedRuledOut(const QByteArray &alwaysSoftware, const QString &platform,
        const QByteArray &display, bool graphicsDeviceFound);
    // A graphics device node exists on this machine.
    static bool graphicsDeviceFound();
};

#endif
