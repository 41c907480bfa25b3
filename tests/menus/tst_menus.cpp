// The menu windows of the main window: every screen rendered with the
// pictures it names, the one-of-N settings screens, the factory-reset
// fan-out, retranslation, the first-boot language screen and the status bar.
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/menus/statusbar.h"
#include "board/board.h"
#include "common/livedevice.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/imagelistviewer.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTranslator>

namespace {

QString stored(const QString &key) { return config::readString(config::Main, key); }

void storeAll(const QString &pairs)
{
    for (const QString &kv : pairs.split(QLatin1Char(' ')))
        config::write(config::Main, kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
}

}   // namespace

class TestMenus : public QObject {
    Q_OBJECT
private slots:
    // Every screen is drawn and every picture it names loads;
    // saved as <build>/screenshots/<Class>.png to be looked at.
    void everyScreenRenders()
    {
        TestBoard board;
        Norvik7 w;
        QStringList taken, missing;
        const QRegularExpression url(QStringLiteral("url\\((:/[^)]+)\\)"));
        for (QWidget *menu : w.menuWindows()) {
            QString name = QString::fromLatin1(menu->metaObject()->className());
            for (int i = 2; taken.contains(name); ++i)
                name = QString::fromLatin1(menu->metaObject()->className()) + '_' + QString::number(i);
            taken << name;
            if (auto *shown = menu->findChild<QLabel *>(QStringLiteral("ShowImageLabel")))   // a picture of the card
                shown->setPixmap(QPixmap(QStringLiteral(":/images/no_sdcard.png")));
            // Opened as the menu tree opens it (its own enable slot), so the
            // focus sits where a person would find it.
            const QMetaObject *meta = menu->metaObject();
            const QByteArray enable = QByteArray(meta->className()).toLower() + "enable()";
            for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
                if (meta->method(i).methodSignature().toLower() == enable)
                    meta->method(i).invoke(menu);
            menu->show();
            QVERIFY(saveScreenshot(name, {menu}));
            menu->hide();
            // Pictures named by style sheets, labels and button icons all load.
            const QList<QWidget *> widgets = menu->findChildren<QWidget *>() << menu;
            for (QWidget *wd : widgets) {
                const QString where = name + '.' + wd->objectName();
                for (auto it = url.globalMatch(wd->styleSheet()); it.hasNext();)
                    if (const QString path = it.next().captured(1); !QFile::exists(path))
                        missing << where + ' ' + path;
                if (auto *b = qobject_cast<QAbstractButton *>(wd);
                    b && !b->icon().isNull() && b->icon().pixmap(QSize(16, 16)).isNull())
                    missing << where + " icon";
                if (auto *l = qobject_cast<QLabel *>(wd);
                    l && l->text().isEmpty() && l->hasScaledContents() && l->pixmap().isNull())
                    missing << where + " pixmap";
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
    }

    // Each one-of-N screen starts on the button of the stored text; a click on
    // another stores that one's text and ticks it alone. Opened by its enable
    // slot, the focus is on the checked button; the same slot closes it again.
    void choiceScreens()
    {
        TestBoard board;
        const QStringList screens{"auto_power_off 5Minutes 10Minutes 30Minutes Off",
                                  "display_intensity Low Medium High",
                                  "language English Chinese",
                                  "temp_unit C F",
                                  "temperature_scale low_gain high_gain",
                                  "auto_save No Yes"};
        for (const QString &screen : screens)
            config::write(config::Main, screen.section(' ', 0, 0), screen.section(' ', -1));
        Norvik7 w;
        QSignalSpy gain(w.temperatureScaleSetMenu, &TemperatureScaleSetMenu::updateTempScale);
        const QList<ChoiceMenu *> menus{w.autoPowerOffSetSubMenu, w.displayIntensitySetSubMenu, w.languageSetSubMenu,
                                        w.temperatureUnitSetMenu, w.temperatureScaleSetMenu,    w.autoSaveSetSubMenu};
        for (int s = 0; s < screens.size(); ++s) {
            const QStringList texts = screens[s].split(' ');
            QCOMPARE(menus[s]->checkedIndex(), texts.size() - 2);
            for (int i = 0; i + 1 < texts.size(); ++i) {
                menus[s]->buttons()[i]->click();
                QCOMPARE(stored(texts[0]) + ' ' + QString::number(menus[s]->checkedIndex()),
                         texts[i + 1] + ' ' + QString::number(i));
            }
            menus[s]->buttons().last()->click();   // the choice in use again
        }
        // The backlight follows the brightness, at start and on each choice;
        // only a change of gain is sent.
        const QString echo = "echo %1 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness";
        QCOMPARE(board.commands().filter("brightness"),
                 (QStringList{echo.arg(7), echo.arg(5), echo.arg(6), echo.arg(7), echo.arg(7)}));
        QCOMPARE(
            gain,
            (QList<QList<QVariant>>{{QVariant::fromValue<unsigned char>(0)}, {QVariant::fromValue<unsigned char>(1)}}));
        ChoiceMenu *m = w.autoPowerOffSetSubMenu;
        m->buttons()[0]->setFocus();
        QVERIFY(QMetaObject::invokeMethod(m, "autoPowerOffSetSubMenuEnable"));
        QVERIFY(m->isVisible() && m->focusWidget() == m->buttons()[3]);
        QVERIFY(QMetaObject::invokeMethod(m, "autoPowerOffSetSubMenuEnable") && m->isHidden());
    }

    void factoryResetReturnsEveryMenuToItsFactoryChoice()
    {
        TestBoard board;
        storeAll("language=English temp_unit=F display_intensity=High auto_power_off=Off auto_save=Yes "
                 "temperature_scale=low_gain color=Lava image_mode=pip time_format=12H");
        Norvik7 w;
        const QList<QCheckBox *> cursors{w.cursorSubMenu->checkBox_3, w.cursorSubMenu->checkBox_4,
                                         w.cursorSubMenu->checkBox_5};
        for (QCheckBox *cursor : cursors)
            cursor->click();
        w.usbConnectModeSubMenu->radioButton_2->setChecked(true);
        emit w.factoryResetSetMenu->factoryResetForSystem();
        for (QAbstractButton *b : QList<QAbstractButton *>{
                 w.languageSetSubMenu->radioButton_2, w.temperatureUnitSetMenu->radioButton,
                 w.displayIntensitySetSubMenu->radioButton_2, w.autoPowerOffSetSubMenu->radioButton_3,
                 w.autoSaveSetSubMenu->radioButton, w.temperatureScaleSetMenu->radioButton_2,
                 w.colorSubMenu->radioButton, w.imageModeSubMenu->radioButton, w.usbConnectModeSubMenu->radioButton})
            QVERIFY2(b->isChecked(), qPrintable(b->window()->objectName()));
        for (QCheckBox *cursor : cursors)
            QVERIFY(!cursor->isChecked());
        QVERIFY(w.MoveCursorOneLabel->isHidden() && w.MoveCursorThreeLabel->isHidden());
        QVERIFY(!w.dateTimeSetMenu->twelveHour());
        const QString factory = "language=Chinese temp_unit=C display_intensity=Medium auto_power_off=30Minutes "
                                "auto_save=No temperature_scale=high_gain move_cursor_2=No move_cursor_3=No";
        for (const QString &kv : factory.split(QLatin1Char(' ')))
            QCOMPARE(kv.section('=', 0, 0) + '=' + stored(kv.section('=', 0, 0)), kv);
    }

    // At start the pop-ups and the live view's marks are as stored, and the
    // status bar follows the board's clock (an unknown format is the 24-hour
    // one). With the first-boot language pending, the language screen comes
    // with the first live picture; picking a language stores it, switches the
    // language setting at once and brings "Next".
    void startUp()
    {
        TestBoard board(true, false);
        storeAll("color=RedHot image_mode=alignment zone=Yes time_format=13H language=Chinese");
        config::write(config::System, QStringLiteral("language"), QStringLiteral("none"));
        QVERIFY(board::setClock(QDateTime(QDate(2031, 2, 3), QTime(15, 7, 10)).toSecsSinceEpoch()));
        Norvik7 w;
        QVERIFY(w.colorSubMenu->radioButton_4->isChecked() && w.imageModeSubMenu->radioButton_5->isChecked());
        QCOMPARE((QList<bool>{w.tempSubMenu->checkBox->isChecked(), w.tempSubMenu->checkBox_2->isChecked(),
                              w.tempSubMenu->checkBox_3->isChecked(), w.FocusLabel->isVisibleTo(&w),
                              w.HighTempLabel->isVisibleTo(&w), w.Zone->isVisibleTo(&w)}),
                 (QList<bool>{false, true, true, false, true, true}));
        w.timerUpdate();
        QCOMPARE(w.DateLabel->text() + ' ' + w.TimeLabel->text(), QStringLiteral("2031/02/03 15:07"));
        BootSettingsMenu *boot = w.bootSettingsMenu;
        for (int frame = 0; frame < 200 && w.isHidden(); ++frame)
            w.updateThermalCameraImage(QImage(), QImage(), 0, 0, 0, 0, 80);
        QVERIFY(w.isVisible() && boot->isVisible() && boot->pushButton->isHidden() && boot->checkedIndex() < 0);
        boot->radioButton->click();
        QVERIFY(!boot->pushButton->isHidden() && w.languageSetSubMenu->radioButton->isChecked());
        QCOMPARE(config::readString(config::System, QStringLiteral("language")) + ' ' + stored("language"),
                 QStringLiteral("English English"));
        boot->pushButton->click();
        QVERIFY(boot->isHidden());
    }

    void statusClock()
    {
        QStringList shown;
        for (const auto &[time, twelveHour] : {std::pair{QTime(0, 5), false},
                                               {QTime(0, 5), true},
                                               {QTime(9, 30), true},
                                               {QTime(12, 0), true},
                                               {QTime(13, 45), true}})
            shown << statusTimeText(time, twelveHour);
        QCOMPARE(shown, (QStringList{"00:05", "12:05 AM", "09:30 AM", "12:00 PM", "01:45 PM"}));
    }

    // A bottom bar steps aside while a question or a details page covers it,
    // comes back when nothing does, and is left alone while its action bar is open.
    void galleryBottomBars()
    {
        // Shown: the video, its action bar, the image viewer, its action bar,
        // the delete question, the video's details, the image's details.
        QStringList bars;
        for (const char *v : {"0000000", "1000000", "1000100", "1000010", "1100100", "1010100", "0010000", "0010100",
                              "0010001", "0010010", "0011001", "0000101"}) {
            auto on = [&](int i) { return v[i] == '1'; };
            const GalleryBars b = ::galleryBottomBars({on(0), on(1), on(2), on(3), on(4), on(5), on(6)});
            auto text = [](std::optional<bool> x) { return x ? QString::number(*x) : QStringLiteral("-"); };
            bars << text(b.videoPlayerBar) + text(b.imageNameBar);
        }
        QCOMPARE(bars, (QStringList{"--", "1-", "0-", "0-", "--", "0-", "-1", "-0", "-0", "-1", "--", "--"}));
    }

    // One window: focus on a button of the main menu becomes a tip centred over
    // it, just above the window, the button left hides its tip; installing or
    // removing the translator re-translates every screen, including the texts
    // a screen sets itself; a card removed under the open gallery closes it.
    void oneWindow()
    {
        LiveDevice b;
        MainMenu *popup = b.w->mainMenu;
        QSignalSpy tips(popup, &MainMenu::mainMenuUpdateMenuTips);
        popup->show();
        popup->activateWindow();
        QAbstractButton *last = popup->buttons().last();
        popup->buttons().first()->setFocus();
        QTRY_VERIFY(popup->buttons().first()->hasFocus());
        tips.clear();
        last->setFocus();
        QTRY_COMPARE(tips.count(), 2);
        QCOMPARE(tips.at(0).at(3).toInt(), 0);
        QCOMPARE(tips.at(1),
                 (QList<QVariant>{last->statusTip(), popup->x() + last->mapTo(popup, QPoint()).x() + last->width() / 2,
                                  popup->y(), 128}));
        popup->hide();

        b.w->dateTimeSetMenu->setTwelveHour(true);
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(":/qm/qm/ChineseSimplified.qm")));
        QCoreApplication::installTranslator(&chinese);
        QTRY_COMPARE(b.w->settingSubMenu->languageButton->text(), QStringLiteral("语言"));
        QTRY_COMPARE(b.w->dateTimeSetMenu->TimeFormatLabel->text(), QStringLiteral("12小时"));
        // The clock still reads the 12-hour format from the translated label.
        b.w->timerUpdate();
        QVERIFY2(b.w->TimeLabel->text().endsWith(QLatin1String("M")), qPrintable(b.w->TimeLabel->text()));
        QCoreApplication::removeTranslator(&chinese);
        QTRY_COMPARE(b.w->dateTimeSetMenu->TimeFormatLabel->text(), QStringLiteral("12H"));
        QVERIFY(b.w->dateTimeSetMenu->AmPmLabel->isVisibleTo(b.w->dateTimeSetMenu));

        // The card going in the live view, coming under the open gallery, going again.
        QList<bool> gallery;
        for (bool present : {false, true, false}) {
            if (present)
                b.w->imageListViewer->imageListViewerEnable();
            emit b.w->deviceInformationSubMenu->updateSdcardStatus(present);
            QVERIFY(b.w->sdcardStatus == present && b.w->mainMenu->isHidden());
            gallery << b.w->imageListViewer->isVisible();
        }
        QCOMPARE(gallery, (QList<bool>{false, true, false}));
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
