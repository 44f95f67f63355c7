// SPDX-License-Identifier: GPL-3.0-or-later
#include "openglsupport.h"

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

bool OpenGLSupport::available(bool acceleratedOnly)
{
    const QByteArray name = rendererName();
    if (name.isEmpty())
        return false;
    return !acceleratedOnly || !isSoftwareRenderer(name);
}
