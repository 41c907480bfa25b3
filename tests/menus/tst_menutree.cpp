// The menu windows of the main window: how they are built, how the menu tree
// opens, the factory-reset fan-out and the status bar refresh.
#include "app/config.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/menus/statusbar.h"
#include "app/norvik7.h"
#include "board/board.h"
#include "common/testboard.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/imagelistviewer.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "acquisition/menus/temperaturescalesetmenu.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <memory>

namespace {

struct Built {
    TestBoard board;
    std::unique_ptr<Norvik7> w;
    Built() : w(std::make_unique<Norvik7>()) {}
};

QStringList visibleMenus(const Norvik7 &w)
{
    QStringList names;
    for (QWidget *m : w.menuWindows())
        if (m->isVisible())
            names << QString::fromLatin1(m->metaObject()->className());
    return names;
}

}  // namespace

class TestMenuTree : public QObject {
    Q_OBJECT
    // One main window for the checks that only look at how it was built.
    std::unique_ptr<Built> m_built;
    Built &built()
    {
        if (!m_built)
            m_built = std::make_unique<Built>();
        return *m_built;
    }

private slots:
    void cleanupTestCase() { m_built.reset(); }

    void menusAreBuiltInOrderWithTheirLook_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<double>("opacity");
        QTest::addColumn<bool>("translucent");
        const QRect full(0, 0, 240, 320);
        const QRect bar(10, 285, 220, 32);
        struct Row {
            const char *cls;
            QRect g;
            double o;
            bool t;
        };
        const Row rows[] = {
            {"MainMenu", {7, 277, 226, 40}, 0.8, true},
            {"AutoPowerOffSetSubMenu", full, 1.0, false},
            {"BootSettingsMenu", full, 1.0, false},
            {"TempSubMenu", {7, 203, 94, 72}, 0.8, true},
            {"ColorSubMenu", {54, 115, 94, 160}, 0.8, true},
            {"CursorSubMenu", {98, 203, 94, 72}, 0.8, true},
            {"DateTimeSetMenu", full, 1.0, false},
            {"DeviceInformationSubMenu", full, 1.0, false},
            {"DisplayIntensitySetSubMenu", full, 1.0, false},
            {"AlignmentDistanceMenu", {7, 243, 180, 32}, 0.8, true},
            {"FactoryResetSetMenu", full, 1.0, false},
            {"UsbConnectModeSubMenu", full, 1.0, false},
            {"FormatSdcardSetMenu", full, 1.0, false},
            {"LanguageSetSubMenu", full, 1.0, false},
            {"TemperatureUnitSetMenu", full, 1.0, false},
            {"TemperatureScaleSetMenu", full, 1.0, false},
            {"HiLoAlertSetMenu", full, 1.0, false},
            {"ImageModeSubMenu", {92, 157, 94, 118}, 0.8, true},
            {"AutoSaveSetSubMenu", full, 1.0, false},
            {"WifiSubMenu", {92, 254, 94, 28}, 0.8, true},
            {"WifiOpenStatusMenu", {20, 80, 200, 125}, 0.8, true},
            {"SettingSubMenu", full, 1.0, false},
            {"SystemSettingSubMenu", full, 1.0, false},
            {"ImageListViewer", full, 1.0, false},
            {"ImageViewer", full, 1.0, false},   // opacity left as it is
            {"ImageViewerMenu", bar, 0.8, true},
            {"ImageViewerSubMenu", bar, 0.8, true},
            {"ImageViewerSubMenu", bar, 0.8, true},
            {"ImageVideoSaveMenu", bar, 0.8, true},
            {"DeleteImageMenu", {20, 96, 200, 140}, 0.8, true},
            {"VideoPlayerMenu", bar, 0.8, true},
            {"VideoDetailInfoMenu", full, 0.9, false},
            {"ImageDetailInfoMenu", full, 0.9, true},
            {"CalTempSubMenu", {0, 80, 240, 240}, 1.0, true},
            {"CalImageSubMenu", full, 1.0, true},
            {"UpgradeSubMenu", {20, 80, 200, 160}, 0.9, false},
            {"MeasurementSetMenu", full, 1.0, false},
        };
        int i = 0;
        for (const Row &r : rows) {
            QTest::addRow("%d %s", i, r.cls) << i << QString::fromLatin1(r.cls) << r.g << r.o << r.t;
            ++i;
        }
    }
    void menusAreBuiltInOrderWithTheirLook()
    {
        QFETCH(int, position);
        QFETCH(QString, className);
        QFETCH(QRect, geometry);
        QFETCH(double, opacity);
        QFETCH(bool, translucent);
        Built &b = built();
        QCOMPARE(b.w->built(), Norvik7::Built::Complete);
        const QList<QWidget *> menus = b.w->menuWindows();
        QCOMPARE(menus.size(), 38);
        QWidget *m = menus[position];
        QCOMPARE(QString::fromLatin1(m->metaObject()->className()), className);
        QVERIFY(m->isWindow());
        QVERIFY(!m->parent());
        QVERIFY(m->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(m->isHidden());
        QCOMPARE(m->geometry(), geometry);
        // Opacity is kept in 8 bits.
        QVERIFY2(qAbs(m->windowOpacity() - opacity) <= 1.0 / 255, qPrintable(QString::number(m->windowOpacity())));
        QCOMPARE(m->testAttribute(Qt::WA_TranslucentBackground), translucent);
    }

    void menusGoWithTheMainWindow()
    {
        TestBoard board;
        auto w = std::make_unique<Norvik7>();
        QPointer<QWidget> menu = w->settingSubMenu;
        w.reset();
        QVERIFY(menu.isNull());
    }

    // Each entry of the menu tree opens its screen above the one it is on.
    void entriesOpenTheirScreens_data()
    {
        QTest::addColumn<QString>("path");      // entry button names, from the main menu
        QTest::addColumn<QString>("opened");
        QTest::newRow("measurement") << "mainMenu.pushButton" << "TempSubMenu";
        QTest::newRow("palette") << "mainMenu.pushButton_2" << "ColorSubMenu";
        QTest::newRow("point") << "mainMenu.pushButton_3" << "CursorSubMenu";
        QTest::newRow("image mode") << "mainMenu.pushButton_4" << "ImageModeSubMenu";
        QTest::newRow("alignment") << "mainMenu.pushButton_4 imageModeSubMenu.radioButton_5" << "AlignmentDistanceMenu";
        QTest::newRow("settings") << "mainMenu.pushButton_5" << "SettingSubMenu";
        const char *settings[][2] = {{"languageButton", "LanguageSetSubMenu"},
                                     {"dateTimeButton", "DateTimeSetMenu"},
                                     {"temperatureUnitButton", "TemperatureUnitSetMenu"},
                                     {"hiloAlertButton", "HiLoAlertSetMenu"},
                                     {"temperatureScaleButton", "TemperatureScaleSetMenu"},
                                     {"displayBrightnessButton", "DisplayIntensitySetSubMenu"},
                                     {"autoPowerOffButton", "AutoPowerOffSetSubMenu"},
                                     {"usbModeButton", "UsbConnectModeSubMenu"},
                                     {"measurementsButton", "MeasurementSetMenu"},
                                     {"systemSettingsButton", "SystemSettingSubMenu"}};
        for (auto &e : settings)
            QTest::newRow(e[1]) << QStringLiteral("mainMenu.pushButton_5 settingSubMenu.%1").arg(QLatin1String(e[0]))
                                << QString::fromLatin1(e[1]);
        const char *system[][2] = {{"deviceInformationButton", "DeviceInformationSubMenu"},
                                   {"factoryResetButton", "FactoryResetSetMenu"},
                                   {"formatSdcardButton", "FormatSdcardSetMenu"},
                                   {"autoSaveButton", "AutoSaveSetSubMenu"},
                                   {"wifiButton", "WifiSubMenu"}};
        for (auto &e : system)
            QTest::newRow(e[1]) << QStringLiteral(
                                       "mainMenu.pushButton_5 settingSubMenu.systemSettingsButton systemSettingSubMenu.%1")
                                       .arg(QLatin1String(e[0]))
                                << QString::fromLatin1(e[1]);
        QTest::newRow("calibration") << "calTempButton" << "CalTempSubMenu";
        QTest::newRow("upgrade") << "upgradeButton" << "UpgradeSubMenu";
        QTest::newRow("image calibration") << "calImageButton" << "CalImageSubMenu";
    }
    void entriesOpenTheirScreens()
    {
        QFETCH(QString, path);
        QFETCH(QString, opened);
        Built b;
        QStringList expected;
        if (path.startsWith(QLatin1String("mainMenu"))) {
            b.w->mainMenu->mainMenuEnable();
            expected << "MainMenu";
        }
        const QStringList steps = path.split(QLatin1Char(' '));
        for (const QString &step : steps) {
            const QStringList parts = step.split(QLatin1Char('.'));
            QObject *owner = b.w.get();
            if (parts.size() == 2) {
                owner = nullptr;
                for (QWidget *m : b.w->menuWindows())
                    if (m->metaObject()->className() == parts[0].left(1).toUpper() + parts[0].mid(1))
                        owner = m;
                QVERIFY2(owner, qPrintable(parts[0]));
            }
            auto *button = owner->findChild<QAbstractButton *>(parts.last());
            QVERIFY2(button, qPrintable(step));
            button->click();
            const QString screen = QString::fromLatin1(button->window()->metaObject()->className());
            // (a pop-up that closes itself on its choice is no longer shown)
            if (screen != QLatin1String("Norvik7") && !expected.contains(screen) && button->window()->isVisible())
                expected << screen;
        }
        expected << opened;
        QStringList visible = visibleMenus(*b.w);
        visible.sort();
        expected.sort();
        QCOMPARE(visible, expected);
    }

    // Opening the settings list always starts on "Language".
    void settingsListOpensOnLanguage_data()
    {
        QTest::addColumn<int>("focusedBefore");
        for (int i = 0; i < 10; ++i)
            QTest::addRow("after entry %d", i) << i;
    }
    void settingsListOpensOnLanguage()
    {
        QFETCH(int, focusedBefore);
        Built b;
        SettingSubMenu *s = b.w->settingSubMenu;
        s->settingSubMenuEnable();
        s->buttons()[focusedBefore]->setFocus();
        s->hide();
        s->settingSubMenuEnable();
        QCOMPARE(s->focusWidget(), s->languageButton);
        // Opening it again while it is open leaves the focus where it is.
        s->buttons()[focusedBefore]->setFocus();
        s->settingSubMenuEnable();
        QCOMPARE(s->focusWidget(), s->buttons()[focusedBefore]);
    }

    void systemSettingsListOpensOnItsFirstEntry()
    {
        Built b;
        SystemSettingSubMenu *s = b.w->systemSettingSubMenu;
        s->systemSettingSubMenuEnable();
        s->autoSaveButton->setFocus();
        s->hide();
        s->systemSettingSubMenuEnable();
        QCOMPARE(s->focusWidget(), s->deviceInformationButton);
    }

    // Focus on a main-menu button becomes a tip centred over it; leaving hides it.
    void mainMenuFocusBecomesMenuTips_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("tip");
        const char *tips[] = {"Measurement", "Palette", "Point Temperature", "Image Mode", "Settings"};
        for (int i = 0; i < 5; ++i)
            QTest::newRow(tips[i]) << i << QString::fromLatin1(tips[i]);
    }
    void mainMenuFocusBecomesMenuTips()
    {
        QFETCH(int, button);
        QFETCH(QString, tip);
        // The shared window shows itself once its camera has delivered the boot
        // frames, and would take the activation away from this menu.
        m_built.reset();
        Built b;
        MainMenu *m = b.w->mainMenu;
        QSignalSpy tips(m, &MainMenu::mainMenuUpdateMenuTips);
        m->mainMenuEnable();
        m->activateWindow();
        QAbstractButton *other = m->buttons()[(button + 1) % 5];
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        tips.clear();
        QAbstractButton *target = m->buttons()[button];
        target->setFocus();
        QTRY_COMPARE(tips.count(), 2);
        const int centre = 7 + target->x() + target->width() / 2;
        QCOMPARE(tips.at(0).at(0).toString(), other->statusTip());
        QCOMPARE(tips.at(0).at(3).toInt(), 0);
        QCOMPARE(tips.at(1).at(0).toString(), tip);
        QCOMPARE(tips.at(1).at(1).toInt(), centre);
        QCOMPARE(tips.at(1).at(2).toInt(), 277);
        QCOMPARE(tips.at(1).at(3).toInt(), 128);
    }

    // Every pop-up reports focus on its buttons as a tip centred over the button.
    void popupTipsAreCentredOverTheButton_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("measurement") << "TempSubMenu" << QByteArray(SIGNAL(tempMenuUpdateMenuTips(QString, int, int, int)));
        QTest::newRow("palette") << "ColorSubMenu" << QByteArray(SIGNAL(colorMenuUpdateMenuTips(QString, int, int, int)));
        QTest::newRow("cursor") << "CursorSubMenu" << QByteArray(SIGNAL(cursorMenuUpdateMenuTips(QString, int, int, int)));
        QTest::newRow("image mode") << "ImageModeSubMenu"
                                    << QByteArray(SIGNAL(imageModeMenuUpdateMenuTips(QString, int, int, int)));
        QTest::newRow("alignment") << "AlignmentDistanceMenu"
                                   << QByteArray(SIGNAL(alignmentDistanceMenuUpdateMenuTips(QString, int, int, int)));
    }
    void popupTipsAreCentredOverTheButton()
    {
        QFETCH(QString, className);
        QFETCH(QByteArray, signal);
        Built b;
        MenuWindow *popup = nullptr;
        for (QWidget *m : b.w->menuWindows())
            if (className == QLatin1String(m->metaObject()->className()))
                popup = qobject_cast<MenuWindow *>(m);
        QVERIFY(popup);
        QSignalSpy tips(popup, signal.constData());
        popup->show();
        popup->activateWindow();
        const QList<QAbstractButton *> buttons = popup->buttons();
        QVERIFY(buttons.size() >= 2);
        buttons.first()->setFocus();
        QTRY_VERIFY(buttons.first()->hasFocus());
        tips.clear();
        QAbstractButton *last = buttons.last();
        last->setFocus();
        QTRY_COMPARE(tips.count(), 2);
        const QList<QVariant> in = tips.at(1);
        QCOMPARE(in.at(0).toString(), last->statusTip());
        QVERIFY(!last->statusTip().isEmpty());
        QCOMPARE(in.at(1).toInt(), popup->x() + last->mapTo(popup, QPoint()).x() + last->width() / 2);
        QCOMPARE(in.at(2).toInt(), popup->y());
        QCOMPARE(in.at(3).toInt(), 128);
        QCOMPARE(tips.at(0).at(3).toInt(), 0);
    }

    // With the first-boot language pending, the language screen comes with the
    // first live picture; picking a language stores it and brings "Next".
    void firstBootLanguageScreen()
    {
        TestBoard board;
        config::write(config::System, QStringLiteral("language"), QStringLiteral("none"));
        config::write(config::Main, QStringLiteral("language"), QStringLiteral("Chinese"));
        Norvik7 w;
        BootSettingsMenu *boot = w.bootSettingsMenu;
        for (int frame = 0; frame < 200 && w.isHidden(); ++frame)
            w.updateThermalCameraImage(QImage(), QImage(), 0, 0, 0, 0, 80);
        QVERIFY(w.isVisible());
        QVERIFY(boot->isVisible());
        QVERIFY(boot->pushButton->isHidden());
        QCOMPARE(boot->checkedIndex(), -1);
        boot->radioButton->click();
        QVERIFY(!boot->pushButton->isHidden());
        QCOMPARE(boot->pushButton->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(config::readString(config::System, QStringLiteral("language")), QStringLiteral("English"));
        // The choice also switches the language setting at once.
        QVERIFY(w.languageSetSubMenu->radioButton->isChecked());
        QCOMPARE(config::readString(config::Main, QStringLiteral("language")), QStringLiteral("English"));
        boot->pushButton->click();
        QVERIFY(boot->isHidden());
    }

    void noFirstBootScreenOnceALanguageIsStored()
    {
        TestBoard board;
        config::write(config::System, QStringLiteral("language"), QStringLiteral("English"));
        Norvik7 w;
        for (int frame = 0; frame < 200 && w.isHidden(); ++frame)
            w.updateThermalCameraImage(QImage(), QImage(), 0, 0, 0, 0, 80);
        QVERIFY(w.isVisible());
        QVERIFY(w.bootSettingsMenu->isHidden());
    }

    void factoryResetReturnsEveryMenuToItsFactoryChoice()
    {
        TestBoard board;
        for (auto kv : {std::pair{"language", "English"}, {"temp_unit", "F"}, {"display_intensity", "High"},
                        {"auto_power_off", "Off"}, {"auto_save", "Yes"}, {"temperature_scale", "low_gain"},
                        {"color", "Lava"}, {"image_mode", "pip"}, {"time_format", "12H"}})
            config::write(config::Main, QString::fromLatin1(kv.first), QString::fromLatin1(kv.second));
        Norvik7 w;
        w.cursorSubMenu->checkBox_4->setChecked(true);
        w.usbConnectModeSubMenu->radioButton_2->setChecked(true);
        QVERIFY(w.dateTimeSetMenu->twelveHour());
        emit w.factoryResetSetMenu->factoryResetForSystem();
        QVERIFY(w.languageSetSubMenu->radioButton_2->isChecked());
        QVERIFY(w.temperatureUnitSetMenu->radioButton->isChecked());
        QVERIFY(w.displayIntensitySetSubMenu->radioButton_2->isChecked());
        QVERIFY(w.autoPowerOffSetSubMenu->radioButton_3->isChecked());
        QVERIFY(w.autoSaveSetSubMenu->radioButton->isChecked());
        QCOMPARE(w.temperatureScaleSetMenu->checkedIndex(), 1);
        QVERIFY(w.colorSubMenu->radioButton->isChecked());
        QVERIFY(w.imageModeSubMenu->radioButton->isChecked());
        QVERIFY(!w.cursorSubMenu->checkBox_4->isChecked());
        QVERIFY(w.usbConnectModeSubMenu->radioButton->isChecked());
        QVERIFY(!w.dateTimeSetMenu->twelveHour());
        for (auto kv : {std::pair{"language", "Chinese"}, {"temp_unit", "C"}, {"display_intensity", "Medium"},
                        {"auto_power_off", "30Minutes"}, {"auto_save", "No"}, {"temperature_scale", "high_gain"}})
            QCOMPARE(config::readString(config::Main, QString::fromLatin1(kv.first)), QString::fromLatin1(kv.second));
    }

    // The pop-ups start on the stored choices; an empty file gains the written defaults.
    void storedChoicesAtStart()
    {
        TestBoard board(true, false);
        config::write(config::Main, QStringLiteral("color"), QStringLiteral("RedHot"));
        config::write(config::Main, QStringLiteral("image_mode"), QStringLiteral("alignment"));
        config::write(config::Main, QStringLiteral("zone"), QStringLiteral("Yes"));
        Norvik7 w;
        QVERIFY(w.colorSubMenu->radioButton_4->isChecked());
        QVERIFY(w.imageModeSubMenu->radioButton_5->isChecked());
        QVERIFY(!w.tempSubMenu->checkBox->isChecked());
        QVERIFY(w.tempSubMenu->checkBox_2->isChecked());
        QVERIFY(w.tempSubMenu->checkBox_3->isChecked());
        // The live view's marks follow the options from the start.
        QVERIFY(!w.FocusLabel->isVisibleTo(&w));
        for (QWidget *mark : {static_cast<QWidget *>(w.HighTempLabel), static_cast<QWidget *>(w.LowTempTextLabel),
                              static_cast<QWidget *>(w.Zone), static_cast<QWidget *>(w.ZoneHighTempLabel)})
            QVERIFY2(mark->isVisibleTo(&w), qPrintable(mark->objectName()));
        for (auto kv : {std::pair{"center_focus", "No"}, {"hilo_focus", "Yes"}, {"zone", "Yes"}, {"temp_unit", "C"},
                        {"language", "Chinese"}, {"time_format", "24H"}, {"display_intensity", "Medium"},
                        {"auto_power_off", "30Minutes"}, {"auto_save", "No"}, {"factory_reset", "No"},
                        {"format_sdcard", "No"}, {"temperature_scale", "high_gain"}})
            QCOMPARE(config::readString(config::Main, QString::fromLatin1(kv.first)), QString::fromLatin1(kv.second));
        QVERIFY(!w.wifiSubMenu->radioButton->isChecked());
        QVERIFY(board.commands().contains(QStringLiteral("/etc/rc.d/wifisetting.sh")));
    }

    // Installing or removing the translator re-translates every screen,
    // including the texts a screen sets itself.
    void retranslationFollowsTheTranslator()
    {
        Built b;
        b.w->dateTimeSetMenu->setTwelveHour(true);
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(":/qm/qm/ChineseSimplified.qm")));
        QCoreApplication::installTranslator(&chinese);
        QTRY_COMPARE(b.w->settingSubMenu->languageButton->text(), QStringLiteral("语言"));
        QTRY_COMPARE(b.w->autoPowerOffSetSubMenu->radioButton_4->text(), QStringLiteral("关闭"));
        QTRY_COMPARE(b.w->deleteImageMenu->pushButton->text(), QStringLiteral("是"));
        QTRY_COMPARE(b.w->mainMenu->pushButton_5->statusTip(), QStringLiteral("设置"));
        QTRY_COMPARE(b.w->dateTimeSetMenu->TimeFormatLabel->text(), QStringLiteral("12小时"));
        // The clock still reads the 12-hour format from the translated label.
        b.w->timerUpdate();
        QVERIFY2(b.w->TimeLabel->text().endsWith(QLatin1String("M")), qPrintable(b.w->TimeLabel->text()));
        QCoreApplication::removeTranslator(&chinese);
        QTRY_COMPARE(b.w->settingSubMenu->languageButton->text(), QStringLiteral("Language"));
        QTRY_COMPARE(b.w->dateTimeSetMenu->TimeFormatLabel->text(), QStringLiteral("12H"));
        QVERIFY(b.w->dateTimeSetMenu->AmPmLabel->isVisibleTo(b.w->dateTimeSetMenu));
    }

    void statusClock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("twelveHour");
        QTest::addColumn<QString>("shown");
        QTest::newRow("midnight 24H") << QTime(0, 5) << false << "00:05";
        QTest::newRow("midnight 12H") << QTime(0, 5) << true << "12:05 AM";
        QTest::newRow("morning 12H") << QTime(9, 30) << true << "09:30 AM";
        QTest::newRow("noon 12H") << QTime(12, 0) << true << "12:00 PM";
        QTest::newRow("noon 24H") << QTime(12, 0) << false << "12:00";
        QTest::newRow("afternoon 12H") << QTime(13, 45) << true << "01:45 PM";
        QTest::newRow("late 12H") << QTime(23, 59) << true << "11:59 PM";
        QTest::newRow("late 24H") << QTime(23, 59) << false << "23:59";
    }
    void statusClock()
    {
        QFETCH(QTime, time);
        QFETCH(bool, twelveHour);
        QFETCH(QString, shown);
        QCOMPARE(statusTimeText(time, twelveHour), shown);
    }

    // The refresh follows the board's clock and the editor's time-format label.
    void timerUpdateShowsTheBoardClock_data()
    {
        QTest::addColumn<QString>("storedFormat");
        QTest::addColumn<QString>("time");
        QTest::newRow("24H") << "24H" << "15:07";
        QTest::newRow("12H") << "12H" << "03:07 PM";
        QTest::newRow("unknown") << "13H" << "15:07";
    }
    void timerUpdateShowsTheBoardClock()
    {
        QFETCH(QString, storedFormat);
        QFETCH(QString, time);
        TestBoard board;
        config::write(config::Main, QStringLiteral("time_format"), storedFormat);
        QVERIFY(board::setClock(QDateTime(QDate(2031, 2, 3), QTime(15, 7, 10)).toSecsSinceEpoch()));
        Norvik7 w;
        w.timerUpdate();
        QCOMPARE(w.DateLabel->text(), QStringLiteral("2031/02/03"));
        QCOMPARE(w.TimeLabel->text(), time);
        // Switching the editor's format changes the clock at the next refresh.
        w.dateTimeSetMenu->setTwelveHour(!w.dateTimeSetMenu->twelveHour());
        w.timerUpdate();
        QCOMPARE(w.TimeLabel->text(), statusTimeText(QTime(15, 7), w.dateTimeSetMenu->twelveHour()));
    }

    void galleryBottomBars_data()
    {
        QTest::addColumn<QString>("visible");   // the gallery windows shown
        QTest::addColumn<int>("player");         // -1 untouched, 0 hidden, 1 shown
        QTest::addColumn<int>("nameBar");
        QTest::newRow("live view") << "" << -1 << -1;
        QTest::newRow("video playing") << "video" << 1 << -1;
        QTest::newRow("video, delete question") << "video delete" << 0 << -1;
        QTest::newRow("video, details") << "video videoDetails" << 0 << -1;
        QTest::newRow("video, action bar") << "video videoBar delete" << -1 << -1;
        QTest::newRow("video over an image") << "video viewer delete" << 0 << -1;
        QTest::newRow("image shown") << "viewer" << -1 << 1;
        QTest::newRow("image, delete question") << "viewer delete" << -1 << 0;
        QTest::newRow("image, details") << "viewer imageDetails" << -1 << 0;
        QTest::newRow("image, video details only") << "viewer videoDetails" << -1 << 1;
        QTest::newRow("image, action bar") << "viewer imageBar imageDetails" << -1 << -1;
        QTest::newRow("no viewer") << "delete imageDetails" << -1 << -1;
    }
    void galleryBottomBars()
    {
        QFETCH(QString, visible);
        QFETCH(int, player);
        QFETCH(int, nameBar);
        const QStringList v = visible.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        GalleryWindows w;
        w.videoWidget = v.contains("video");
        w.videoActionBar = v.contains("videoBar");
        w.imageViewer = v.contains("viewer");
        w.imageActionBar = v.contains("imageBar");
        w.deleteQuestion = v.contains("delete");
        w.videoDetails = v.contains("videoDetails");
        w.imageDetails = v.contains("imageDetails");
        const GalleryBars bars = ::galleryBottomBars(w);
        QCOMPARE(bars.videoPlayerBar ? int(*bars.videoPlayerBar) : -1, player);
        QCOMPARE(bars.imageNameBar ? int(*bars.imageNameBar) : -1, nameBar);
    }

    void cardRemovedWhileTheGalleryIsOpen_data()
    {
        QTest::addColumn<bool>("galleryOpen");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("galleryAfter");
        QTest::newRow("gallery, card gone") << true << false << false;
        QTest::newRow("gallery, card there") << true << true << true;
        QTest::newRow("live view, card gone") << false << false << false;
    }
    void cardRemovedWhileTheGalleryIsOpen()
    {
        QFETCH(bool, galleryOpen);
        QFETCH(bool, present);
        QFETCH(bool, galleryAfter);
        Built b;
        if (galleryOpen)
            b.w->imageListViewer->imageListViewerEnable();
        emit b.w->deviceInformationSubMenu->updateSdcardStatus(present);
        QCOMPARE(sdcardStatus, present);
        QCOMPARE(b.w->imageListViewer->isVisible(), galleryAfter);
        QVERIFY(b.w->mainMenu->isHidden());
    }
};

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
