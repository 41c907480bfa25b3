// The main window's menus: creation, stored settings, navigation connections
// and the status bar refresh.
#include "app/norvik7.h"

#include "liveview/menus/alignmentdistancemenu.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "core/config.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/menus/statusbar.h"
#include "board/board.h"
#include "calibration/menus/calimagesubmenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/livemenus.h"
#include "liveview/viewstate.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/imageviewersubmenu.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/menus/videoplayermenu.h"
#include "media/menus/videowidget.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/formatsdcardsetmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QPushButton>

namespace {

const QRect kFullScreen(0, 0, 240, 320);
constexpr qreal kOpacityNotSet = -1.0;
constexpr bool kTranslucent = true;
constexpr bool kOpaque = false;

// A menu window: no parent, frameless, at its place and opacity, hidden. It
// lives as long as the main window.
template <class M>
M *createMenu(QObject *owner, const QRect &geometry, qreal opacity, bool translucent)
{
    auto *m = new M(nullptr);
    m->setWindowFlags(m->windowFlags() | Qt::FramelessWindowHint);
    if (opacity != kOpacityNotSet)
        m->setWindowOpacity(opacity);
    if (!geometry.isNull())
        m->setGeometry(geometry);
    if (translucent)
        m->setAttribute(Qt::WA_TranslucentBackground);
    m->hide();
    QObject::connect(owner, &QObject::destroyed, m, [m] { delete m; });
    return m;
}

// Checks the button of a stored one-of-N choice; returns its index.
int checkStoredChoice(const QList<QAbstractButton *> &buttons, const char *key)
{
    const int index = config::readChoice(*config::choice(QString::fromLatin1(key)));
    if (index >= 0 && index < buttons.size())
        buttons[index]->setChecked(true);
    return index;
}

}   // namespace

void Norvik7::createMenus()
{
    mainMenu = createMenu<MainMenu>(this, {7, 277, 226, 40}, 0.8, kTranslucent);
    autoPowerOffSetSubMenu = createMenu<AutoPowerOffSetSubMenu>(this, kFullScreen, 1.0, kOpaque);
    bootSettingsMenu = createMenu<BootSettingsMenu>(this, kFullScreen, 1.0, kOpaque);
    tempSubMenu = createMenu<TempSubMenu>(this, {7, 203, 94, 72}, 0.8, kTranslucent);
    colorSubMenu = createMenu<ColorSubMenu>(this, {54, 115, 94, 160}, 0.8, kTranslucent);
    cursorSubMenu = createMenu<CursorSubMenu>(this, {98, 203, 94, 72}, 0.8, kTranslucent);
    dateTimeSetMenu = createMenu<DateTimeSetMenu>(this, kFullScreen, 1.0, kOpaque);
    deviceInformationSubMenu = createMenu<DeviceInformationSubMenu>(this, kFullScreen, 1.0, kOpaque);
    displayIntensitySetSubMenu = createMenu<DisplayIntensitySetSubMenu>(this, kFullScreen, 1.0, kOpaque);
    alignmentDistanceMenu = createMenu<AlignmentDistanceMenu>(this, {7, 243, 180, 32}, 0.8, kTranslucent);
    factoryResetSetMenu = createMenu<FactoryResetSetMenu>(this, kFullScreen, 1.0, kOpaque);
    usbConnectModeSubMenu = createMenu<UsbConnectModeSubMenu>(this, kFullScreen, 1.0, kOpaque);
    formatSdcardSetMenu = createMenu<FormatSdcardSetMenu>(this, kFullScreen, 1.0, kOpaque);
    languageSetSubMenu = createMenu<LanguageSetSubMenu>(this, kFullScreen, 1.0, kOpaque);
    temperatureUnitSetMenu = createMenu<TemperatureUnitSetMenu>(this, kFullScreen, 1.0, kOpaque);
    temperatureScaleSetMenu = createMenu<TemperatureScaleSetMenu>(this, kFullScreen, 1.0, kOpaque);
    hiloAlertSetMenu = createMenu<HiLoAlertSetMenu>(this, kFullScreen, 1.0, kOpaque);
    imageModeSubMenu = createMenu<ImageModeSubMenu>(this, {92, 157, 94, 118}, 0.8, kTranslucent);
    autoSaveSetSubMenu = createMenu<AutoSaveSetSubMenu>(this, kFullScreen, 1.0, kOpaque);
    wifiSubMenu = createMenu<WifiSubMenu>(this, {92, 254, 94, 28}, 0.8, kTranslucent);
    wifiOpenStatusMenu = createMenu<WifiOpenStatusMenu>(this, {20, 80, 200, 125}, 0.8, kTranslucent);
    settingSubMenu = createMenu<SettingSubMenu>(this, kFullScreen, 1.0, kOpaque);
    systemSettingSubMenu = createMenu<SystemSettingSubMenu>(this, kFullScreen, 1.0, kOpaque);
    imageListViewer = createMenu<ImageListViewer>(this, kFullScreen, 1.0, kOpaque);
    imageViewer = createMenu<ImageViewer>(this, kFullScreen, kOpacityNotSet, kOpaque);
    imageViewerMenu = createMenu<ImageViewerMenu>(this, {10, 285, 220, 32}, 0.8, kTranslucent);
    imageViewerSubMenu = createMenu<ImageViewerSubMenu>(this, {10, 285, 220, 32}, 0.8, kTranslucent);
    videoViewerSubMenu = createMenu<ImageViewerSubMenu>(this, {10, 285, 220, 32}, 0.8, kTranslucent);
    imageVideoSaveMenu = createMenu<ImageVideoSaveMenu>(this, {10, 285, 220, 32}, 0.8, kTranslucent);
    deleteImageMenu = createMenu<DeleteImageMenu>(this, {20, 96, 200, 140}, 0.8, kTranslucent);
    videoPlayerMenu = createMenu<VideoPlayerMenu>(this, {10, 285, 220, 32}, 0.8, kTranslucent);
    videoDetailInfoMenu = createMenu<VideoDetailInfoMenu>(this, kFullScreen, 0.9, kOpaque);
    imageDetailInfoMenu = createMenu<ImageDetailInfoMenu>(this, kFullScreen, 0.9, kTranslucent);
    calTempSubMenu = createMenu<CalTempSubMenu>(this, {0, 80, 240, 240}, 1.0, kTranslucent);
    calImageSubMenu = createMenu<CalImageSubMenu>(this, kFullScreen, 1.0, kTranslucent);
    upgradeSubMenu = createMenu<UpgradeSubMenu>(this, {20, 80, 200, 160}, 0.9, kOpaque);
    measurementSetMenu = createMenu<MeasurementSetMenu>(this, kFullScreen, 1.0, kOpaque);
    videoWidget = createMenu<myWidget>(this, QRect(), kOpacityNotSet, kOpaque);
}

