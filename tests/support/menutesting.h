// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MENUTESTING_H
#define MENUTESTING_H

// Helpers for the menu tests: drive the slide animations to their end
// instead of waiting for them, and deliver mouse and key events directly.

#include "app/gamewindow.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QWidget>

#include <initializer_list>
#include <memory>
#include <vector>

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

// A shown, window-sized widget standing in for the game view.
inline QWidget *newGameView()
{
    auto *view = new QWidget;
    view->resize(gameWindowRect().size());
    view->show();
    return view;
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

// Counts the emissions of some argument-less signals of one object.
class SignalCounter
{
public:
    SignalCounter(QObject *sender, std::initializer_list<const char *> names)
    {
        for (const char *name : names) {
            const QByteArray signal = QByteArray("2") + name + "()";
            m_names << QLatin1String(name);
            m_spies.push_back(std::make_unique<QSignalSpy>(sender, signal.constData()));
        }
    }

    // Emissions so far, in the order the signals were named.
    QList<int> counts() const
    {
        QList<int> c;
        for (const auto &spy : m_spies)
            c << int(spy->count());
        return c;
    }

    // The counts after exactly one emission of that signal (none: all 0).
    QList<int> only(const QString &name = QString()) const
    {
        QList<int> c;
        for (const QString &n : m_names)
            c << (n == name ? 1 : 0);
        return c;
    }

private:
    QStringList m_names;
    std::vector<std::unique_ptr<QSignalSpy>> m_spies;
};

// Saves a picture of one colour into a folder and returns its path.
inline QString solidPicture(const QDir &dir, const QString &name, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

} // namespace MenuTesting

#endif
