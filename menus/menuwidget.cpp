// SPDX-License-Identifier: GPL-3.0-or-later
#include "menuwidget.h"

#include "base/densepixmap.h"
#include "buttonpixmap.h"
#include "menufocus.h"

#include <QCoreApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QtMath>
#include <algorithm>

namespace {
constexpr double kHalf = 0.5;
// Pixels kept free on every side of a panel that had to be scaled down to
// fit its window.
constexpr int kFitMarginPx = 8;
} // namespace

bool MenuWidget::s_focusRingShown = false;

MenuWidget::MenuWidget(QWidget *parent)
    : QWidget(parent)
{
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_NoSystemBackground);
    grabGesture(Qt::PinchGesture);
}

MenuWidget::~MenuWidget()
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
}

void MenuWidget::setY(int y)
{
    setGeometry(x(), y, width(), height());
    update();
}

qreal MenuWidget::fitScale(const QSize &screen) const
{
    if (m_menuWidth <= 0 || m_menuHeight <= 0)
        return 1.0;
    const qreal room = qreal(screen.width() - 2 * kFitMarginPx) / m_menuWidth;
    const qreal headroom = qreal(screen.height() - 2 * kFitMarginPx) / m_menuHeight;
    const qreal scale = std::min({1.0, room, headroom});
    // A window too small for any panel still gets a visible one.
    return scale > 0.0 ? scale : 1.0;
}

int MenuWidget::scaledLength(int length, qreal scale)
{
    // Rounding error of the scale must not add a pixel.
    constexpr qreal kSlack = 1e-6;
    return qCeil(length * scale - kSlack);
}

QSize MenuWidget::scaledSize() const
{
    return QSize(scaledLength(m_menuWidth, m_scale), scaledLength(m_menuHeight, m_scale));
}

int MenuWidget::insideY(const QRect &screen, int y) const
{
    // A full-size panel's offset was made for large windows: in a small one
    // it may push a panel that fits past the window's edge. Keep it inside;
    // where the offset leaves it inside, nothing moves.
    const int lowest = screen.height() - scaledSize().height();
    return lowest < 0 ? y : std::clamp(y, 0, lowest);
}

int MenuWidget::restingY(const QRect &screen) const
{
    // A scaled panel is centred; its offsets were made for the full size.
    const qreal scale = fitScale(screen.size());
    if (scale < 1.0)
        return int(kHalf * (screen.height() - scaledLength(m_menuHeight, scale)));
    return insideY(screen, int(kHalf * (screen.height() - m_menuHeight) + m_offsetY));
}

int MenuWidget::centredX(const QRect &screen, int offsetX) const
{
    return int(kHalf * (screen.width() - scaledSize().width()) + (m_scale < 1.0 ? 0 : offsetX));
}

void MenuWidget::updateScreenPosition(const QRect &screen)
{
    if (m_menuWidth == 0) {
        qDebug("MenuWidget::updateScreenPosition - zero width, returning\n");
        return;
    }
    if (m_menuHeight == 0) {
        qDebug("MenuWidget::updateScreenPosition - zero height, returning\n");
        return;
    }
    m_scale = fitScale(screen.size());
    const int resting = restingY(screen);
    if (m_showAnimation)
        m_showAnimation->setEndValue(resting);
    if (m_hideAnimation)
        m_hideAnimation->setStartValue(resting);
    setGeometry(QRect(QPoint(centredX(screen, m_offsetX), resting), scaledSize()));
}

void MenuWidget::paint(QPainter *painter)
{
    painter->drawPixmap(0, 0, background());
    paintButtons(painter);
}

void MenuWidget::paintButtons(QPainter *painter) const
{
    for (const ButtonPixmap *button : m_buttons)
        button->paint(painter);
}

void MenuWidget::setBackground(const QString &path)
{
    m_backgroundPath = path;
    m_background = QPixmap();
    m_backgroundDecoded = false;
}

const QPixmap &MenuWidget::background() const
{
    if (!m_backgroundDecoded) {
        m_backgroundDecoded = true;
        if (!m_backgroundPath.isEmpty())
            m_background = DensePixmap::load(m_backgroundPath);
    }
    return m_background;
}

bool MenuWidget::event(QEvent *e)
{
    // Touches are taken here so that they never turn into synthetic mouse
    // presses of the view beneath; the menu works with mouse events.
    if (e->type() == QEvent::TouchBegin)
        return true;
    if (e->type() == QEvent::KeyPress && isBackKey(static_cast<QKeyEvent *>(e)->key()) && isSlidingOut()) {
        deferBackKey();
        return true;
    }
    return QWidget::event(e);
}

