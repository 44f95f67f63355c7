// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsmenu.h"

#include "buttonpixmap.h"
#include "menutext.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {
constexpr int kSmallScreenLift = 12;
constexpr int kMaxVolume = 100;

// Layout on the 479 x 344 panel (pixels): the paper above y 258, the dark
// foot with the buttons below.
constexpr int kTitlePixelSize = 18;
constexpr int kLabelPixelSize = 13;
constexpr int kSmallPixelSize = 12;
constexpr QRectF kTitleRect(30, 14, 419, 26);
constexpr QRectF kVolumeItem(26, 46, 427, 28);
constexpr qreal kLabelWidth = 100;
constexpr qreal kSliderLeft = 136;
constexpr qreal kSliderRight = 394;
constexpr qreal kSliderHeight = 10;
constexpr qreal kKnobRadius = 9;
constexpr qreal kValueWidth = 44;
constexpr QRectF kSoundsItem(26, 80, 205, 28);
constexpr QRectF kFullScreenItem(248, 80, 205, 28);
constexpr QSizeF kToggleSize(46, 22);
constexpr QRectF kControlsRect(30, 114, 419, 20);
// Key grid: two columns of four actions.
constexpr qreal kGridLeft = 26;
constexpr qreal kGridTop = 138;
constexpr qreal kCellWidth = 208;
constexpr qreal kCellHeight = 24;
constexpr qreal kColumnStep = 219;
constexpr qreal kRowStep = 27;
constexpr int kRowsPerColumn = 4;
constexpr QRectF kNoteRect(30, 244, 419, 16);
constexpr qreal kCellPad = 8;
constexpr qreal kCornerRadius = 6;
// Inner padding of a row, the on/off word's width and gap left of a switch,
// the gap around a switch's knob.
constexpr qreal kRowPad = 4;
constexpr qreal kStateWidth = 34;
constexpr qreal kStateGap = 6;
constexpr qreal kKnobGap = 3;
// Drop shadow of the drawn button: offset (pixels) and opacity (0..255).
constexpr QPointF kShadowOffset(1.5, 2);
constexpr int kShadowAlpha = 90;

constexpr qreal kButtonSize = 64;
constexpr qreal kBackX = 10;
constexpr qreal kBackY = 274;
constexpr QRectF kRestoreRect(92, 289, 176, 34);

const QColor kInk(0x2a, 0x22, 0x30);
const QColor kNoteInk(110, 70, 20);
const QColor kPaper(0xff, 0xfa, 0xf0);
const QColor kAmber(0xf5, 0xa6, 0x23);
const QColor kAmberLight(0xff, 0xd1, 0x66);
const QColor kGreen(0x43, 0xa8, 0x4a);
const QColor kGray(0xa9, 0xaf, 0xb6);
const QColor kTrack(0xe9, 0xd3, 0xa6);
constexpr qreal kOutline = 2.0;

QRectF actionCell(int action)
{
    const int column = action / kRowsPerColumn;
    const int row = action % kRowsPerColumn;
    return QRectF(kGridLeft + column * kColumnStep, kGridTop + row * kRowStep, kCellWidth, kCellHeight);
}

QRectF sliderTrack()
{
    return QRectF(kSliderLeft + kKnobRadius, kVolumeItem.center().y() - kSliderHeight / 2,
        kSliderRight - kSliderLeft - 2 * kKnobRadius, kSliderHeight);
}

QRectF toggleRect(const QRectF &item)
{
    return QRectF(item.right() - kToggleSize.width() - kRowPad, item.center().y() - kToggleSize.height() / 2,
        kToggleSize.width(), kToggleSize.height());
}
} // namespace

SettingsMenu::SettingsMenu(const QSize &windowSize, QWidget *parent)
    : SubMenu(QStringLiteral(":images/mainmenu.png"), kSmallScreenLift, windowSize, parent)
    , m_titleFont(menuFont(kTitlePixelSize, true))
    , m_labelFont(menuFont(kLabelPixelSize, true))
    , m_smallFont(menuFont(kSmallPixelSize, false))
{
    m_back = addButton(QStringLiteral(":/images/back_off.png"), QStringLiteral(":/images/back_on.png"),
        kBackX, kBackY, kButtonSize, kButtonSize);
    connect(m_back, &ButtonPixmap::released, this, [this] {
        cancelCapture();
        hideMenu();
    });
}

