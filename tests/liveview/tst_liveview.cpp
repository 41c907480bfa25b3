// The live view as a person sees it: frames in, readouts, markers, cursors
// and the picture of each image mode out; keys through the key device.
// The infrared module is absent, so the frames are only those the test sends.
#include "calibration/menus/caltempsubmenu.h"
#include "common/imagediff.h"
#include "common/livedevice.h"
#include "core/config.h"
#include "liveview/livesurface.h"
#include "liveview/menus/alignmentdistancemenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/overlaylayer.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>

namespace {

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xffffff; }   // colours compared without their alpha
uint16_t raw(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16.0)); }

// A 192 x 256 thermal picture: a gradient, so the picture of each mode can be
// looked at; or flat.
QImage thermalPicture(QRgb flat = 0)
{
    QImage img(192, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 192; ++x)
            img.setPixel(x, y, flat ? flat : rgb(x + 40, (y * 255) / 256, 60));
    return img;
}

// The live view after start-up, the infrared module absent; the pop-ups'
// preview timers stopped, as these checks set the mode and palette directly.
struct Device : LiveDevice {
    Device()
        : LiveDevice([](TestBoard &b) {
              b.write(QStringLiteral("/sim/ir_module"), "absent");
              viewState.saveImageEnable.store(false);
              viewState.setImageEnable.store(true);
          })
    {
        w->imageModeSubMenu->modeTimer->stop();
        w->colorSubMenu->focusTimer->stop();
        boot();
    }
    // One frame through the frame slots, in the acquisition thread's order.
    void frame(int counter, double centre, double max = 40, double min = 10, double zone = 30, QPoint maxAt = {96, 100},
               QPoint minAt = {10, 200}, const QImage &visible = QImage()) const
    {
        w->updateMaxMinTemp(maxAt.y(), maxAt.x(), minAt.y(), minAt.x(), counter);
        w->updateZoneMaxMinTemp(100, 96, 120, 80, counter);
        w->updateThermalCameraImage(thermalPicture(), visible, raw(centre), raw(max), raw(min), raw(zone), counter);
    }
    void tick(QCheckBox *box, bool on = true) const
    {
        if (box->isChecked() != on)
            box->click();
    }
    // The window as it is on the screen, and as drawn whole the ordinary way.
    QImage onScreen() const
    {
        QCoreApplication::processEvents();
        return w->screen()->grabWindow(w->winId(), 0, 0, 240, 320).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage drawnWhole() const
    {
        w->repaint();
        return onScreen();
    }
};

}   // namespace

