#pragma once
// The video playback widget: decodes the video frame by frame on a 125 ms
// timer (8 frames per second) and paints each frame.
#include <QImage>
#include <QWidget>

#include <memory>

class QTimer;
namespace videofile {
class Decoder;
}

// State of the player.
struct PlayerState {
    int framecount = 0;             // frame count reported when the file was opened
    int cur_pos = 0;                // frames shown so far
    unsigned char play_flags = 0;   // 1 while the frame timer runs
};
extern PlayerState playerState;

// The class keeps the name the rest of the system knows it by.
class myWidget : public QWidget {
    Q_OBJECT
public:
    explicit myWidget(QWidget *parent = nullptr);
    ~myWidget() override;

    QTimer *frameTimer() const { return m_timer; }
    const QImage &frame() const { return m_image; }
    // Whether a video is held open.
    bool hasCapture() const;
    // Set when the last video could not be played because the decoder is
    // missing: the player shows it instead of a picture.
    const QString &error() const { return m_error; }

signals:
    void playStatusChanged(bool playing);
    void videoPlayExit();
    void deleteVideo();

public slots:
    // Opens `path` (host path) and starts playing.
    void openVideoFile(QString path);
    void nextFrame();
    void videoPlayAndPause();
    void videoPause();
    void videoPlayFastForward();
    void videoPlayBackForward();
    void videoPlayStop();
    void deleteCurrentVideo();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Ends playback: the widget closes, the video is let go, the position resets.
    void endPlayback();
    bool showFrame();
    std::unique_ptr<videofile::Decoder> m_capture;
    QImage m_image;
    QString m_error;
    QTimer *m_timer = nullptr;
};