bool MenuWidget::isSlidingOut() const
{
    return !isHidden() && m_hideAnimation && m_hideAnimation->state() == QAbstractAnimation::Running;
}

void MenuWidget::deferBackKey()
{
    m_backKeyDeferred = true;
}

bool MenuWidget::isHiddenPanel() const
{
    // A panel of the game sits on the view; a window of its own (as in the
    // panel tests) walks its items with Tab whether shown or not.
    return parentWidget() && isHidden();
}

void MenuWidget::hideEvent(QHideEvent *e)
{
    // The focus goes back to the view when a panel goes away, so that the
    // ride's keys and Escape reach the game.
    if (hasFocus() && parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
    QWidget::hideEvent(e);
}

void MenuWidget::mousePressEvent(QMouseEvent *e)
{
    QWidget::mousePressEvent(e);
    s_focusRingShown = false;
    const QPointF p = e->position() / m_scale;
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->contains(p)) {
            button->setPressed(true);
            focusButton(button);
        }
    }
    update();
    // A click on the panel belongs to the panel, never to the game view
    // (and its on-screen controls) underneath.
    e->accept();
}

void MenuWidget::mouseReleaseEvent(QMouseEvent *e)
{
    // The release position is not tested: whatever was pressed fires.
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->isPressed())
            button->setPressed(false);
    }
    update();
    e->accept();
}

void MenuWidget::mouseDoubleClickEvent(QMouseEvent *e)
{
    mousePressEvent(e);
}

void MenuWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_scale < 1.0) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(m_scale, m_scale);
    }
    paint(&painter);
    if (s_focusRingShown) {
        const QVector<FocusItem> items = focusItems();
        const int index = focusIndex();
        if (index >= 0)
            MenuFocus::paintRing(&painter, items[index].rect);
    }
}

void MenuWidget::setMenuSize(int width, int height)
{
    m_menuWidth = width;
    m_menuHeight = height;
}

ButtonPixmap *MenuWidget::addButton(const QString &offImage, const QString &onImage, qreal x, qreal y,
    qreal width, qreal height, int buttonId)
{
    auto *button
        = new ButtonPixmap(offImage, onImage, x, y, width, height, 0, 0, width, height, buttonId, this);
    m_buttons.append(button);
    return button;
}

void MenuWidget::placeAtVisibleY(const QRect &screen)
{
    m_scale = fitScale(screen.size());
    m_visibleY = m_scale < 1.0 ? restingY(screen) : insideY(screen, m_visibleY);
    setGeometry(QRect(QPoint(centredX(screen, 0), m_visibleY), scaledSize()));
}

void MenuWidget::setUpSliding(int showMs, int hideMs)
{
    auto slide = [this](const char *name, int ms, int from, int to, QEasingCurve::Type easing) {
        auto *animation = new QPropertyAnimation(this, "y", this);
        animation->setObjectName(QLatin1String(name));
        animation->setDuration(ms);
        animation->setStartValue(from);
        animation->setEndValue(to);
        animation->setEasingCurve(easing);
        return animation;
    };
    m_showAnimation = slide("showAnimation", showMs, m_hiddenY, m_visibleY, QEasingCurve::OutBack);
    m_hideAnimation = slide("hideAnimation", hideMs, m_visibleY, m_hiddenY, QEasingCurve::InCubic);
    // Queued: the panel's own handling of the slide-out (its signal and
    // what follows from it) comes first.
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, [this] {
        if (!m_backKeyDeferred)
            return;
        m_backKeyDeferred = false;
        QMetaObject::invokeMethod(this, &MenuWidget::backKeyAfterSlideOut, Qt::QueuedConnection);
    });

    setVisible(false);
    setFocusPolicy(Qt::StrongFocus);
}

bool MenuWidget::isBackKey(int key)
{
    return key == Qt::Key_Escape || key == Qt::Key_MediaPrevious;
}

void MenuWidget::slideIn()
{
    setVisible(true);
    m_showAnimation->start();
    setFocus(Qt::OtherFocusReason);
}

void MenuWidget::slideOut()
{
    m_hideAnimation->start();
}

// --- Keyboard and pad focus -------------------------------------------------

QVector<MenuWidget::FocusItem> MenuWidget::focusItems() const
{
    QVector<FocusItem> items;
    for (ButtonPixmap *button : m_buttons) {
        if (button->isActive())
            items.append({button->hitRect(), button, 0});
    }
    return items;
}

