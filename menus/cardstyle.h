// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CARDSTYLE_H
#define CARDSTYLE_H

#include <QColor>
#include <QtGlobal>

// The look of the cards laid over the riding view (the level's start card,
// the replay band): a translucent night-purple card with a coloured rim,
// paper-white titles and sand-coloured text. Sizes in pixels.
namespace CardStyle {
constexpr qreal kCornerRadius = 14;
constexpr qreal kBorderWidth = 2.5;
inline const QColor kFill(42, 34, 48, 215);
inline const QColor kTitleColour(255, 250, 240);
inline const QColor kTextColour(240, 226, 200);
} // namespace CardStyle

#endif
