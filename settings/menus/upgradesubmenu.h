#pragma once
// The upgrade panel, opened by a key combination: "App" (pushButton) and
// "System" (pushButton_2), with two lines of text under them that tell how
// the upgrade went. Once an upgrade has succeeded the panel stays with its
// result until the device is powered off; a failed one can be tried again.
#include "core/menuwindow.h"
#include "ui_upgradesubmenu.h"

class UpgradeSubMenu : public Screen<Ui::UpgradeSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit UpgradeSubMenu(QMainWindow *parent = nullptr);

    // An upgrade has been carried out; the buttons do nothing more.
    bool upgraded() const { return m_upgraded; }

public slots:
    void upgradeSubMenuEnable();
    void upgradeApplication();
    void upgradeSystem();

protected:
    void retranslate() override;

private:
    void showLines(const char *first, const char *second);
    void closeButtons();
    // A step that ran and failed: its text, and the buttons back.
    void failed(const char *what);
    void syncTimes(int n);
    const char *m_first = nullptr;   // untranslated texts of the two lines
    const char *m_second = nullptr;
    bool m_upgraded = false;
};
