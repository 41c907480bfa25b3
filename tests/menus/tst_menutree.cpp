// The menu windows of the main window: how they are built, how the menu tree
// opens, the factory-reset fan-out and the status bar refresh.
#include "core/config.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/menus/statusbar.h"
#include "app/norvik7.h"
#include "board/board.h"
#include "common/livedevice.h"
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

class TestMenuTree : public QObject {
    Q_OBJECT
private slots:
    // The menus are frameless top-level windows, hidden until opened, and go
    // with the main window.
    void menusAreHiddenWindowsOwnedByTheMainWindow()
    {
        auto b = std::make_unique<LiveDevice>();
        QCOMPARE(b->w->built(), Norvik7::Built::Complete);
        const QList<QWidget *> menus = b->w->menuWindows();
        QCOMPARE(menus.size(), 38);
        for (QWidget *m : menus) {
            QVERIFY2(m->isWindow() && !m->parent() && m->isHidden(), m->metaObject()->className());
            QVERIFY(m->windowFlags() & Qt::FramelessWindowHint);
        }
        QPointer<QWidget> menu = b->w->settingSubMenu;
        b.reset();
        QVERIFY(menu.isNull());
    }

    // Focus on a button of the main menu or a pop-up becomes a tip centred over
    // the button, just above the window; the button left hides its tip.
    void focusBecomesACentredTip_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QString>("tip");   // of the last button; empty: any text
        QTest::newRow("main menu") << "MainMenu" << QByteArray(SIGNAL(mainMenuUpdateMenuTips(QString, int, int, int)))
                                   << "Settings";
        QTest::newRow("measurement") << "TempSubMenu"
                                     << QByteArray(SIGNAL(tempMenuUpdateMenuTips(QString, int, int, int))) << QString();
        QTest::newRow("palette") << "ColorSubMenu"
                                 << QByteArray(SIGNAL(colorMenuUpdateMenuTips(QString, int, int, int))) << QString();
        QTest::newRow("cursor") << "CursorSubMenu"
                                << QByteArray(SIGNAL(cursorMenuUpdateMenuTips(QString, int, int, int))) << QString();
        QTest::newRow("image mode") << "ImageModeSubMenu"
                                    << QByteArray(SIGNAL(imageModeMenuUpdateMenuTips(QString, int, int, int)))
                                    << QString();
        QTest::newRow("alignment") << "AlignmentDistanceMenu"
                                   << QByteArray(SIGNAL(alignmentDistanceMenuUpdateMenuTips(QString, int, int, int)))
                                   << QString();
    }
    void focusBecomesACentredTip()
    {
        QFETCH(QString, className);
        QFETCH(QByteArray, signal);
        QFETCH(QString, tip);
        LiveDevice b;
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
        QCOMPARE(tips.at(0).at(3).toInt(), 0);
        const QList<QVariant> in = tips.at(1);
        QCOMPARE(in.at(0).toString(), last->statusTip());
        QVERIFY(!last->statusTip().isEmpty());
        if (!tip.isEmpty())
            QCOMPARE(in.at(0).toString(), tip);
        QCOMPARE(in.at(1).toInt(), popup->x() + last->mapTo(popup, QPoint()).x() + last->width() / 2);
        QCOMPARE(in.at(2).toInt(), popup->y());
        QCOMPARE(in.at(3).toInt(), 128);
    }

    // With the first-boot language pending, the language screen comes with the
    // first live picture; picking a language stores it and brings "Next".
    // Once a language is stored, no such screen.
    void firstBootLanguageScreen_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("pending") << "none";
        QTest::newRow("stored") << "English";
    }
    void firstBootLanguageScreen()
    {
        QFETCH(QString, stored);
        TestBoard board;
        config::write(config::System, QStringLiteral("language"), stored);
        config::write(config::Main, QStringLiteral("language"), QStringLiteral("Chinese"));
        Norvik7 w;
        BootSettingsMenu *boot = w.bootSettingsMenu;
        for (int frame = 0; frame < 200 && w.isHidden(); ++frame)
            w.updateThermalCameraImage(QImage(), QImage(), 0, 0, 0, 0, 80);
        QVERIFY(w.isVisible());
        QCOMPARE(boot->isVisible(), stored == QLatin1String("none"));
        if (!boot->isVisible())
            return;
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

    void factoryResetReturnsEveryMenuToItsFactoryChoice()
    {
        TestBoard board;
        for (const QString &kv :
             QStringLiteral("language=English temp_unit=F display_intensity=High auto_power_off=Off auto_save=Yes "
                            "temperature_scale=low_gain color=Lava image_mode=pip time_format=12H")
                 .split(QLatin1Char(' ')))
            config::write(config::Main, kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        Norvik7 w;
        for (QCheckBox *cursor :
             {w.cursorSubMenu->checkBox_3, w.cursorSubMenu->checkBox_4, w.cursorSubMenu->checkBox_5})
            cursor->click();
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
        for (QCheckBox *cursor :
             {w.cursorSubMenu->checkBox_3, w.cursorSubMenu->checkBox_4, w.cursorSubMenu->checkBox_5})
            QVERIFY(!cursor->isChecked());
        QVERIFY(w.MoveCursorOneLabel->isHidden() && w.MoveCursorThreeLabel->isHidden());
        QVERIFY(w.usbConnectModeSubMenu->radioButton->isChecked());
        QVERIFY(!w.dateTimeSetMenu->twelveHour());
        for (const QString &kv :
             QStringLiteral("language=Chinese temp_unit=C display_intensity=Medium auto_power_off=30Minutes "
                            "auto_save=No temperature_scale=high_gain move_cursor_2=No move_cursor_3=No")
                 .split(QLatin1Char(' ')))
            QCOMPARE(config::readString(config::Main, kv.section(QLatin1Char('='), 0, 0)),
                     kv.section(QLatin1Char('='), 1));
    }

    // The pop-ups and the live view's marks start as the stored choices say.
    void storedChoicesAtStart()
    {
        TestBoard board(true, false);
        config::write(config::Main, QStringLiteral("color"), QStringLiteral("RedHot"));
        config::write(config::Main, QStringLiteral("image_mode"), QStringLiteral("alignment"));
        config::write(config::Main, QStringLiteral("zone"), QStringLiteral("Yes"));
        Norvik7 w;
        QVERIFY(w.colorSubMenu->radioButton_4->isChecked());
        QVERIFY(w.imageModeSubMenu->radioButton_5->isChecked());
        QCOMPARE((QList<bool>{w.tempSubMenu->checkBox->isChecked(), w.tempSubMenu->checkBox_2->isChecked(),
                              w.tempSubMenu->checkBox_3->isChecked()}),
                 (QList<bool>{false, true, true}));
        QVERIFY(!w.FocusLabel->isVisibleTo(&w));
        for (QWidget *mark : {static_cast<QWidget *>(w.HighTempLabel), static_cast<QWidget *>(w.LowTempTextLabel),
                              static_cast<QWidget *>(w.Zone), static_cast<QWidget *>(w.ZoneHighTempLabel)})
            QVERIFY2(mark->isVisibleTo(&w), qPrintable(mark->objectName()));
    }

    // Installing or removing the translator re-translates every screen,
    // including the texts a screen sets itself.
    void retranslationFollowsTheTranslator()
    {
        LiveDevice b;
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
        QTest::newRow("afternoon 12H") << QTime(13, 45) << true << "01:45 PM";
    }
    void statusClock()
    {
        QFETCH(QTime, time);
        QFETCH(bool, twelveHour);
        QFETCH(QString, shown);
        QCOMPARE(statusTimeText(time, twelveHour), shown);
    }

    // The refresh follows the board's clock.
    void timerUpdateShowsTheBoardClock()
    {
        TestBoard board;
        config::write(config::Main, QStringLiteral("time_format"), QStringLiteral("13H"));   // unknown: 24-hour
        QVERIFY(board::setClock(QDateTime(QDate(2031, 2, 3), QTime(15, 7, 10)).toSecsSinceEpoch()));
        Norvik7 w;
        w.timerUpdate();
        QCOMPARE(w.DateLabel->text(), QStringLiteral("2031/02/03"));
        QCOMPARE(w.TimeLabel->text(), QStringLiteral("15:07"));
    }

    void galleryBottomBars_data()
    {
        QTest::addColumn<QString>("visible");   // the gallery windows shown
        QTest::addColumn<int>("player");        // -1 untouched, 0 hidden, 1 shown
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
        LiveDevice b;
        if (galleryOpen)
            b.w->imageListViewer->imageListViewerEnable();
        emit b.w->deviceInformationSubMenu->updateSdcardStatus(present);
        QCOMPARE(b.w->sdcardStatus, present);
        QCOMPARE(b.w->imageListViewer->isVisible(), galleryAfter);
        QVERIFY(b.w->mainMenu->isHidden());
    }
};

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
