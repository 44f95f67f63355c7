// SPDX-License-Identifier: GPL-3.0-or-later
#include "openglsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

QByteArray OpenGLSupport::rendererName()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return {};
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return {};
    const auto *renderer = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
    context.doneCurrent();
    return name;
}

bool OpenGLSupport::isSoftwareRenderer(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const char *software : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (lower.contains(software))
            return true;
    }
    return false;
}

bool OpenGLSupport::acceleratedRuledOut(const QByteArray &alwaysSoftware, const QString &platform,
    const QByteArray &display, bool graphicsDeviceFound)
{
    const QByteArray software = alwaysSoftware.toLower();
    for (const char *yes : {"1", "true", "y", "yes"}) {
        if (software == yes)
            return true;
    }
    if (graphicsDeviceFound)
        return false;
    // An X display of this machine is ":N" or "unix:N"; any other host part
    // names a server elsewhere.
    const bool remoteX
        = platform == QLatin1String("xcb") && !display.startsWith(':') && !display.startsWith("unix:");
    return !remoteX;
}

bool OpenGLSupport::graphicsDeviceFound()
{
    if (QFileInfo::exists(QStringLiteral("/dev/nvidiactl")))
        return true;
    const QDir dri(QStringLiteral("/dev/dri"));
    return !dri.entryList({QStringLiteral("card*"), QStringLiteral("renderD*")}, QDir::System).isEmpty();
}

bool OpenGLSupport::available(bool acceleratedOnly)
{
    if (acceleratedOnly
        && acceleratedRuledOut(qgetenv("LIBGL_ALWAYS_SOFTWARE"), QGuiApplication::platformName(),
            qgetenv("DISPLAY"), graphicsDeviceFound()))
        return false;
    const QByteArray name = rendererName();
    if (name.isEmpty())
        return false;
    return !acceleratedOnly || !isSoftwareRenderer(name);
}
