#pragma once
// The factory temperature calibration page: three set points per gain range,
// reset, recalibration, the gain switch and the remove-cover calibration.
// Every button also reaches the acquisition thread (connected by the main
// window), which carries out the module's part between frames and reports
// the end with SignalCalibrationFinish() -> hideCalTips().
#include "core/menuwindow.h"
#include "calibration/caltables.h"
#include "ui_caltempsubmenu.h"

class CalTempSubMenu : public Screen<Ui::CalTempSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit CalTempSubMenu(QMainWindow *parent = nullptr);
    // Waits for a remove-cover reset still on its way to the module.
    ~CalTempSubMenu() override;

    // A manual shutter correction may be asked for (at most one per 3 s).
    bool shutterReady = true;
    // No gain switch is settling; the keys treat a clear flag as busy.
    bool gainSwitchIdle = true;

    static constexpr int kShutterPauseMs = 3000;
    static constexpr int kRelabelMs = 3000;      // save and switch: relabel after the switch
    static constexpr int kSwitchTipMs = 5000;    // "Cal Save, Switch Gain..." shown
    static constexpr int kRefusalTipMs = 3000;   // a step that failed or cannot run

    // The label of a point (0 low, 1 middle, 2 high) and of key number n (1..6).
    QLabel *pointLabel(int n) const;

signals:
    void closeThermalCamera(int mode);
    void setEmissivityForCal();
    void setEmissivityDefault();
    // The remove-cover reset request has ended (a board::UsbControlResult);
    // emitted from the thread that waited for the module.
    void removeCoverResetDone(int result);

public slots:
    void calTempSubMenuEnable();
    void updateCalTempSubMenu();
    void showCalTips();
    void hideCalTips();
    // Point recording: the live centre reading of the current gain's point.
    void cmd_TPD_CAL_HIGH_TEMP();
    void cmd_TPD_CAL_MID_TEMP();
    void cmd_TPD_CAL_LOW_TEMP();
    void cmd_TPD_TEMP_CAL_RESET();
    void newRecal();
    void saveCalAndSwitchGain();
    void cmd_RMVC_CAL();
    void cmd_RMVC_RESET();
    // Clears the shutter-ready flag and sets it again 3 s later.
    void cmd_KBC_B_CAL();
    void cmd_KBC_B_CAL_Enable();
    // The acquisition loop saw the page open: the module's picture without AGC.
    void cmd_AGC_BYPASS_enable();

private slots:
    void removeCoverResetFinished(int result);

protected:
    void retranslate() override;

private:
    void recordPoint(caltables::Point p, const QString &word);
    void showTip(const QString &text);
    // A tip that says why something did not happen: it stays a while, also
    // past the loop's report.
    void keepTip(const QString &text);
    void showPointValues();
    void labelPointButtons(int gain);
    void followGainInUse();
    QTimer *m_tipTimer = nullptr;
    bool m_tipKept = false;
    // The remove-cover reset request (up to 100 s) waits on this thread.
    QThread *m_removeCoverReset = nullptr;
};
