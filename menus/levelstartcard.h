// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELSTARTCARD_H
#define LEVELSTARTCARD_H

#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QPropertyAnimation;
class QTimer;

// The card over the top of the game view while a run of a level starts: the
// level's number and name, the gold, silver and bronze times and the
// player's best. It lets every input through to the view and fades out by
// itself a few seconds after showing.
class LevelStartCard : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
public:
    // How long the card stays before it fades (ms), and the fade (ms).
    static constexpr int kShowMs = 4000;
    static constexpr int kFadeMs = 600;

    explicit LevelStartCard(QWidget *parent);

    // Times in seconds; best 0 means no finished run yet.
    void showLevel(
        int levelNumber, const QString &name, double gold, double silver, double bronze, double best);
    // Hides at once (a menu takes the screen).
    void dismiss();

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // The title and the times line as painted.
    QString title() const { return m_title; }
    QStringList times() const { return m_times; }
    QString best() const { return m_best; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    void place();
    // The card at full opacity, drawn into m_face.
    void paintFace();

    QString m_title;
    QStringList m_times; // gold, silver, bronze
    QString m_best;
    QPixmap m_medals[3];
    // The card as last drawn (for this text, size and pixel density), laid
    // over the view each frame at the fade's opacity: the view repaints
    // beneath it every frame, and drawing the rounded, antialiased card and
    // its text anew each time cost more than the rest of the frame.
    QPixmap m_face;
    QTimer *m_timer;
    QPropertyAnimation *m_fade;
    qreal m_opacity = 1.0;
};

#endif
