#pragma once
// "Date and Time": the clock editor and the 12/24-hour display. The time-format
// label shows the translated "12H" or "24H"; the status bar clock follows it.
//
// RIGHT and LEFT select a field, OK starts editing it (red), UP and DOWN step
// it (by 10 on an auto-repeat), OK again writes the clock (but not after an
// edit of the display format alone).
#include "core/menuwindow.h"
#include "settings/datetimefields.h"
#include "ui_datetimesetmenu.h"

class QLabel;
class QTimer;

// The selected field, 1..7 (see datetime::Field).
extern int dateTimeLabel;

class DateTimeSetMenu : public Screen<Ui::DateTimeSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit DateTimeSetMenu(QMainWindow *parent = nullptr);

    // True while a field is being edited.
    bool editing = false;

    bool twelveHour() const { return m_fields.twelveHour; }
    void setTwelveHour(bool twelveHour);
    const datetime::Fields &fields() const { return m_fields; }
    QLabel *fieldLabel(int field) const;

    static const char *const kSelectedStyle;
    static const char *const kEditingStyle;
    static const char *const kNormalStyle;

public slots:
    void dateTimeSetMenuEnable();
    // Field selection and editing; they act only while the editor is shown.
    void changeCurrentDateTimeSetting();
    void nextToUpdateDateTimeSetting();
    void previousToUpdateDateTimeSetting();
    void upToChangeCurrentSetting();
    void downToChangeCurrentSetting();
    // Refreshes the fields from the clock, unless a field is being edited.
    void updateDateTimeSetMenu();
    // Writes the fields to the system clock and the hardware clock.
    void adjustDateTime();
    // Back to the 24-hour display.
    void factoryResetForDateTimeSetMenu();

protected:
    void retranslate() override;
    void hideEvent(QHideEvent *event) override;

private:
    void endEdit();
    void stepCurrent(int direction);
    void select(int field);
    void showFields();
    void styleFields();
    void refreshFields(bool twelveHour);
    QTimer *m_refresh = nullptr;
    datetime::Fields m_fields;
    // The clock's start of the minute the fields were taken from.
    std::time_t m_fieldsMinute = 0;
};