QList<QWidget *> Norvik7::menuWindows() const
{
    return {mainMenu,
            autoPowerOffSetSubMenu,
            bootSettingsMenu,
            tempSubMenu,
            colorSubMenu,
            cursorSubMenu,
            dateTimeSetMenu,
            deviceInformationSubMenu,
            displayIntensitySetSubMenu,
            alignmentDistanceMenu,
            factoryResetSetMenu,
            usbConnectModeSubMenu,
            formatSdcardSetMenu,
            languageSetSubMenu,
            temperatureUnitSetMenu,
            temperatureScaleSetMenu,
            hiloAlertSetMenu,
            imageModeSubMenu,
            autoSaveSetSubMenu,
            wifiSubMenu,
            wifiOpenStatusMenu,
            settingSubMenu,
            systemSettingSubMenu,
            imageListViewer,
            imageViewer,
            imageViewerMenu,
            imageViewerSubMenu,
            videoViewerSubMenu,
            imageVideoSaveMenu,
            deleteImageMenu,
            videoPlayerMenu,
            videoDetailInfoMenu,
            imageDetailInfoMenu,
            calTempSubMenu,
            calImageSubMenu,
            upgradeSubMenu,
            measurementSetMenu,
            videoWidget};
}

void Norvik7::applyStoredSettings()
{
    // The settings screens read their own keys when they are built; the
    // pop-ups of the main menu bar get theirs here.
    checkStoredChoice(colorSubMenu->buttons(), "color");
    const int mode = checkStoredChoice(imageModeSubMenu->buttons(), "image_mode");
    if (mode >= 0 && mode < 5)
        acqState.image_mode.store(ImageModeSubMenu::modeOfButton(mode));
    const QList<QAbstractButton *> boxes = tempSubMenu->buttons();
    const char *const boxKeys[] = {"center_focus", "hilo_focus", "zone"};
    for (int i = 0; i < 3; ++i)
        boxes[i]->setChecked(config::readChoice(*config::choice(QString::fromLatin1(boxKeys[i]))) == 0);
    // The marks of the live view follow the three options.
    const QList<QList<QWidget *>> marks = {
        {FocusLabel},
        {HighTempLabel, LowTempLabel, HighTempTextLabel, LowTempTextLabel},
        {ZoneHighTempLabel, ZoneHighTempTextLabel, Zone},
    };
    for (int i = 0; i < 3; ++i)
        for (QWidget *w : marks[i])
            w->setVisible(boxes[i]->isChecked());

    // The Wi-Fi always starts switched off.
    WifiStatusLabel->hide();
    wifiSubMenu->radioButton->setChecked(false);
    board::run(QStringLiteral("/etc/rc.d/wifisetting.sh"));
}

