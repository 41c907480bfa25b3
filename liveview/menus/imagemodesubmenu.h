#pragma once
// The image-mode pop-up: thermal, digital, fusion, PIP, alignment. While it is
// open the live view shows the focused mode; closing it without OK returns to
// the ticked mode within 200 ms.
#include "core/menuwindow.h"
#include "ui_imagemodesubmenu.h"

class QTimer;

class ImageModeSubMenu : public Screen<Ui::ImageModeSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit ImageModeSubMenu(QMainWindow *parent = nullptr);

    static constexpr int kPreviewMs = 200;
    QTimer *modeTimer = nullptr;
    // The live view's mode of each button: alignment shows the blend.
    static int modeOfButton(int index);

signals:
    void imageModeMenuUpdateMenuTips(QString text, int x, int y, int flags);

public slots:
    void imageModeSubMenuEnable();
    // OK on mode N: tick it only, store it, show it and close.
    void imageModeSubMenuUpdateRbtn1();
    void imageModeSubMenuUpdateRbtn2();
    void imageModeSubMenuUpdateRbtn3();
    void imageModeSubMenuUpdateRbtn4();
    void imageModeSubMenuUpdateRbtn5();
    // Every 200 ms: the live view follows the focused (open) or ticked (closed) mode.
    void imageModeSubMenuAutoUpdate();
    void factoryResetForImageModeSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;

private:
    void confirm(int index);
};
