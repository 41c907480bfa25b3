#pragma once
// The video playback widget: decodes the video frame by frame on a 125 ms
// timer (8 frames per second) and paints each frame.
#include <QImage>
#include <QWidget>

#include <memory>

class QTimer;
namespace cv {
class VideoCapture;
}

// File-scope state of the player.
extern QString curFileName;   // full path of the video being played
extern int framecount;        // frame count reported when the file was opened
extern int cur_pos;           // frames shown so far
extern unsigned char play_flags;   // 1 while the frame timer runs

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
    std::unique_ptr<cv::VideoCapture> m_capture;
    QImage m_image;
    QTimer *m_timer = nullptr;
};