int MenuWidget::focusIndex() const
{
    const QVector<FocusItem> items = focusItems();
    if (items.isEmpty())
        return -1;
    if (m_hasFocus) {
        for (int i = 0; i < items.size(); ++i) {
            if (m_focus.button ? items[i].button == m_focus.button
                               : (m_focus.id != 0 && items[i].id == m_focus.id))
                return i;
        }
        // The focused item went away (a toggle swapped its button): the
        // nearest one takes its place.
        int nearest = 0;
        qreal nearestDistance = 0.0;
        for (int i = 0; i < items.size(); ++i) {
            const QPointF d = items[i].rect.center() - m_focus.rect.center();
            const qreal distance = QPointF::dotProduct(d, d);
            if (i == 0 || distance < nearestDistance) {
                nearest = i;
                nearestDistance = distance;
            }
        }
        return nearest;
    }
    QVector<QRectF> rects;
    for (const FocusItem &item : items)
        rects.append(item.rect);
    return MenuFocus::step(rects, -1, true);
}

ButtonPixmap *MenuWidget::focusedButton() const
{
    const int index = focusIndex();
    return index >= 0 ? focusItems().at(index).button : nullptr;
}

int MenuWidget::focusedId() const
{
    const int index = focusIndex();
    return index >= 0 ? focusItems().at(index).id : 0;
}

void MenuWidget::focusButton(ButtonPixmap *button)
{
    m_focus = {button ? button->hitRect() : QRectF(), button, 0};
    m_hasFocus = button != nullptr;
    update();
}

void MenuWidget::focusItemId(int id)
{
    for (const FocusItem &item : focusItems()) {
        if (item.id == id) {
            m_focus = item;
            m_hasFocus = true;
            update();
            return;
        }
    }
}

void MenuWidget::moveFocus(int index, const QVector<FocusItem> &items)
{
    if (index < 0 || index >= items.size())
        return;
    m_focus = items[index];
    m_hasFocus = true;
}

void MenuWidget::activateFocusItem(const FocusItem &) { }

bool MenuWidget::stepFocusItem(const FocusItem &, int)
{
    return false;
}

bool MenuWidget::focusNextPrevChild(bool next)
{
    // Qt asks a panel being hidden to pass its focus on: that is not Tab.
    if (isHiddenPanel())
        return QWidget::focusNextPrevChild(next);
    // Tab stays on the panel: it walks the panel's own items.
    const QVector<FocusItem> items = focusItems();
    QVector<QRectF> rects;
    for (const FocusItem &item : items)
        rects.append(item.rect);
    moveFocus(MenuFocus::step(rects, focusIndex(), next), items);
    s_focusRingShown = true;
    update();
    return true;
}

void MenuWidget::keyPressEvent(QKeyEvent *e)
{
    const QVector<FocusItem> items = focusItems();
    const int index = focusIndex();
    int direction = -1;
    switch (e->key()) {
    case Qt::Key_Left:
        direction = MenuFocus::Left;
        break;
    case Qt::Key_Right:
        direction = MenuFocus::Right;
        break;
    case Qt::Key_Up:
        direction = MenuFocus::Up;
        break;
    case Qt::Key_Down:
        direction = MenuFocus::Down;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        // Alt+Enter and the like are the window's, not a press.
        if (e->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) {
            QWidget::keyPressEvent(e);
            return;
        }
        s_focusRingShown = true;
        if (!e->isAutoRepeat() && index >= 0) {
            m_keyPressedButton = items[index].button;
            m_keyPressedId = items[index].id;
            if (m_keyPressedButton)
                m_keyPressedButton->setPressed(true);
        }
        update();
        return;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    s_focusRingShown = true;
    if (index >= 0) {
        const bool sideways = direction == MenuFocus::Left || direction == MenuFocus::Right;
        if (!sideways || !stepFocusItem(items[index], direction == MenuFocus::Left ? -1 : 1)) {
            QVector<QRectF> rects;
            for (const FocusItem &item : items)
                rects.append(item.rect);
            moveFocus(MenuFocus::neighbour(rects, index, MenuFocus::Direction(direction)), items);
        }
    }
    update();
}

void MenuWidget::keyReleaseEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        break;
    default:
        QWidget::keyReleaseEvent(e);
        return;
    }
    if (e->isAutoRepeat())
        return;
    ButtonPixmap *button = m_keyPressedButton;
    const int id = m_keyPressedId;
    m_keyPressedButton = nullptr;
    m_keyPressedId = 0;
    if (button) {
        // Fires through the button's released signal, as a click does.
        if (button->isActive() && button->isPressed())
            button->setPressed(false);
    } else if (id != 0) {
        for (const FocusItem &item : focusItems()) {
            if (item.id == id)
                activateFocusItem(item);
        }
    }
    update();
}

void MenuWidget::padKey(int key, bool pressed)
{
    m_padKey = true;
    QKeyEvent event(pressed ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &event);
    m_padKey = false;
}
