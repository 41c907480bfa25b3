#pragma once
// The main menu bar: five icon buttons at the bottom of the live view, each
// opening its pop-up or the settings list.
#include "core/menuwindow.h"
#include "ui_mainmenu.h"

class MainMenu : public Screen<Ui::MainMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow *parent = nullptr);

signals:
    void mainMenuUpdateMenuTips(QString text, int x, int y, int flags);
    void mainMenuHidden();   // however it was closed

public slots:
    void mainMenuEnable();
    void mainMenuDisable();

protected:
    void hideEvent(QHideEvent *event) override;
    void menuTip(const QString &text, int x, int y, int flags) override;
};