void SettingsMenu::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, kMaxVolume);
    update();
}

void SettingsMenu::setSoundsOn(bool on)
{
    m_soundsOn = on;
    update();
}

void SettingsMenu::setFullScreen(bool on)
{
    m_fullScreen = on;
    update();
}

void SettingsMenu::setKeyBindings(const KeyBindings &bindings)
{
    m_bindings = bindings;
    update();
}

void SettingsMenu::showMenu()
{
    m_note.clear();
    m_capturing = KeyBindings::kNoAction;
    focusItemId(VolumeItem);
    SubMenu::showMenu();
}

QVector<MenuWidget::FocusItem> SettingsMenu::focusItems() const
{
    QVector<FocusItem> items = MenuWidget::focusItems();
    items.append({kVolumeItem, nullptr, VolumeItem});
    items.append({kSoundsItem, nullptr, SoundsItem});
    items.append({kFullScreenItem, nullptr, FullScreenItem});
    for (int a = 0; a < KeyBindings::kActionCount; ++a)
        items.append({actionCell(a), nullptr, kActionItem + a});
    items.append({kRestoreRect, nullptr, RestoreItem});
    return items;
}

void SettingsMenu::activateFocusItem(const FocusItem &item)
{
    switch (item.id) {
    case SoundsItem:
        m_soundsOn = !m_soundsOn;
        emit soundsChanged(m_soundsOn);
        break;
    case FullScreenItem:
        m_fullScreen = !m_fullScreen;
        emit fullScreenChanged(m_fullScreen);
        break;
    case RestoreItem:
        restoreDefaults();
        break;
    default:
        if (item.id >= kActionItem && item.id < kActionItem + KeyBindings::kActionCount)
            startCapture(KeyBindings::Action(item.id - kActionItem));
        break;
    }
    update();
}

bool SettingsMenu::stepFocusItem(const FocusItem &item, int step)
{
    if (item.id != VolumeItem)
        return false;
    changeVolume(m_volume + step * kVolumeKeyStep);
    return true;
}

void SettingsMenu::changeVolume(int volume)
{
    volume = std::clamp(volume, 0, kMaxVolume);
    if (volume == m_volume)
        return;
    m_volume = volume;
    update();
    emit volumeChanged(m_volume);
}

void SettingsMenu::volumeAt(qreal x)
{
    const QRectF track = sliderTrack();
    changeVolume(qRound(kMaxVolume * std::clamp((x - track.left()) / track.width(), 0.0, 1.0)));
}

void SettingsMenu::startCapture(KeyBindings::Action action)
{
    m_capturing = action;
    focusItemId(kActionItem + action);
    m_note = tr("Press a key for %1 (Esc cancels)").arg(KeyBindings::actionLabel(action));
    update();
}

void SettingsMenu::cancelCapture()
{
    if (m_capturing == KeyBindings::kNoAction)
        return;
    m_capturing = KeyBindings::kNoAction;
    m_note.clear();
    update();
}

void SettingsMenu::capture(int key)
{
    if (!KeyBindings::isAssignable(key)) {
        m_note = tr("%1 cannot be set; press another key (Esc cancels)").arg(KeyBindings::keyName(key));
        update();
        return;
    }
    const auto action = KeyBindings::Action(m_capturing);
    m_capturing = KeyBindings::kNoAction;
    m_swallowRelease = key;
    const int from = m_bindings.assign(action, key);
    const QString keyName = KeyBindings::keyName(key);
    if (from != KeyBindings::kNoAction) {
        m_note = tr("%1 moved from %2 to %3")
                     .arg(keyName, KeyBindings::actionLabel(KeyBindings::Action(from)),
                         KeyBindings::actionLabel(action));
    } else {
        m_note = tr("%1 set for %2").arg(keyName, KeyBindings::actionLabel(action));
    }
    update();
    emit keyBindingsChanged(m_bindings);
}

