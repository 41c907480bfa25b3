#pragma once
// The main window: the live view and the owner and wiring hub of every menu,
// timer and worker thread. Its members live with the subsystem they belong to
// (norvik7.cpp holds construction, start-up and shutdown; the key dispatcher,
// power, live view, capture and Wi-Fi slots sit in their own folders).

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QString>

#include <array>
#include <cstdint>

#include "app/bootreveal.h"
#include "app/keyrecords.h"
#include "app/menustack.h"
#include "liveview/composition.h"
#include "liveview/temperature.h"
#include "ui_norvik7.h"

class QFocusEvent;
class QLabel;
class QMouseEvent;
class QPushButton;

// The menu windows, each created once by the constructor.
class MainMenu;
class LiveSurface;
class AutoPowerOffSetSubMenu;
class BootSettingsMenu;
class TempSubMenu;
class ColorSubMenu;
class CursorSubMenu;
class DateTimeSetMenu;
class DeviceInformationSubMenu;
class DisplayIntensitySetSubMenu;
class AlignmentDistanceMenu;
class FactoryResetSetMenu;
class UsbConnectModeSubMenu;
class FormatSdcardSetMenu;
class LanguageSetSubMenu;
class TemperatureUnitSetMenu;
class TemperatureScaleSetMenu;
class HiLoAlertSetMenu;
class ImageModeSubMenu;
class AutoSaveSetSubMenu;
class WifiSubMenu;
class WifiOpenStatusMenu;
class SettingSubMenu;
class SystemSettingSubMenu;
class ImageListViewer;
class ImageViewer;
class ImageViewerMenu;
class ImageViewerSubMenu;
class ImageVideoSaveMenu;
class DeleteImageMenu;
class VideoPlayerMenu;
class VideoDetailInfoMenu;
class ImageDetailInfoMenu;
class CalTempSubMenu;
class CalImageSubMenu;
class UpgradeSubMenu;
class MeasurementSetMenu;
class myWidget;
class QSocketNotifier;
class QSplashScreen;
class QTimer;
class ThermalCameraThread;
class TcpServerThread;

class Norvik7 : public QMainWindow, public Ui::Norvik7 {
    Q_OBJECT
public:
    explicit Norvik7(QMainWindow *parent = nullptr);
    ~Norvik7() override;

    // How far construction got; a device that fails to open stops it early.
    enum class Built { KeyDeviceFailed, GpioFailed, Complete };
    Built built() const { return m_built; }

    bool showBootSettingsMenu = false;   // the first-boot language choice is pending
    QString ssidOfWifi;                  // the access point's name
    bool sdcardStatus = false;           // last card presence reported by the device information page

    int kbdFd = -1;
    QSocketNotifier *keyNotifier = nullptr;
    QString keyCodeText;
    int gpioFd = -1;
    int adcFd = -1;

    // Invisible click targets of the key dispatcher.
    QPushButton *saveTriggerButton = nullptr;
    QPushButton *calTempButton = nullptr;
    QPushButton *upgradeButton = nullptr;
    QPushButton *calImageButton = nullptr;

    QLabel *chargingLabel = nullptr;
    QLabel *cautionLabel = nullptr;
    QLabel *initializingLabel = nullptr;

    // The five repeating timers, in start order.
    QTimer *refreshTimer = nullptr;   // 500 ms clock and status refresh
    QTimer *cursorTimer = nullptr;    // 500 ms cursor temperatures
    QTimer *secondTimer = nullptr;    // 1 s auto power-off and board temperature
    QTimer *batteryTimer = nullptr;   // 2 s battery
    QTimer *releaseTimer = nullptr;   // 30 s processor temperature and cache release

    BootReveal bootReveal;

    // ---- key input (app/keys.cpp) ----------------------------------------------
    keys::RecordStream keyStream;   // a record cut by a read waits here for its rest
    MenuStack menuStack;            // which menu a person sees on top
    // Records handled per wake of the key notifier at most; the rest wait for the next wake.
    static constexpr int kMaxKeyRecordsPerWake = 256;

