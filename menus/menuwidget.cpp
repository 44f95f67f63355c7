#include "menuwidget.h"

#include "buttonpixmap.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace {
constexpr double kHalf = 0.5;
} // namespace

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

int MenuWidget::restingY(const QRect &screen) const
{
    return int(kHalf * (screen.height() - m_menuHeight) + m_offsetY);
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
    const int resting = restingY(screen);
    if (m_showAnimation)
        m_showAnimation->setEndValue(resting);
    if (m_hideAnimation)
        m_hideAnimation->setStartValue(resting);
    const int x = int(kHalf * (screen.width() - m_menuWidth) + m_offsetX);
    setGeometry(x, resting, m_menuWidth, m_menuHeight);
}

void MenuWidget::paint(QPainter *painter)
{
    painter->drawPixmap(0, 0, m_background);
    paintButtons(painter);
}

void MenuWidget::paintButtons(QPainter *painter) const
{
    for (const ButtonPixmap *button : m_buttons)
        button->paint(painter);
}

void MenuWidget::setBackground(const QString &path)
{
    m_background = QPixmap(path);
}

bool MenuWidget::event(QEvent *e)
{
    // Touches are taken here so that they never turn into synthetic mouse
    // presses of the view beneath; the menu works with mouse events.
    if (e->type() == QEvent::TouchBegin)
        return true;
    return QWidget::event(e);
}

void MenuWidget::mousePressEvent(QMouseEvent *e)
{
    QWidget::mousePressEvent(e);
    const QPointF p = e->position();
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->contains(p))
            button->setPressed(true);
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
    paint(&painter);
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
    setGeometry(int((screen.width() - m_menuWidth) * kHalf), m_visibleY, m_menuWidth, m_menuHeight);
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

    setVisible(false);
    m_pendingAction = 0;
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

void MenuWidget::slideOut(int pendingAction)
{
    m_pendingAction = pendingAction;
    m_hideAnimation->start();
}
