#pragma once
// "Format sdcard": "Yes" formats the card; it always opens on "No".
#include "app/menus/menuwindow.h"
#include "ui_formatsdcardsetmenu.h"

extern bool formatSdcardSetMenuEnabled;

class FormatSdcardSetMenu : public Screen<Ui::FormatSdcardSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit FormatSdcardSetMenu(QMainWindow *parent = nullptr);

    // Clear while the card is being formatted; the keys treat that as busy.
    bool formatSdcardDone = true;

public slots:
    void formatSdcardSetMenuEnable();
    void formatSdcardSetMenuUpdateRbtn1();   // Yes
    void formatSdcardSetMenuUpdateRbtn2();   // No
    void setFormatSdcardDoneStatus();
    void formatSdcardSetMenuAutoUpdate();

protected:
    // The formatting itself comes with the maintenance screens.
    void settingChanged() override {}
};