    // ---- power, battery and health (app/power.cpp) -----------------------------------
    void gpio_set_value(int fd, int line, int value);
    int gpio_get_value(int fd, int line);
    double bcReadyRead();
    // Delay between the over-temperature warning and the power-off.
    int overTemperatureGraceMs = 20000;
    QSplashScreen *lowBatterySplash = nullptr;       // the battery picture
    QSplashScreen *lowBatteryTextSplash = nullptr;   // "Low battery!" under it
    QTimer *lowBatterySplashTimer = nullptr;         // closes both 2 s after the last warning

    // ---- acquisition (app/norvik7_acquisition.cpp) ----------------------------
    ThermalCameraThread *cameraThread = nullptr;   // the acquisition thread, never stopped

    // ---- live view (app/norvik7_liveview.cpp) --------------------------------------
    QImage vlcImage;                           // the latest visible picture, as received
    composition::Composer composer;            // the picture of each image mode
    LiveSurface *liveSurface = nullptr;        // the picture and its overlays drawn as one while frames come
    temps::TemperaturePipeline tempPipeline;   // steadied temperatures of each frame
    temps::HotSpotTracker hotSpot;             // whether the hot spot moved since the last frame
    // The unit of the readouts: the checked button of the unit screen.
    temps::Unit displayUnit() const;

    // ---- connectivity (app/norvik7_connectivity.cpp) ---------------------------
    TcpServerThread *tcpServerThread = nullptr;   // the loopback temperature server, never stopped
    // Names the access point after the radio's address; leaves Wi-Fi off.
    void getLocalMachineMac();

    // ---- menus (app/norvik7_menus.cpp), in creation order ----------------------
    MainMenu *mainMenu = nullptr;
    AutoPowerOffSetSubMenu *autoPowerOffSetSubMenu = nullptr;
    BootSettingsMenu *bootSettingsMenu = nullptr;
    TempSubMenu *tempSubMenu = nullptr;
    ColorSubMenu *colorSubMenu = nullptr;
    CursorSubMenu *cursorSubMenu = nullptr;
    DateTimeSetMenu *dateTimeSetMenu = nullptr;
    DeviceInformationSubMenu *deviceInformationSubMenu = nullptr;
    DisplayIntensitySetSubMenu *displayIntensitySetSubMenu = nullptr;
    AlignmentDistanceMenu *alignmentDistanceMenu = nullptr;
    FactoryResetSetMenu *factoryResetSetMenu = nullptr;
    UsbConnectModeSubMenu *usbConnectModeSubMenu = nullptr;
    FormatSdcardSetMenu *formatSdcardSetMenu = nullptr;
    LanguageSetSubMenu *languageSetSubMenu = nullptr;
    TemperatureUnitSetMenu *temperatureUnitSetMenu = nullptr;
    TemperatureScaleSetMenu *temperatureScaleSetMenu = nullptr;
    HiLoAlertSetMenu *hiloAlertSetMenu = nullptr;
    ImageModeSubMenu *imageModeSubMenu = nullptr;
    AutoSaveSetSubMenu *autoSaveSetSubMenu = nullptr;
    WifiSubMenu *wifiSubMenu = nullptr;
    WifiOpenStatusMenu *wifiOpenStatusMenu = nullptr;
    SettingSubMenu *settingSubMenu = nullptr;
    SystemSettingSubMenu *systemSettingSubMenu = nullptr;
    ImageListViewer *imageListViewer = nullptr;
    ImageViewer *imageViewer = nullptr;
    ImageViewerMenu *imageViewerMenu = nullptr;
    ImageViewerSubMenu *imageViewerSubMenu = nullptr;   // for images
    ImageViewerSubMenu *videoViewerSubMenu = nullptr;   // for videos
    ImageVideoSaveMenu *imageVideoSaveMenu = nullptr;
    DeleteImageMenu *deleteImageMenu = nullptr;
    VideoPlayerMenu *videoPlayerMenu = nullptr;
    VideoDetailInfoMenu *videoDetailInfoMenu = nullptr;
    ImageDetailInfoMenu *imageDetailInfoMenu = nullptr;
    CalTempSubMenu *calTempSubMenu = nullptr;
    CalImageSubMenu *calImageSubMenu = nullptr;
    UpgradeSubMenu *upgradeSubMenu = nullptr;
    MeasurementSetMenu *measurementSetMenu = nullptr;
    myWidget *videoWidget = nullptr;   // video playback
    // Every menu window above, in creation order.
    QList<QWidget *> menuWindows() const;