void Norvik7::makeConnections()
{
    makeMediaConnections();
    // A button whose click opens a screen.
    auto opens = [](QAbstractButton *button, auto *screen, auto enable) {
        connect(button, &QAbstractButton::clicked, screen, enable);
    };

    // Main menu bar: its pop-ups and the settings list.
    opens(mainMenu->pushButton, tempSubMenu, &TempSubMenu::tempSubMenuEnable);
    opens(mainMenu->pushButton_2, colorSubMenu, &ColorSubMenu::colorSubMenuEnable);
    opens(mainMenu->pushButton_3, cursorSubMenu, &CursorSubMenu::cursorSubMenuEnable);
    opens(mainMenu->pushButton_4, imageModeSubMenu, &ImageModeSubMenu::imageModeSubMenuEnable);
    opens(mainMenu->pushButton_5, settingSubMenu, &SettingSubMenu::settingSubMenuEnable);
    opens(imageModeSubMenu->radioButton_5, alignmentDistanceMenu, &AlignmentDistanceMenu::alignmentDistanceMenuEnable);

    // The settings tree.
    const SettingSubMenu *s = settingSubMenu;
    opens(s->languageButton, languageSetSubMenu, &LanguageSetSubMenu::languageSetSubMenuEnable);
    opens(s->dateTimeButton, dateTimeSetMenu, &DateTimeSetMenu::dateTimeSetMenuEnable);
    opens(s->temperatureUnitButton, temperatureUnitSetMenu, &TemperatureUnitSetMenu::temperatureUnitSetMenuEnable);
    opens(s->hiloAlertButton, hiloAlertSetMenu, &HiLoAlertSetMenu::hiloAlertSetMenuEnable);
    opens(s->temperatureScaleButton, temperatureScaleSetMenu, &TemperatureScaleSetMenu::temperatureScaleSetMenuEnable);
    opens(s->displayBrightnessButton, displayIntensitySetSubMenu,
          &DisplayIntensitySetSubMenu::displayIntensitySetSubMenuEnable);
    opens(s->autoPowerOffButton, autoPowerOffSetSubMenu, &AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuEnable);
    opens(s->usbModeButton, usbConnectModeSubMenu, &UsbConnectModeSubMenu::usbConnectModeSubMenuEnable);
    opens(s->measurementsButton, measurementSetMenu, &MeasurementSetMenu::measurementSetMenuEnable);
    opens(s->systemSettingsButton, systemSettingSubMenu, &SystemSettingSubMenu::systemSettingSubMenuEnable);
    const SystemSettingSubMenu *y = systemSettingSubMenu;
    opens(y->deviceInformationButton, deviceInformationSubMenu,
          &DeviceInformationSubMenu::deviceInformationSubMenuEnable);
    opens(y->factoryResetButton, factoryResetSetMenu, &FactoryResetSetMenu::factoryResetSetMenuEnable);
    opens(y->formatSdcardButton, formatSdcardSetMenu, &FormatSdcardSetMenu::formatSdcardSetMenuEnable);
    opens(y->autoSaveButton, autoSaveSetSubMenu, &AutoSaveSetSubMenu::autoSaveSetSubMenuEnable);
    opens(y->wifiButton, wifiSubMenu, &WifiSubMenu::wifiSubMenuEnable);

    // Screens reached by keys through the invisible buttons.
    opens(calTempButton, calTempSubMenu, &CalTempSubMenu::calTempSubMenuEnable);
    opens(upgradeButton, upgradeSubMenu, &UpgradeSubMenu::upgradeSubMenuEnable);
    opens(calImageButton, calImageSubMenu, &CalImageSubMenu::calImageSubMenuEnable);
    // The alignment page's Save stores the offsets (its own tip is the page's).
    connect(calImageSubMenu->pushButton, &QPushButton::clicked, this, &Norvik7::imageMoveToSave);

    // The gallery's action bars.
    opens(imageViewerSubMenu->pushButton_2, imageDetailInfoMenu, &ImageDetailInfoMenu::imageDetailInfoMenuEnable);
    opens(videoViewerSubMenu->pushButton_2, videoDetailInfoMenu, &VideoDetailInfoMenu::videoDetailInfoMenuEnable);
    for (ImageViewerSubMenu *bar : {imageViewerSubMenu, videoViewerSubMenu})
        opens(bar->pushButton, deleteImageMenu, &DeleteImageMenu::deleteImageMenuEnable);

    // A first-boot language choice switches the language at once.
    connect(bootSettingsMenu->radioButton, &QRadioButton::clicked, languageSetSubMenu,
            &LanguageSetSubMenu::languageSetSubMenuUpdateRbtn1);
    connect(bootSettingsMenu->radioButton_2, &QRadioButton::clicked, languageSetSubMenu,
            &LanguageSetSubMenu::languageSetSubMenuUpdateRbtn2);

    connect(deviceInformationSubMenu, &DeviceInformationSubMenu::updateSdcardStatus, this,
            &Norvik7::updateSdcardStatus);

    // The factory reset returns every menu to its factory choice, in this order.
    auto onFactoryReset = [this](auto *menu, auto slot) {
        connect(factoryResetSetMenu, &FactoryResetSetMenu::factoryResetForSystem, menu, slot);
    };
    onFactoryReset(languageSetSubMenu, &LanguageSetSubMenu::factoryResetForLanguageSet);
    onFactoryReset(tempSubMenu, &TempSubMenu::factoryResetForTempSubMenu);
    onFactoryReset(colorSubMenu, &ColorSubMenu::factoryResetForColorSubMenu);
    onFactoryReset(cursorSubMenu, &CursorSubMenu::factoryResetForCursorSubMenu);
    onFactoryReset(imageModeSubMenu, &ImageModeSubMenu::factoryResetForImageModeSubMenu);
    onFactoryReset(dateTimeSetMenu, &DateTimeSetMenu::factoryResetForDateTimeSetMenu);
    onFactoryReset(temperatureUnitSetMenu, &TemperatureUnitSetMenu::factoryResetForTemperatureUnitSetMenu);
    onFactoryReset(hiloAlertSetMenu, &HiLoAlertSetMenu::factoryResetForHiLoAlertSetMenu);
    onFactoryReset(measurementSetMenu, &MeasurementSetMenu::factoryResetForMeasurementSetMenu);
    onFactoryReset(displayIntensitySetSubMenu, &DisplayIntensitySetSubMenu::factoryResetForDisplayIntensitySetSubMenu);
    onFactoryReset(autoPowerOffSetSubMenu, &AutoPowerOffSetSubMenu::factoryResetForAutoPowerOffSetSubMenu);
    onFactoryReset(usbConnectModeSubMenu, &UsbConnectModeSubMenu::factotyResetForUsbConnectModeSubMenu);
    onFactoryReset(autoSaveSetSubMenu, &AutoSaveSetSubMenu::factoryResetForAutoSaveSetSubMenu);
    onFactoryReset(temperatureScaleSetMenu, &TemperatureScaleSetMenu::factoryResetForTemperatureScaleSetMenu);
    onFactoryReset(this, &Norvik7::factoryResetForNorvik7);

    connectLiveMenus(this);
}

