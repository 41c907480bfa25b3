#pragma once
#include <QMainWindow>

#include "ui_bootprogressmenu.h"

class QTimer;

// The boot splash: the logo with a progress bar that counts up on its own
// every 50 ms and can be pushed by the main window.
class BootProgressMenu : public QMainWindow, public Ui::BootProgressMenu {
    Q_OBJECT
public:
    explicit BootProgressMenu(QWidget *parent = nullptr);
    int progress() const { return m_percent; }
    bool counting() const;

public slots:
    void updateProgressValue(int value);
    void updateProgressbar();

private:
    QTimer *m_timer = nullptr;
    int m_percent = 0;
};
