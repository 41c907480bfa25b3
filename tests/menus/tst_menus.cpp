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
#include "media/menus/deleteimagemenu.h"
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

// A one-of-N screen: its class, enable slot, stored key and texts in button order.
struct Kind {
    std::function<ChoiceMenu *()> make;
    const char *enableSlot;
    QString key;
    QStringList texts;
};

template <class M>
Kind kind(const char *slot, const char *key, const QStringList &texts)
{
    return {[] { return new M(nullptr); }, slot, QString::fromLatin1(key), texts};
}

const QMap<QByteArray, Kind> &kinds()
{
    static const QMap<QByteArray, Kind> map{
        {"AutoPowerOff",
         kind<AutoPowerOffSetSubMenu>("autoPowerOffSetSubMenuEnable", "auto_power_off",
                                      {"5Minutes", "10Minutes", "30Minutes", "Off"})},
        {"DisplayIntensity",
         kind<DisplayIntensitySetSubMenu>("displayIntensitySetSubMenuEnable", "display_intensity",
                                          {"Low", "Medium", "High"})},
        {"Language", kind<LanguageSetSubMenu>("languageSetSubMenuEnable", "language", {"English", "Chinese"})},
        {"TemperatureUnit", kind<TemperatureUnitSetMenu>("temperatureUnitSetMenuEnable", "temp_unit", {"C", "F"})},
        {"TemperatureScale",
         kind<TemperatureScaleSetMenu>("temperatureScaleSetMenuEnable", "temperature_scale",
                                       {"low_gain", "high_gain"})},
        {"AutoSave", kind<AutoSaveSetSubMenu>("autoSaveSetSubMenuEnable", "auto_save", {"No", "Yes"})},
    };
    return map;
}

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
    // Every screen draws something at its place, every picture it names loads;
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
            const QImage shot = screenOf({menu});
            menu->hide();
            QVERIFY(saveScreenshot(name, shot));
            // Something is drawn: the picture is not one flat colour.
            const QRect place = menu->geometry() & shot.rect();
            bool varied = name == QLatin1String("myWidget");
            for (int y = place.top(); y <= place.bottom() && !varied; ++y)
                for (int x = place.left(); x <= place.right() && !varied; ++x)
                    varied = shot.pixel(x, y) != shot.pixel(place.topLeft());
            QVERIFY2(varied, qPrintable(name + " draws nothing"));
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

    // Opened, the checked button of the stored choice has the focus; OK on
    // another button clicks it: stored and ticked, the screen stays.
    void choiceScreens_data()
    {
        QTest::addColumn<QByteArray>("screen");
        QTest::addColumn<int>("index");
        for (auto k = kinds().begin(); k != kinds().end(); ++k)
            for (int i = 0; i < k->texts.size(); ++i)
                QTest::addRow("%s/%s", k.key().constData(), qPrintable(k->texts[i])) << k.key() << i;
    }
    void choiceScreens()
    {
        QFETCH(QByteArray, screen);
        QFETCH(int, index);
        const Kind &k = kinds()[screen];
        TestBoard board;
        config::write(config::Main, k.key, k.texts[index]);
        std::unique_ptr<ChoiceMenu> m(k.make());
        QCOMPARE(m->checkedIndex(), index);
        const int other = (index + 1) % m->buttons().size();
        m->buttons()[other]->setFocus();
        QVERIFY(QMetaObject::invokeMethod(m.get(), k.enableSlot));
        QCOMPARE(m->focusWidget(), m->buttons()[index]);
        m->buttons()[other]->click();
        QCOMPARE(stored(k.key), k.texts[other]);
        for (int i = 0; i < m->buttons().size(); ++i)
            QCOMPARE(m->buttons()[i]->isChecked(), i == other);
        QVERIFY(m->isVisible());
        QVERIFY(QMetaObject::invokeMethod(m.get(), k.enableSlot));   // the enable slot closes it again
        QVERIFY(m->isHidden());
    }

    // The backlight follows the brightness choice, at start and on each choice.
    void brightnessDrivesTheBacklight()
    {
        TestBoard board;
        config::write(config::Main, QStringLiteral("display_intensity"), QStringLiteral("Bright"));
        const QString command =
            QStringLiteral("echo %1 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness");
        DisplayIntensitySetSubMenu m;
        QCOMPARE(board.read("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness"), QByteArray("6\n"));
        m.displayIntensitySetSubMenuUpdateRbtn1();
        m.displayIntensitySetSubMenuUpdateRbtn3();
        m.factoryResetForDisplayIntensitySetSubMenu();
        QCOMPARE(board.commands(), (QStringList{command.arg(6), command.arg(5), command.arg(7), command.arg(6)}));
    }

    // Choosing the gain already in use sends nothing; a change sends the new gain.
    void gainChoiceSendsOnlyChanges()
    {
        TestBoard board;
        TemperatureScaleSetMenu m;
        QSignalSpy sent(&m, &TemperatureScaleSetMenu::updateTempScale);
        m.radioButton_2->click();   // high gain, already in use
        m.radioButton->click();     // low gain
        QCOMPARE(m.storedChoice(), static_cast<unsigned char>(0));
        m.factoryResetForTemperatureScaleSetMenu();
        QCOMPARE(
            sent,
            (QList<QList<QVariant>>{{QVariant::fromValue<unsigned char>(0)}, {QVariant::fromValue<unsigned char>(1)}}));
        QCOMPARE(stored("temperature_scale"), QStringLiteral("high_gain"));
    }

    // Focus on a button of the main menu or a pop-up becomes a tip centred over
    // the button, just above the window; the button left hides its tip.
    void focusBecomesACentredTip_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("main menu") << "MainMenu" << QByteArray(SIGNAL(mainMenuUpdateMenuTips(QString, int, int, int)));
        QTest::newRow("cursor") << "CursorSubMenu"
                                << QByteArray(SIGNAL(cursorMenuUpdateMenuTips(QString, int, int, int)));
    }
    void focusBecomesACentredTip()
    {
        QFETCH(QString, className);
        QFETCH(QByteArray, signal);
        LiveDevice b;
        MenuWindow *popup = nullptr;
        for (QWidget *m : b.w->menuWindows())
            if (className == QLatin1String(m->metaObject()->className()))
                popup = qobject_cast<MenuWindow *>(m);
        QSignalSpy tips(popup, signal.constData());
        popup->show();
        popup->activateWindow();
        const QList<QAbstractButton *> buttons = popup->buttons();
        buttons.first()->setFocus();
        QTRY_VERIFY(buttons.first()->hasFocus());
        tips.clear();
        QAbstractButton *last = buttons.last();
        last->setFocus();
        QTRY_COMPARE(tips.count(), 2);
        QCOMPARE(tips.at(0).at(3).toInt(), 0);
        QVERIFY(!last->statusTip().isEmpty());
        QCOMPARE(tips.at(1),
                 (QList<QVariant>{last->statusTip(), popup->x() + last->mapTo(popup, QPoint()).x() + last->width() / 2,
                                  popup->y(), 128}));
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
        QVERIFY(w.isVisible() && boot->isVisible());
        QVERIFY(boot->pushButton->isHidden());
        QCOMPARE(boot->checkedIndex(), -1);
        boot->radioButton->click();
        QVERIFY(!boot->pushButton->isHidden());
        QCOMPARE(config::readString(config::System, QStringLiteral("language")), QStringLiteral("English"));
        // The choice also switches the language setting at once.
        QVERIFY(w.languageSetSubMenu->radioButton->isChecked());
        QCOMPARE(stored("language"), QStringLiteral("English"));
        boot->pushButton->click();
        QVERIFY(boot->isHidden());
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

    // The pop-ups and the live view's marks start as the stored choices say.
    void storedChoicesAtStart()
    {
        TestBoard board(true, false);
        storeAll("color=RedHot image_mode=alignment zone=Yes");
        Norvik7 w;
        QVERIFY(w.colorSubMenu->radioButton_4->isChecked() && w.imageModeSubMenu->radioButton_5->isChecked());
        QCOMPARE((QList<bool>{w.tempSubMenu->checkBox->isChecked(), w.tempSubMenu->checkBox_2->isChecked(),
                              w.tempSubMenu->checkBox_3->isChecked(), w.FocusLabel->isVisibleTo(&w),
                              w.HighTempLabel->isVisibleTo(&w), w.Zone->isVisibleTo(&w)}),
                 (QList<bool>{false, true, true, false, true, true}));
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
        QTRY_COMPARE(b.w->mainMenu->pushButton_5->statusTip(), QStringLiteral("设置"));
        QTRY_COMPARE(b.w->dateTimeSetMenu->TimeFormatLabel->text(), QStringLiteral("12小时"));
        // The clock still reads the 12-hour format from the translated label.
        b.w->timerUpdate();
        QVERIFY2(b.w->TimeLabel->text().endsWith(QLatin1String("M")), qPrintable(b.w->TimeLabel->text()));
        QCoreApplication::removeTranslator(&chinese);
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
        QTEST(statusTimeText(time, twelveHour), "shown");
    }

    // The refresh follows the board's clock; an unknown format is the 24-hour one.
    void timerUpdateShowsTheBoardClock()
    {
        TestBoard b;
        config::write(config::Main, QStringLiteral("time_format"), QStringLiteral("13H"));
        QVERIFY(board::setClock(QDateTime(QDate(2031, 2, 3), QTime(15, 7, 10)).toSecsSinceEpoch()));
        Norvik7 w;
        w.timerUpdate();
        QCOMPARE(w.DateLabel->text() + ' ' + w.TimeLabel->text(), QStringLiteral("2031/02/03 15:07"));
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
        QTEST(bars.videoPlayerBar ? int(*bars.videoPlayerBar) : -1, "player");
        QTEST(bars.imageNameBar ? int(*bars.imageNameBar) : -1, "nameBar");
    }

    void cardRemovedWhileTheGalleryIsOpen_data()
    {
        QTest::addColumn<bool>("galleryOpen");
        QTest::addColumn<bool>("present");
        QTest::newRow("gallery, card gone") << true << false;
        QTest::newRow("gallery, card there") << true << true;
        QTest::newRow("live view, card gone") << false << false;
    }
    void cardRemovedWhileTheGalleryIsOpen()
    {
        QFETCH(bool, galleryOpen);
        QFETCH(bool, present);
        LiveDevice b;
        if (galleryOpen)
            b.w->imageListViewer->imageListViewerEnable();
        emit b.w->deviceInformationSubMenu->updateSdcardStatus(present);
        QCOMPARE(b.w->sdcardStatus, present);
        QCOMPARE(b.w->imageListViewer->isVisible(), galleryOpen && present);
        QVERIFY(b.w->mainMenu->isHidden());
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