void SettingsMenu::restoreDefaults()
{
    cancelCapture();
    m_bindings.restoreDefaults();
    m_note = tr("Default keys restored");
    emit keyBindingsChanged(m_bindings);
}

bool SettingsMenu::focusNextPrevChild(bool next)
{
    cancelCapture();
    return SubMenu::focusNextPrevChild(next);
}

void SettingsMenu::keyPressEvent(QKeyEvent *e)
{
    if (m_capturing != KeyBindings::kNoAction) {
        // Waiting for a key: Escape (or a pad's B) cancels; a pad's other
        // buttons and lone modifiers are not keys to give.
        if (isBackKey(e->key())) {
            cancelCapture();
        } else if (!isPadKey() && !KeyBindings::isModifier(e->key()) && !e->isAutoRepeat()) {
            capture(e->key());
        }
        e->accept();
        return;
    }
    if (isBackKey(e->key())) {
        hideMenu();
        return;
    }
    SubMenu::keyPressEvent(e);
}

void SettingsMenu::keyReleaseEvent(QKeyEvent *e)
{
    if (m_swallowRelease != 0 && e->key() == m_swallowRelease) {
        m_swallowRelease = 0;
        e->accept();
        return;
    }
    if (m_capturing != KeyBindings::kNoAction) {
        e->accept();
        return;
    }
    SubMenu::keyReleaseEvent(e);
}

void SettingsMenu::mousePressEvent(QMouseEvent *e)
{
    const QPointF p = e->position() / panelScale();
    for (const FocusItem &item : focusItems()) {
        if (item.button || !item.rect.contains(p))
            continue;
        setFocusRingShown(false);
        cancelCapture();
        focusItemId(item.id);
        if (item.id == VolumeItem) {
            m_draggingVolume = true;
            volumeAt(p.x());
        } else {
            activateFocusItem(item);
        }
        e->accept();
        return;
    }
    cancelCapture();
    SubMenu::mousePressEvent(e);
}

void SettingsMenu::mouseMoveEvent(QMouseEvent *e)
{
    if (m_draggingVolume)
        volumeAt(e->position().x() / panelScale());
    SubMenu::mouseMoveEvent(e);
}

void SettingsMenu::mouseReleaseEvent(QMouseEvent *e)
{
    m_draggingVolume = false;
    SubMenu::mouseReleaseEvent(e);
}

// --- Drawing ----------------------------------------------------------------

void SettingsMenu::paint(QPainter *painter)
{
    MenuWidget::paint(painter);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(kInk);
    painter->setFont(m_titleFont);
    painter->drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter, tr("Settings"));

    paintSlider(painter);
    paintToggle(painter, kSoundsItem, tr("Sounds"), m_soundsOn);
    paintToggle(painter, kFullScreenItem, tr("Fullscreen"), m_fullScreen);

    painter->setPen(kInk);
    painter->setFont(m_labelFont);
    painter->drawText(kControlsRect, Qt::AlignLeft | Qt::AlignVCenter, tr("Controls"));
    painter->setFont(m_smallFont);
    painter->drawText(
        kControlsRect, Qt::AlignRight | Qt::AlignVCenter, tr("choose an action, then press its key"));
    for (int a = 0; a < KeyBindings::kActionCount; ++a)
        paintActionCell(painter, a);

    painter->setPen(kNoteInk);
    painter->setFont(m_smallFont);
    painter->drawText(kNoteRect, Qt::AlignLeft | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(m_note, Qt::ElideRight, int(kNoteRect.width())));
    paintRestoreButton(painter);
    painter->restore();
}

void SettingsMenu::paintRow(QPainter *painter, const QRectF &rect, const QString &label) const
{
    painter->setPen(kInk);
    painter->setFont(m_labelFont);
    painter->drawText(QRectF(rect.left() + kRowPad, rect.top(), kLabelWidth, rect.height()),
        Qt::AlignLeft | Qt::AlignVCenter, label);
}

