// SPDX-License-Identifier: GPL-3.0-or-later
#include "infomenu.h"

#include "buttonpixmap.h"
#include "menutext.h"
#include "projectinfo.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kSmallScreenLift = 12;

constexpr int kTitlePixelSize = 18;
constexpr int kTextPixelSize = 12;
// Text block inside the panel's paper (pixels): left edge, width, the
// title's top and the distance between lines.
constexpr qreal kTextX = 30;
constexpr qreal kTextWidth = 419;
constexpr qreal kTitleY = 20;
constexpr qreal kFirstLineY = 52;
constexpr qreal kLineStep = 24;

// Where the main menu has its back button (the same panel picture).
constexpr qreal kButtonSize = 64;
constexpr qreal kBackX = 10;
constexpr qreal kBackY = 274;

} // namespace

InfoMenu::InfoMenu(const QSize &windowSize, QWidget *parent)
    : SubMenu(QStringLiteral(":images/mainmenu.png"), kSmallScreenLift, windowSize, parent)
    , m_titleFont(menuFont(kTitlePixelSize, true))
    , m_textFont(menuFont(kTextPixelSize, false))
{
    ButtonPixmap *back = addButton(QStringLiteral(":/images/back_off.png"),
        QStringLiteral(":/images/back_on.png"), kBackX, kBackY, kButtonSize, kButtonSize);
    connect(back, &ButtonPixmap::released, this, &InfoMenu::hideMenu);
}

void InfoMenu::setProgressPath(const QString &path)
{
    m_progressPath = path;
}

void InfoMenu::setKeyBindings(const KeyBindings &bindings)
{
    m_bindings = bindings;
    update();
}

void InfoMenu::setView(View view)
{
    m_view = view;
    update();
}

QStringList InfoMenu::lines() const
{
    return m_view == AboutView ? aboutLines() : infoLines();
}

QString InfoMenu::versionLine() const
{
    return tr("Version: %1.%2.%3 (PC)")
        .arg(ProjectInfo::kVersionMajor)
        .arg(ProjectInfo::kVersionMinor)
        .arg(ProjectInfo::kVersionBuild);
}

QString InfoMenu::fontsLine() const
{
    return tr("Fonts: Bitstream Vera, \u00a9 2003 Bitstream, Inc., Bitstream Vera licence");
}

QStringList InfoMenu::aboutLines() const
{
    const QString code = QString::fromLatin1(ProjectInfo::kCodeLicence);
    const QString content = QString::fromLatin1(ProjectInfo::kContentLicence);
    return {tr("About %1").arg(QString::fromLatin1(ProjectInfo::kName)), versionLine(),
        tr("\u00a9 %1 %2")
            .arg(QString::fromLatin1(ProjectInfo::kCopyrightYears),
                QString::fromLatin1(ProjectInfo::kPublisher)),
        tr("Code: GNU GPL, version 3 or later (%1)").arg(code),
        tr("Levels, pictures and sounds: CC BY-SA 4.0 (%1)").arg(content), fontsLine(),
        tr("Free software, with NO WARRANTY, to the extent the law allows."),
        tr("The full terms: the files LICENSE and COPYING, and on Debian"),
        tr("/usr/share/doc/velocrag/copyright")};
}

QStringList InfoMenu::infoLines() const
{
    QStringList text = {QString::fromLatin1(ProjectInfo::kName), QString::fromLatin1(ProjectInfo::kPublisher),
        versionLine(),
        tr("Licences: %1 (code), %2 (content)")
            .arg(QString::fromLatin1(ProjectInfo::kCodeLicence),
                QString::fromLatin1(ProjectInfo::kContentLicence)),
        fontsLine()};
    if (!m_progressPath.isEmpty())
        text.append(tr("Progress is kept in %1").arg(m_progressPath));
    // An action's keys as "W / Up". Escape opens the menu whatever the menu
    // action's keys are; a remote's back key is left out as noise.
    auto keys = [this](KeyBindings::Action action) {
        QStringList names;
        for (int key : m_bindings.keys(action))
            names.append(KeyBindings::keyName(key));
        return names.isEmpty() ? tr("no key") : names.join(QStringLiteral(" / "));
    };
    QStringList menuKeys = {KeyBindings::keyName(Qt::Key_Escape)};
    for (int key : m_bindings.keys(KeyBindings::Menu)) {
        if (key != Qt::Key_Escape && key != Qt::Key_MediaPrevious)
            menuKeys.append(KeyBindings::keyName(key));
    }
    text.append(tr("Keys: %1 throttle, %2 brake").arg(keys(KeyBindings::Throttle), keys(KeyBindings::Brake)));
    text.append(
        tr("Lean: %1 back, %2 forward").arg(keys(KeyBindings::LeanBack), keys(KeyBindings::LeanForward)));
    text.append(tr("%1 retry, %2 menu, G ghost; all keys in Settings")
                    .arg(keys(KeyBindings::Restart), menuKeys.join(QStringLiteral(" / "))));
    return text;
}

void InfoMenu::paint(QPainter *painter)
{
    MenuWidget::paint(painter);
    const QStringList text = lines();
    painter->setPen(Qt::black);
    painter->setFont(m_titleFont);
    painter->drawText(
        QRectF(kTextX, kTitleY, kTextWidth, kLineStep), Qt::AlignLeft | Qt::AlignVCenter, text.first());
    painter->setFont(m_textFont);
    qreal y = kFirstLineY;
    for (int i = 1; i < text.size(); ++i, y += kLineStep) {
        // A long results path keeps its start and its file name.
        const QString line = painter->fontMetrics().elidedText(text[i], Qt::ElideMiddle, int(kTextWidth));
        painter->drawText(QRectF(kTextX, y, kTextWidth, kLineStep), Qt::AlignLeft | Qt::AlignVCenter, line);
    }
}

void InfoMenu::keyPressEvent(QKeyEvent *e)
{
    if (isBackKey(e->key())) {
        hideMenu();
        return;
    }
    SubMenu::keyPressEvent(e);
}
