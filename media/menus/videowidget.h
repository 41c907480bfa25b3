#pragma once
// The video playback widget: paints the frames of the video being played.
#include <QWidget>

// The class keeps the name the rest of the system knows it by.
class myWidget : public QWidget {
    Q_OBJECT
public:
    explicit myWidget(QWidget *parent = nullptr);

signals:
    void playStatusChanged(bool playing);
    void videoPlayExit();
    void deleteVideo();

public slots:
    // Playback control; decoding comes with video playback.
    void videoPause();
    void videoPlayStop();
};
