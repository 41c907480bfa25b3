#pragma once
// The measurement pop-up of the main menu bar: centre spot, hot/cold spots
// and zone, one check box each.
#include "core/menuwindow.h"
#include "ui_tempsubmenu.h"

class TempSubMenu : public Screen<Ui::TempSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit TempSubMenu(QMainWindow *parent = nullptr);

signals:
    void tempMenuUpdateMenuTips(QString text, int x, int y, int flags);
    void changeCenterTemp();
    void changeHiLoTemp();
    void changeZoneTemp();

public slots:
    // Opens with the focus on the first ticked box (the centre box when none is).
    void tempSubMenuEnable();
    // The temperature calibration shows or hides the centre spot and the
    // hot/cold markers: focus the box, set its tick, announce the change.
    void enableCenterTemp(bool on);
    void enableHiLoTemp(bool on);
    // Centre unticked, hot/cold ticked, zone unticked; all three announced.
    void factoryResetForTempSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;
};
