#pragma once
// "Date and Time": the clock editor and the 12/24-hour display. The time-format
// label shows the translated "12H" or "24H"; the status bar clock follows it.
#include "app/menus/menuwindow.h"
#include "ui_datetimesetmenu.h"

extern bool dateTimeSetMenuEnabled;

class DateTimeSetMenu : public Screen<Ui::DateTimeSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit DateTimeSetMenu(QMainWindow *parent = nullptr);

    // True while a field is being edited.
    bool editing = false;

    bool twelveHour() const { return m_twelveHour; }
    void setTwelveHour(bool twelveHour);

public slots:
    void dateTimeSetMenuEnable();
    // Field selection and editing; they act only while the editor is shown.
    void changeCurrentDateTimeSetting();
    void nextToUpdateDateTimeSetting();
    void previousToUpdateDateTimeSetting();
    void upToChangeCurrentSetting();
    void downToChangeCurrentSetting();
    // Back to the 24-hour display.
    void factoryResetForDateTimeSetMenu();

protected:
    void retranslate() override;

private:
    void showTimeFormat();
    bool m_twelveHour = false;
};
