#pragma once
// The live picture and the overlays on it drawn as one while frames come.
//
// Every frame the whole picture changes, so Qt would paint every overlay
// again too: begin a painter, walk its effect and its region for each one,
// 25 times a second. While frames come, the picture's label paints its
// picture and then each overlay above it from that overlay's picture of
// itself, and the overlays stay out of Qt's painting (their updates are off);
// a change to one shows with the next frame. When no frame has come for a
// while (a capture holds the picture, the module is gone) the overlays paint
// themselves again, so a change shows at once.
#include <QObject>
#include <QTimer>

class QLabel;
class QWidget;

class LiveSurface : public QObject {
    Q_OBJECT
public:
    // `picture` is the label of the live picture; the overlays are its later
    // siblings drawn through an OverlayLayer. Frames are taken to have stopped
    // after `idleMs` without one.
    explicit LiveSurface(QLabel *picture, int idleMs = 200);

    // Called after each new picture is put into the label.
    void frameShown();
    bool isLive() const { return m_live; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLive(bool live);
    QList<QWidget *> overlays() const;   // bottom first

    QLabel *m_picture;
    QTimer m_idle;
    bool m_live = false;
};