void Norvik7::timerUpdate()
{
    const QDateTime now = board::now();
    DateLabel->setText(statusDateText(now.date()));
    const bool twelveHour = dateTimeSetMenu->TimeFormatLabel->text() == DateTimeSetMenu::tr("12H");
    TimeLabel->setText(statusTimeText(now.time(), twelveHour));

    GalleryWindows w;
    w.videoWidget = videoWidget->isVisible();
    w.videoActionBar = videoViewerSubMenu->isVisible();
    w.imageViewer = imageViewer->isVisible();
    w.imageActionBar = imageViewerSubMenu->isVisible();
    w.deleteQuestion = deleteImageMenu->isVisible();
    w.videoDetails = videoDetailInfoMenu->isVisible();
    w.imageDetails = imageDetailInfoMenu->isVisible();
    const GalleryBars bars = galleryBottomBars(w);
    if (bars.videoPlayerBar)
        videoPlayerMenu->setVisible(*bars.videoPlayerBar);
    if (bars.imageNameBar)
        imageViewerMenu->setVisible(*bars.imageNameBar);
}

void Norvik7::updateSdcardStatus(bool present)
{
    sdcardStatus = present;
    // Without a card the gallery has nothing to show: back one level.
    if (!present && imageListViewer->isVisible())
        hideMainMenu();
}
