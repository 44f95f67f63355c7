// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYWATCHOVERLAY_H
#define REPLAYWATCHOVERLAY_H

#include <QString>
#include <QWidget>

class QTimer;

// The band at the bottom of the game view while a run is watched: that it
// is a replay, playing or paused and at what speed, the keys, and a line
// when the recorded path is shown instead of the simulation. Also shows a
// notice on its own for a while (a replay that could not be watched). Lets
// every input through to the view.
class ReplayWatchOverlay : public QWidget
{
    Q_OBJECT
public:
    // How long a notice stays, ms.
    static constexpr int kNoticeMs = 6000;

    explicit ReplayWatchOverlay(QWidget *parent);

    // The band's state line, e.g. "REPLAY  1x", and the message under it
    // (empty for none).
    void showState(const QString &state, const QString &message);
    // A line on its own (several where it holds line breaks), hidden after
    // ms milliseconds.
    void showNotice(const QString &notice, int ms = kNoticeMs);
    void dismiss();

    QString state() const { return m_state; }
    QString message() const { return m_message; }
    QString notice() const { return m_notice; }
    static QString keysHint();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void place();
    // The notice's box height at a band width, pixels.
    int noticeHeight(int width) const;

    QString m_state;
    QString m_message;
    QString m_notice;
    QTimer *m_noticeTimer;
};

#endif
