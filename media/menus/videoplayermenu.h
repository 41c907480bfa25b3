#pragma once
// The video control bar: play/pause (`pushButton`, centre), back
// (`pushButton_2`, left) and forward (`pushButton_3`, right).
#include "core/menuwindow.h"
#include "ui_videoplayermenu.h"

class VideoPlayerMenu : public Screen<Ui::VideoPlayerMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit VideoPlayerMenu(QMainWindow *parent = nullptr);
public slots:
    void videoPlayerMenuEnable();
    // The pause picture while playing, the play picture otherwise.
    void changePlayIcon(bool playing);
};
