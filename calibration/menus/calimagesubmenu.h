#pragma once
// The factory alignment page: arrows around the centre mark and "Save"
// (`pushButton`), over the half-and-half blend of both pictures. The arrow
// keys move the visible crop through the main window's offset functions;
// Save stores the offsets there and confirms here.
#include "core/menuwindow.h"
#include "ui_calimagesubmenu.h"

class QTimer;

class CalImageSubMenu : public Screen<Ui::CalImageSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit CalImageSubMenu(QMainWindow *parent = nullptr);

    static constexpr int kTipMs = 2000;

public slots:
    // Shows the page when hidden (the keys hide it).
    void calImageSubMenuEnable();
    // "Saved!" centred at the top for 2 s.
    void showCalImageTips();

private:
    QTimer *m_tipTimer = nullptr;
};
