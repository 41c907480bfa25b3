#pragma once
// The palette pop-up: seven palettes, the ticked radio button is the chosen
// one. While it is open the focused palette is previewed; closing it without
// OK falls back to the ticked one within 200 ms.
#include "core/menuwindow.h"
#include "ui_colorsubmenu.h"

class QTimer;

class ColorSubMenu : public Screen<Ui::ColorSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit ColorSubMenu(QMainWindow *parent = nullptr);

    static constexpr int kPreviewMs = 200;
    QTimer *focusTimer = nullptr;

signals:
    void colorMenuUpdateMenuTips(QString text, int x, int y, int flags);
    // The palette to show now: the focused one while open, the ticked one while closed.
    void radioButtonFocused();
    void radioButton2Focused();
    void radioButton3Focused();
    void radioButton4Focused();
    void radioButton5Focused();
    void radioButton6Focused();
    void radioButton7Focused();

public slots:
    // Shows the pop-up; the focus stays where it was last.
    void colorSubMenuEnable();
    // OK on palette N: tick it only and close.
    void colorSubMenuUpdateRbtn1();
    void colorSubMenuUpdateRbtn2();
    void colorSubMenuUpdateRbtn3();
    void colorSubMenuUpdateRbtn4();
    void colorSubMenuUpdateRbtn5();
    void colorSubMenuUpdateRbtn6();
    void colorSubMenuUpdateRbtn7();
    // Every 200 ms: announce the palette to show.
    void colorSubMenuFocusChange();
    // While hidden, gives the focus back to the ticked palette.
    void colorSubMenuAutoUpdate();
    void factoryResetForColorSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;

private:
    void confirm(int index);
    int m_announced = -1;   // palette index last announced
};
