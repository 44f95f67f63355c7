#ifndef MENUTESTING_H
#define MENUTESTING_H

// Helpers for the menu tests: drive the slide animations to their end
// instead of waiting for them, and deliver mouse and key events directly.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QWidget>

namespace MenuTesting {

// The menu's "showAnimation" or "hideAnimation".
inline QPropertyAnimation *animation(QObject *menu, const char *name)
{
    return menu->findChild<QPropertyAnimation *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

// Jumps a running animation to its end; it stops and emits finished().
inline void finish(QPropertyAnimation *animation)
{
    if (animation && animation->state() == QAbstractAnimation::Running)
        animation->setCurrentTime(animation->totalDuration());
}

inline void finishShow(QObject *menu)
{
    finish(animation(menu, "showAnimation"));
}
inline void finishHide(QObject *menu)
{
    finish(animation(menu, "hideAnimation"));
}

inline bool isHiding(QObject *menu)
{
    return animation(menu, "hideAnimation")->state() == QAbstractAnimation::Running;
}

// Sends a mouse event and tells whether the receiver accepted it.
inline bool sendMouse(QWidget *widget, QEvent::Type type, const QPointF &pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

inline void press(QWidget *widget, const QPointF &pos)
{
    sendMouse(widget, QEvent::MouseButtonPress, pos);
}
inline void release(QWidget *widget, const QPointF &pos)
{
    sendMouse(widget, QEvent::MouseButtonRelease, pos);
}
inline void click(QWidget *widget, const QPointF &pos)
{
    press(widget, pos);
    release(widget, pos);
}

inline void key(QWidget *widget, QEvent::Type type, int key)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}
inline void keyPress(QWidget *widget, int k)
{
    key(widget, QEvent::KeyPress, k);
}
inline void keyRelease(QWidget *widget, int k)
{
    key(widget, QEvent::KeyRelease, k);
}
inline void keyClick(QWidget *widget, int k)
{
    keyPress(widget, k);
    keyRelease(widget, k);
}

} // namespace MenuTesting

#endif