    // Texts set by code (not by the layout) that follow the language.
    static QString cautionText();
    static QString initializingText();

    // Palette index 0..6 of the colour bar (menu order), recorded by capture.
    static int colorMap;

signals:
    void updateBootProgressValue(int value);
    void bootOkForThermalCamera();
    // key input: the temperature calibration menu opened (1) by UP with DOWN
    void updateCalTempSubMenuMode(int mode);
    // live view: on refresh frames, the measured value, high threshold and
    // emissivity for the temperature server
    void sendMaxTempToTcpserver(float measured, float highThreshold, float emissivity);
    // gallery: a video was chosen (its bare name)
    void updateVideoName(QString name);

public slots:
    void releaseMemory();

    // ---- live view (liveview/) -----------------------------------------------
    void updateThermalCameraImage(QImage thermal, QImage visible, unsigned short centre, unsigned short max,
                                  unsigned short min, unsigned short zoneMax, int frameCounter);

    // ---- alerts and colour bar (app/norvik7_alerts.cpp) -----------------------
    // On refresh frames, after the readouts: the high alert from the measured
    // value and the low alert from the frame minimum, both in Celsius.
    void evaluateAlerts(float measuredCelsius, float minimumCelsius);
    // The 500 ms timer: the colour bar follows the palette menu.
    void updateMaxMinTempColorMap();
    // Factory reset: the running fusion transparency.
    void factoryResetForNorvik7();

    // ---- live view: markers, cursors, alignment (app/norvik7_liveview.cpp) ----------
    void updateMaxMinTemp(int maxRow, int maxCol, int minRow, int minCol, int frameCounter);
    void updateZoneMaxMinTemp(int maxRow, int maxCol, int minRow, int minCol, int frameCounter);
    void displayCenterCursor();
    void displayHighLowTempCursor();
    void displayZone();
    void displayMoveCursorOne();
    void displayMoveCursorTwo();
    void displayMoveCursorThree();
    // Each moves the active cursor, whichever it is.
    void upMoveCursorOne();
    void downMoveCursorOne();
    void leftMoveCursorOne();
    void rightMoveCursorOne();
    void autoUpdateMoveCursorOneSpotTemp();
    void autoUpdateMoveCursorTwoSpotTemp();
    void autoUpdateMoveCursorThreeSpotTemp();
    void updateTempLabel();
    // The visible crop two pixels further (the image calibration's arrows) and its storing.
    void imageMoveToLeft();
    void imageMoveToRight();
    void imageMoveToUp();
    void imageMoveToDown();
    void imageMoveToSave();

    // ---- key input (app/keys.cpp) ----------------------------------------------
    void kbdReadyRead();
    void hideMainMenu();
    void setMenuTipsLabel(QString text, int x, int y, int flags);

    // ---- menus and status bar (app/norvik7_menus.cpp) ------------------------------
    void timerUpdate();
    void updateSdcardStatus(bool present);

    // ---- power, battery and health (app/power.cpp) -----------------------------------
    void usbChargeStatusCheck();
    void autoPowerOffCheck();
    float tmp112Read();
    void batteryCapacityUpdate();
    float cpuInternalTempRead();
    void resetPowerOffCount();
    void autoPowerOff();

