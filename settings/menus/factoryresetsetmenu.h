#pragma once
// "Factory reset": "Yes" returns every setting to its factory value; the
// screen always opens on "No" and returns to it once a reset is done, so that
// one OK never resets by itself. While the reset runs (about 3.5 or 6.5 s)
// the done flag is clear and the keys treat that as busy.
#include "core/menuwindow.h"
#include "ui_factoryresetsetmenu.h"

class ProgressSplash;

class FactoryResetSetMenu : public Screen<Ui::FactoryResetSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit FactoryResetSetMenu(QMainWindow *parent = nullptr);

    // Clear while a reset runs; the keys treat that as busy.
    bool factoryResetDone = true;
    ProgressSplash *splash() const { return m_splash; }

signals:
    // Every menu returns to its factory choice.
    void factoryResetForSystem();

public slots:
    void factoryResetSetMenuEnable();
    void factoryResetSetMenuUpdateRbtn1();   // Yes
    void factoryResetSetMenuUpdateRbtn2();   // No
    void updateFactoryResetSetting();
    void factoryReset();
    void setFactoryRestDoneStatus();
    void factoryResetSetMenuAutoUpdate();

protected:
    void settingChanged() override { updateFactoryResetSetting(); }

private:
    ProgressSplash *m_splash;
};
