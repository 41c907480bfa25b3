#pragma once
// The capture confirmation bar: cancel (`pushButton`, left) and save
// (`pushButton_2`, right). The save button has the focus whenever it is shown.
#include "core/menuwindow.h"
#include "ui_imagevideosavemenu.h"

class ImageVideoSaveMenu : public Screen<Ui::ImageVideoSaveMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageVideoSaveMenu(QMainWindow *parent = nullptr);
    // Comes up over a frozen picture, the focus on save.
    void openForCapture();

    // Set by setImageVideoSaveFlag(); nothing sets it in this system.
    bool pending = false;

public slots:
    void imageVideoSaveMenuEnable();
    void setImageVideoSaveFlag();
};