    // ---- acquisition (app/norvik7_acquisition.cpp) -----------------------------
    // The blend's transparency, one step less or more (left and right keys).
    void decreaseTrans();
    void increaseTrans();
    // A manual shutter correction of the infrared core (the back key).
    void requestShutterCorrection();
    // The infrared module was asked to restart: "Initializing..." for 3 s.
    void resetThermalCamera();

    // ---- connectivity (app/norvik7_connectivity.cpp) ---------------------------
    void wifiSwitch();

    // ---- capture and gallery (app/norvik7_capture.cpp, app/norvik7_gallery.cpp) ----
    void isSaveImageVideo();
    void saveImage();
    void finishSaveImage();
    void updateSdcardTipStatus();
    void availableDiskIsSmall(bool small);
    void snapshotImage();
    void displayImageOrPlayVideo(QString name);

protected:
    void changeEvent(QEvent *event) override;
    // key input (app/keys.cpp)
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Construction steps, in the order they run.
    bool openKeyDevice();
    bool openGpio();
    void createMenus();   // app/norvik7_menus.cpp
    void createOverlayWidgets();
    void hideAtStart();
    void applyStoredSettings();   // app/norvik7_menus.cpp
    void readStartupFlags();
    void readCalibrationValues();
    void createTimers();
    void startThreads();                  // app/norvik7_acquisition.cpp
    void makeConnections();               // app/norvik7_menus.cpp
    void makeAcquisitionConnections();    // app/norvik7_acquisition.cpp
    void startTcpServer();                // app/norvik7_connectivity.cpp
    void makeConnectivityConnections();   // app/norvik7_connectivity.cpp
    void setupPower();                    // app/power.cpp
    void setupKeyInput();                 // app/keys.cpp
    void makeMediaConnections();          // app/norvik7_gallery.cpp
    // Capture (app/norvik7_capture.cpp).
    void closeMenusForCapture();
    bool putPanelAway();   // menus closed, the panel hidden; true when it was shown
    void showCardTip(const QString &message);
    void abandonSave();

    // Key input (app/keys.cpp): one record, then one key's rules.
    void handleKeyRecord(const keys::KeyRecord &record);
    bool dispatchKey(int code, int value);   // false for a code that is no key of the device
    void keyUp(int value);
    void keyDown(int value);
    void keyLeft(int value);
    void keyRight(int value);
    void keyOk(int value);
    void keyBack(int value);
    void keyTrigger(int value);
    void keyGallery(int value);
    void afterArrow(int value, bool forward);   // moves the focus on the menu on top
    bool closeOneLevel();                       // hideMainMenu; false when nothing closed
    bool busy() const;
    bool editingDateTime() const;
    bool clickEditedValue();   // an edited HI/LO or measurement value
    void showShutterTip();

    // Power (app/power.cpp).
    int autoPowerOffChoice() const;   // checked button of the auto power-off screen, 0..3
    void showLowBatteryWarning();
    void powerOffNow();           // line 1 low, no more frames, line 5 high, shutdown sequence
    void runShutdownSequence();   // the auto power-off screen's shutdown sequence

    // Start-up reveal: true when the frame is to be handled further.
    void revealOnFrame(int frameCounter);

    // Live view (app/norvik7_liveview.cpp).
    void setupLiveView();
    void takeSnapshots(unsigned short centre);
    void showPicture(const QImage &picture);
    void markCentreForCalibration();
    void publishReadouts(const temps::FrameTemps &t, temps::Unit unit);
    void placeReadouts();
    struct CursorWidgets {
        QLabel *cursor;
        QLabel *text;
        bool *active;
        const char *key;
    };
    CursorWidgets cursorWidgets(int n) const;
    void displayMoveCursor(int n, bool ticked);
    QString cursorText(QPoint corner) const;
    void refreshCursorText(int n);
    void moveActiveCursor(int dx, int dy, int keyState);
    void autoUpdateMoveCursorSpotTemp(int n);
    void stepTrans(int delta);
    composition::Enlarger enlarger;
    QTimer *transTipTimer = nullptr;   // hides the transparency tip

    Built m_built = Built::KeyDeviceFailed;
};