class TestLiveView : public QObject {
    Q_OBJECT
private slots:
    void readoutsOnRefreshFramesOnly()
    {
        Device d;
        Norvik7 &w = *d.w;
        d.tick(w.tempSubMenu->checkBox_2);
        for (int counter = 1; counter <= 4; ++counter)
            d.frame(counter, 25.0);
        QVERIFY(viewState.max_temp.isEmpty());
        // The hot spot at column 5 pins its marker to the left edge; the cold one's text goes left of it.
        d.frame(5, 25.0, 40.0, 10.0, 30.0, QPoint(5, 100), QPoint(150, 3));
        QCOMPARE((QStringList{w.TempLabel->text(), w.MaxTempValueLabel->text(), w.MaxTempLabel->text(),
                              w.MinTempLabel->text(), w.HighTempTextLabel->text(), w.LowTempTextLabel->text(),
                              viewState.max_temp}),
                 (QStringList{"25.0\u2103 ", "40.0\u2103 ", "40.0", "10.0", "40.0", "10.0", "40.0"}));
        QCOMPARE(viewState.centerTempValue, raw(25.0));
        QCOMPARE(w.HighTempLabel->pos(), QPoint(-16, 109));
        QCOMPARE(w.LowTempLabel->pos(), QPoint(171, -13));
        QCOMPARE(w.LowTempTextLabel->geometry().right(), 170);
        QCOMPARE(w.MaxTempValueLabel->y(), 51 - w.MaxTempValueLabel->height() / 2);
        // Between refresh frames the readouts and markers hold, whatever arrives.
        d.frame(6, 60.0, 80.0, 5.0, 70.0, QPoint(96, 128), QPoint(96, 128));
        QCOMPARE(w.TempLabel->text(), QStringLiteral("25.0\u2103 "));
        QCOMPARE(w.HighTempLabel->pos(), QPoint(-16, 109));
        d.frame(10, 60.0, 80.0, 5.0, 70.0);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("60.0\u2103 "));
        d.frame(15, 33.0, 33.0, 33.0, 33.0);   // a flat frame shows zero everywhere
        QCOMPARE(w.MaxTempValueLabel->text(), QStringLiteral("0.0\u2103 "));
    }

    void readoutsInFahrenheitAndTheServerReading()
    {
        Device d;
        Norvik7 &w = *d.w;
        QSignalSpy server(&w, &Norvik7::sendMaxTempToTcpserver);
        // The client gets the frame maximum (the zone is not shown) and the
        // threshold the alert uses: kept within its band, the factory one when there is none.
        for (const auto &[stored, sent] : {std::pair{"130", 130.05f}, {"600", 550.05f}, {"", 130.05f}}) {
            config::write(config::Main, QStringLiteral("high_temp_c"), QString::fromLatin1(stored));
            d.frame(5, 21.3, 36.5);
            QVERIFY(qAbs(server.last().at(0).toFloat() - 36.525f) < 0.01f);
            QVERIFY2(qAbs(server.last().at(1).toFloat() - sent) < 0.01f, stored);
        }
        QCOMPARE(server.count(), 3);
        w.temperatureUnitSetMenu->radioButton_2->click();
        d.frame(10, 21.3, 36.5);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("70.4\u2109 "));
        QVERIFY(qAbs(server.last().at(1).toFloat() - 266.05f) < 0.01f);
        // Neither unit checked: nothing published, nothing sent.
        for (QRadioButton *b : {w.temperatureUnitSetMenu->radioButton, w.temperatureUnitSetMenu->radioButton_2}) {
            b->setAutoExclusive(false);
            b->setChecked(false);
        }
        d.frame(15, 50.0, 60.0);
        QCOMPARE(server.count(), 4);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("70.4\u2109 "));
    }

    void measurementOptions_data()
    {
        // Boxes ticked in this order (c centre, h hot/cold, z zone); those ticked after; the readouts shown.
        QTest::addColumn<QStringList>("clicksTickedShown");
        QTest::newRow("zone turns centre and hot/cold off") << QStringList{"c h z", "z", "zone"};
        QTest::newRow("centre turns the zone off") << QStringList{"z c", "c", "centre"};
        QTest::newRow("centre and hot/cold together") << QStringList{"z c h", "c h", "centre max"};
        QTest::newRow("hot/cold alone") << QStringList{"z h", "h", "max"};
        QTest::newRow("none ticked: the centre readout") << QStringList{"", "", "centre"};
    }
    void measurementOptions()
    {
        QFETCH(QStringList, clicksTickedShown);
        const QString ticked = clicksTickedShown[1], shown = clicksTickedShown[2];
        Device d;
        Norvik7 &w = *d.w;
        QCheckBox *boxes[] = {w.tempSubMenu->checkBox, w.tempSubMenu->checkBox_2, w.tempSubMenu->checkBox_3};
        const QString letters = QStringLiteral("chz");
        for (QCheckBox *b : boxes)   // all off to start with
            d.tick(b, false);
        for (const QString &c : clicksTickedShown[0].split(' ', Qt::SkipEmptyParts))
            d.tick(boxes[letters.indexOf(c)]);
        QStringList got, readouts;
        for (int i = 0; i < 3; ++i)
            if (boxes[i]->isChecked())
                got << letters.mid(i, 1);
        QCOMPARE(got.join(' '), ticked);
        QCOMPARE((QVector<bool>{w.FocusLabel->isVisible(), w.HighTempLabel->isVisible(), w.Zone->isVisible()}),
                 (QVector<bool>{ticked.contains('c'), ticked.contains('h'), ticked.contains('z')}));
        QCOMPARE(d.key("zone") + d.key("center_focus"),
                 QString(ticked.contains('z') ? "Yes" : "No") + (ticked.contains('c') ? "Yes" : "No"));
        QVERIFY(d.board.commands().contains(QStringLiteral("sync")));
        d.frame(5, 25.0, 40.0, 10.0, 33.0);
        const QLabel *values[] = {w.TempLabel, w.MaxTempValueLabel, w.ZoneHighTempValueLabel};
        const QLabel *pictures[] = {w.CenterTempPicLabel, w.MaxTempPicLabel, w.ZoneHighTempPicLabel};
        const char *names[] = {"centre", "max", "zone"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(pictures[i]->isVisible(), values[i]->isVisible());
            if (values[i]->isVisible())
                readouts << names[i];
        }
        QCOMPARE(readouts.join(' '), shown);
        if (shown == QLatin1String("zone")) {
            QCOMPARE(w.ZoneHighTempValueLabel->text(), QStringLiteral("33.0\u2103 "));
            QCOMPARE(w.ZoneHighTempLabel->geometry(), QRect(109, 114, 22, 22));   // on the zone's hottest point
        }
    }

    void freezingByKeysFreezesEverything()
    {
        // The trigger freezes the picture, its readouts and markers, and the
        // blinking high alert's output; BACK lets frames show again.
        Device d;
        Norvik7 &w = *d.w;
        d.frame(5, 25.0);
        const QImage before = w.DisplayLabel->pixmap().toImage();
        const QPoint marker = w.HighTempLabel->pos();
        HiLoAlertSetMenu::led_on = 1;
        w.gpio_set_value(w.gpioFd, 1, 1);
        d.press(keycode::Trigger);
        QVERIFY(viewState.saveImageEnable.load());
        QCOMPARE(d.board.read(QStringLiteral("/sim/gpio/1")).trimmed(), QByteArray("0"));
        QCOMPARE(HiLoAlertSetMenu::led_on, 0);
        w.updateMaxMinTemp(200, 150, 10, 10, 10);
        w.updateThermalCameraImage(thermalPicture(0xff0000), QImage(), raw(90), raw(99), raw(1), raw(50), 10);
        QCOMPARE(w.DisplayLabel->pixmap().toImage(), before);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("25.0\u2103 "));
        QCOMPARE(w.HighTempLabel->pos(), marker);
        d.press(keycode::Back);   // cancel
        QVERIFY(!viewState.saveImageEnable.load());
        w.updateThermalCameraImage(thermalPicture(0xff0000), QImage(), raw(90), raw(99), raw(1), raw(50), 15);
        QVERIFY(w.DisplayLabel->pixmap().toImage() != before);
    }

    // What is on the screen (the window's backing store) while frames come, when
    // an overlay changes between frames and after frames stop, against the window
    // drawn whole the ordinary way; the overlays' stacking order while frames come.
    void screenShowsEveryOverlayWhetherFramesComeOrNot()
    {
        Device d;
        Norvik7 &w = *d.w;
        d.tick(w.tempSubMenu->checkBox);   // readouts of every kind: the centre one at 0.8, markers, a cursor
        d.tick(w.cursorSubMenu->checkBox_3);
        for (int counter = 1; counter <= 5; ++counter)
            d.frame(counter, 25.0);
        QVERIFY(w.liveSurface->isLive() && w.TempLabel->isVisible());
        const QImage live = d.onScreen();
        w.MaxTempLabel->setText(QStringLiteral("77.7"));   // changed between frames: shown with the next
        d.frame(6, 25.0);
        const QImage changedLive = d.onScreen();
        QVERIFY(changedLive != live);
        // Frames stop (a capture holds the picture): the screen is the window
        // drawn whole, and a change now shows at once.
        QTRY_VERIFY(!w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(d.onScreen(), changedLive) <= 2);
        QVERIFY(largestChannelDifference(d.drawnWhole(), changedLive) <= 2);
        w.MaxTempLabel->setText(QStringLiteral("12.3"));
        w.FocusLabel->hide();
        const QImage changedStill = d.onScreen();
        QVERIFY(largestChannelDifference(changedStill, changedLive) > 2);
        QVERIFY(largestChannelDifference(d.drawnWhole(), changedStill) <= 2);
        d.frame(7, 25.0);   // frames again
        QVERIFY(w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(d.onScreen(), changedStill) <= 2);

        // A raise, a lower, one added and one destroyed all show with the next frame.
        auto square = [&](const char *colour) {
            auto *l = new QLabel(w.DisplayLabel->parentWidget());
            l->setGeometry(100, 150, 20, 20);
            l->setStyleSheet(QStringLiteral("background-color: %1;").arg(QLatin1String(colour)));
            new OverlayLayer(l);
            l->show();
            return l;
        };
        auto atSquare = [&](int counter) {
            d.frame(counter, 25.0);
            return d.onScreen().pixel(110, 160) & 0xffffff;
        };
        QLabel *red = square("rgb(255, 0, 0)");
        QLabel *blue = square("rgb(0, 0, 255)");
        QCOMPARE(atSquare(8), rgb(0, 0, 255));
        red->raise();
        QCOMPARE(atSquare(9), rgb(255, 0, 0));
        delete red;
        QCOMPARE(atSquare(10), rgb(0, 0, 255));
        blue->lower();   // below the picture it is hidden by it
        QCOMPARE(atSquare(11), w.DisplayLabel->pixmap().toImage().pixel(110, 160) & 0xffffff);
        delete blue;
    }

    void cursorsByKeys()
    {
        Device d;
        Norvik7 &w = *d.w;
        std::fill(std::begin(viewState.irThermalRaw), std::end(viewState.irThermalRaw), raw(100.0));
        viewState.irThermalRaw[128 * 192 + 96] = raw(21.3);   // a spot of 21.3 degrees under the centre
        w.cursorSubMenu->checkBox_3->click();                 // cursor 1
        w.cursorSubMenu->checkBox_5->click();                 // then cursor 3: it is the active one
        QVERIFY(w.MoveCursorOneLabel->isVisible() && w.MoveCursorThreeLabel->isVisible());
        QVERIFY(w.MoveCursorThreeLabel->styleSheet().contains("rgb(0, 255, 0)"));
        QCOMPARE(d.key("move_cursor_3"), QStringLiteral("Yes"));
        QCOMPARE(w.MoveCursorThreeTextLabel->text(), QStringLiteral("21.3"));
        d.press(keycode::Right);
        QCOMPARE(w.MoveCursorThreeLabel->pos(), QPoint(105, 144));
        QCOMPARE(w.MoveCursorOneLabel->pos(), QPoint(104, 144));
        QCOMPARE(w.MoveCursorThreeTextLabel->text(), QStringLiteral("21.3"));   // still over frame column 96
        d.press(keycode::Right);
        QCOMPARE(w.MoveCursorThreeTextLabel->text(), QStringLiteral("100.0"));
        d.record(keycode::Right, 1);   // held: ten pixels a repeat, and never past the right edge
        for (int i = 0; i < 14; ++i)
            d.record(keycode::Right, 2);
        d.record(keycode::Right, 0);
        QCOMPARE(w.MoveCursorThreeLabel->pos(), QPoint(223, 144));
        QCOMPARE(w.MoveCursorThreeTextLabel->pos(), QPoint(183, 166));
    }

    void transparencyKeys_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");   // r right, l left
        QTest::addColumn<int>("trans");
        QTest::addColumn<int>("pipTrans");
        QTest::newRow("fusion to 0") << 2 << 50 << "l l l" << 0 << 100;
        QTest::newRow("pip stops at 25") << 3 << 50 << "l l l l" << 50 << 25;
        QTest::newRow("thermal: nothing") << 0 << 50 << "r" << 50 << 100;
    }
    void transparencyKeys()
    {
        QFETCH(int, mode);
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(int, trans);
        QFETCH(int, pipTrans);
        Device d;
        Norvik7 &w = *d.w;
        config::write(config::Main, QStringLiteral("trans"), QStringLiteral("0"));
        viewState.trans = start;
        viewState.pipTrans = 100;
        acqState.image_mode.store(mode);
        for (const QString &k : keys.split(' '))
            d.press(k == QLatin1String("r") ? keycode::Right : keycode::Left);
        QCOMPARE(QVector<int>({viewState.trans, viewState.pipTrans}), QVector<int>({trans, pipTrans}));
        if (mode == 0) {
            QCOMPARE(d.key("trans"), QStringLiteral("0"));
            return;
        }
        QCOMPARE(d.key("trans") + ' ' + d.key("piptrans"), QStringLiteral("%1 %2").arg(trans).arg(pipTrans));
        QVERIFY(w.menuTipsLabel->isVisible());
        QCOMPARE(w.menuTipsLabel->text(), QString::number(mode == 2 ? trans : pipTrans) + '%');
        QTRY_VERIFY_WITH_TIMEOUT(!w.menuTipsLabel->isVisible(), 2000);
    }

    void alignmentAndCalibrationOverrides()
    {
        Device d;
        Norvik7 &w = *d.w;
        // While aligning: half and half whatever trans says, and a blend it stays.
        QImage vis(264, 352, QImage::Format_RGB888);
        vis.fill(QColor(0, 0, 200));
        w.alignmentDistanceMenu->show();
        viewState.trans = 100;
        w.updateThermalCameraImage(thermalPicture(rgb(200, 0, 0)), vis, raw(25), raw(40), raw(10), raw(30), 2);
        QCOMPARE(acqState.image_mode.load(), 2);
        QCOMPARE(w.DisplayLabel->pixmap().toImage().pixel(120, 160) & 0xffffff, rgb(100, 0, 100));
        w.alignmentDistanceMenu->hide();
        d.frame(3, 25);
        QCOMPARE(acqState.image_mode.load(), 2);
        // The temperature calibration page: thermal, centre spot on, hot/cold off, and its status lines.
        d.tick(w.tempSubMenu->checkBox_2);
        w.calTempSubMenu->show();
        d.frame(4, 36.5);
        QCOMPARE(acqState.image_mode.load(), 0);
        QVERIFY(w.tempSubMenu->checkBox->isChecked() && !w.tempSubMenu->checkBox_2->isChecked());
        QVERIFY(w.FocusLabel->isVisible());
        QCOMPARE(w.calTempSubMenu->BBTempLabel->text(), QStringLiteral("Temp:36.5\u2103 "));
    }

    void combinationsLeaveTheFocusOfTheScreenTheyOpen_data()
    {
        QTest::addColumn<int>("held");
        QTest::newRow("LEFT with RIGHT: upgrade") << int(keycode::Right);
        QTest::newRow("UP with DOWN: temperature calibration") << int(keycode::Down);
    }
    void combinationsLeaveTheFocusOfTheScreenTheyOpen()
    {
        QFETCH(int, held);
        Device d;
        Norvik7 &w = *d.w;
        d.hold(held);
        d.repeat(held);
        d.press(held == keycode::Right ? keycode::Left : keycode::Up);
        d.release(held);
        MenuWindow *opened = held == keycode::Right ? static_cast<MenuWindow *>(w.upgradeSubMenu) : w.calTempSubMenu;
        QVERIFY(opened->isVisible());
        QCOMPARE(opened->focusWidget(),
                 held == keycode::Right ? w.upgradeSubMenu->buttons().value(0)
                                        : static_cast<QWidget *>(w.calTempSubMenu->pushButton_5));
    }

    void eachModeOnScreen_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("withVisible");
        QTest::newRow("thermal") << 0 << true;
        QTest::newRow("digital") << 1 << true;
        QTest::newRow("digital without a visible picture") << 1 << false;
    }
    void eachModeOnScreen()
    {
        QFETCH(int, mode);
        QFETCH(bool, withVisible);
        Device d;
        Norvik7 &w = *d.w;
        acqState.image_mode.store(mode);
        viewState.trans = viewState.pipTrans = 50;
        d.tick(w.tempSubMenu->checkBox_2);
        QImage vis(264, 352, QImage::Format_RGB888);   // a checkerboard
        for (int y = 0; y < 352; ++y)
            for (int x = 0; x < 264; ++x)
                vis.setPixel(x, y, ((x / 22 + y / 22) % 2) ? rgb(230, 230, 230) : rgb(30, 90, 160));
        d.frame(5, 24.6, 38.2, 12.9, 30.0, {150, 40}, {20, 230}, withVisible ? vis : QImage());
        const QImage shown = w.DisplayLabel->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(240, 320));
        // The thermal gradient's green rises downwards.
        const QRgb mid = shown.pixel(120, 160) & 0xffffff;
        if (mode == 0 || !withVisible)
            QVERIFY(qAbs(qRed(mid) - 136) <= 2 && qAbs(qGreen(mid) - 127) <= 2);
        else if (mode == 1)
            QVERIFY(mid == rgb(230, 230, 230) || mid == rgb(30, 90, 160));
        QVERIFY(saveScreenshot("liveview_" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'), {&w}));
    }
};

QTEST_MAIN(TestLiveView)
#include "tst_liveview.moc"
