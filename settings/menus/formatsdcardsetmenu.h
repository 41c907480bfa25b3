#pragma once
// "Format sdcard": "Yes" formats the card; it always opens on "No" and returns
// to it once a format is done or found no card, so that one OK never wipes
// the card by itself. While the card is formatted (6.5 s) the done flag is
// clear and the keys treat that as busy.
#include "core/menuwindow.h"
#include "ui_formatsdcardsetmenu.h"

class ProgressSplash;

class FormatSdcardSetMenu : public Screen<Ui::FormatSdcardSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit FormatSdcardSetMenu(QMainWindow *parent = nullptr);

    // Clear while the card is being formatted; the keys treat that as busy.
    bool formatSdcardDone = true;
    ProgressSplash *splash() const { return m_splash; }

public slots:
    void formatSdcardSetMenuEnable();
    void formatSdcardSetMenuUpdateRbtn1();   // Yes
    void formatSdcardSetMenuUpdateRbtn2();   // No
    void updateFormatSdcardSetting();
    void setFormatSdcardDoneStatus();
    void formatSdcardSetMenuAutoUpdate();

protected:
    void settingChanged() override { updateFormatSdcardSetting(); }

private:
    ProgressSplash *m_splash;
};