void SettingsMenu::paintSlider(QPainter *painter) const
{
    paintRow(painter, kVolumeItem, tr("Volume"));
    const QRectF track = sliderTrack();
    const qreal radius = kSliderHeight / 2;
    painter->setPen(QPen(kInk, kOutline));
    painter->setBrush(kTrack);
    painter->drawRoundedRect(track, radius, radius);
    const qreal knobX = track.left() + track.width() * m_volume / kMaxVolume;
    painter->setBrush(kAmber);
    painter->drawRoundedRect(
        QRectF(track.left(), track.top(), knobX - track.left(), track.height()), radius, radius);
    painter->setBrush(kAmberLight);
    painter->drawEllipse(QPointF(knobX, track.center().y()), kKnobRadius, kKnobRadius);
    painter->setPen(kInk);
    painter->setFont(m_labelFont);
    painter->drawText(QRectF(kVolumeItem.right() - kValueWidth, kVolumeItem.top(), kValueWidth - kRowPad,
                          kVolumeItem.height()),
        Qt::AlignRight | Qt::AlignVCenter, QString::number(m_volume));
}

void SettingsMenu::paintToggle(QPainter *painter, const QRectF &rect, const QString &label, bool on) const
{
    paintRow(painter, rect, label);
    const QRectF toggle = toggleRect(rect);
    const qreal radius = toggle.height() / 2;
    painter->setPen(QPen(kInk, kOutline));
    painter->setBrush(on ? kGreen : kGray);
    painter->drawRoundedRect(toggle, radius, radius);
    const qreal knobX = on ? toggle.right() - radius : toggle.left() + radius;
    painter->setBrush(kPaper);
    painter->drawEllipse(QPointF(knobX, toggle.center().y()), radius - kKnobGap, radius - kKnobGap);
    painter->setFont(m_smallFont);
    painter->setPen(kInk);
    painter->drawText(
        QRectF(toggle.left() - kStateGap - kStateWidth, toggle.top(), kStateWidth, toggle.height()),
        Qt::AlignRight | Qt::AlignVCenter, on ? tr("on") : tr("off"));
}

void SettingsMenu::paintActionCell(QPainter *painter, int action) const
{
    const QRectF cell = actionCell(action);
    const bool capturing = m_capturing == action;
    painter->setPen(QPen(kInk, kOutline));
    painter->setBrush(capturing ? kAmberLight : kPaper);
    painter->drawRoundedRect(cell, kCornerRadius, kCornerRadius);
    const QRectF text = cell.adjusted(kCellPad, 0, -kCellPad, 0);
    painter->setFont(m_labelFont);
    painter->drawText(
        text, Qt::AlignLeft | Qt::AlignVCenter, KeyBindings::actionLabel(KeyBindings::Action(action)));
    painter->setFont(m_smallFont);
    const QString keys = capturing ? tr("press a key") : m_bindings.keysText(KeyBindings::Action(action));
    const int labelWidth
        = QFontMetrics(m_labelFont).horizontalAdvance(KeyBindings::actionLabel(KeyBindings::Action(action)))
        + int(kCellPad);
    painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(keys, Qt::ElideRight, int(text.width()) - labelWidth));
}

void SettingsMenu::paintRestoreButton(QPainter *painter) const
{
    const qreal radius = kRestoreRect.height() / 2;
    painter->setPen(Qt::NoPen);
    QColor shadow = kInk;
    shadow.setAlpha(kShadowAlpha);
    painter->setBrush(shadow);
    painter->drawRoundedRect(kRestoreRect.translated(kShadowOffset), radius, radius);
    painter->setPen(QPen(kInk, kOutline));
    painter->setBrush(kAmber);
    painter->drawRoundedRect(kRestoreRect, radius, radius);
    painter->setFont(m_labelFont);
    painter->setPen(kInk);
    painter->drawText(kRestoreRect, Qt::AlignCenter, tr("Restore defaults"));
}
