// The live view as a person sees it: frames in, readouts, markers, cursors
// and the picture of each image mode out; keys through the key device.
// The infrared module is absent, so the frames are only those the test sends.
#include "acquisition/liveframe.h"
#include "core/config.h"
#include "liveview/menus/alignmentdistancemenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/imagediff.h"
#include "common/livedevice.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/livesurface.h"
#include "liveview/overlaylayer.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>

namespace {

// Colours compared without their alpha.
QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xffffff; }

uint16_t raw(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16.0)); }

QImage flatPicture(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor::fromRgb(c));
    return img;
}

// A 192 x 256 thermal picture: a gradient, so the picture of each mode can be looked at.
QImage thermalPicture()
{
    QImage img(192, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 192; ++x)
            img.setPixel(x, y, rgb(x + 40, (y * 255) / 256, 60));
    return img;
}

QImage visiblePicture()
{
    QImage img(264, 352, QImage::Format_RGB888);
    for (int y = 0; y < 352; ++y)
        for (int x = 0; x < 264; ++x)
            img.setPixel(x, y, ((x / 22 + y / 22) % 2) ? rgb(230, 230, 230) : rgb(30, 90, 160));
    return img;
}

// Publishes a frame whose every word is `word` except the centre.
void publishFrame(uint16_t word, uint16_t centre)
{
    uint16_t *t = liveframe::thermalBack();
    uint8_t *g = liveframe::grayBack();
    for (int i = 0; i < kLiveSamples; ++i) {
        t[i] = word;
        g[i] = static_cast<uint8_t>(word);
    }
    t[128 * kLiveCols + 96] = centre;
    liveframe::publish();
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
    void frame(int counter, double centre, double max, double min, double zone, QPoint maxAt = {96, 100},
               QPoint minAt = {10, 200}, const QImage &visible = QImage()) const
    {
        w->updateMaxMinTemp(maxAt.y(), maxAt.x(), minAt.y(), minAt.x(), counter);
        w->updateZoneMaxMinTemp(100, 96, 120, 80, counter);
        w->updateThermalCameraImage(thermalPicture(), visible, raw(centre), raw(max), raw(min), raw(zone), counter);
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
        if (!w.tempSubMenu->checkBox_2->isChecked())
            w.tempSubMenu->checkBox_2->click();
        for (int counter = 1; counter <= 4; ++counter)
            d.frame(counter, 25.0, 40.0, 10.0, 30.0);
        QVERIFY(viewState.max_temp.isEmpty());
        // The hot spot at column 5 pins its marker to the left edge; the cold one's text goes left of it.
        d.frame(5, 25.0, 40.0, 10.0, 30.0, QPoint(5, 100), QPoint(150, 3));
        QCOMPARE(w.TempLabel->text(), QStringLiteral("25.0\u2103 "));
        QCOMPARE(w.MaxTempValueLabel->text(), QStringLiteral("40.0\u2103 "));
        QCOMPARE(w.MaxTempLabel->text(), QStringLiteral("40.0"));
        QCOMPARE(w.MinTempLabel->text(), QStringLiteral("10.0"));
        QCOMPARE(w.HighTempTextLabel->text(), QStringLiteral("40.0"));
        QCOMPARE(w.LowTempTextLabel->text(), QStringLiteral("10.0"));
        QCOMPARE(viewState.max_temp, QStringLiteral("40.0"));
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

        // A flat frame shows zero everywhere.
        d.frame(15, 33.0, 33.0, 33.0, 33.0);
        QCOMPARE(w.MaxTempValueLabel->text(), QStringLiteral("0.0\u2103 "));
    }

    void readoutsInFahrenheitAndTheServerReading()
    {
        Device d;
        Norvik7 &w = *d.w;
        config::write(config::Main, QStringLiteral("high_temp_c"), QStringLiteral("130"));
        QSignalSpy server(&w, &Norvik7::sendMaxTempToTcpserver);
        d.frame(5, 21.3, 36.5, 10.0, 30.0);
        QCOMPARE(server.count(), 1);
        QVERIFY(qAbs(server.at(0).at(0).toFloat() - 36.525f) < 0.01f);   // frame maximum, zone not shown
        QVERIFY(qAbs(server.at(0).at(1).toFloat() - 130.05f) < 0.01f);
        // The client gets the threshold the alert uses: kept within its band,
        // the factory one when there is none.
        for (const auto &[stored, sent] : {std::pair{"600", 550.05f}, {"", 130.05f}}) {
            config::write(config::Main, QStringLiteral("high_temp_c"), QString::fromLatin1(stored));
            d.frame(5, 21.3, 36.5, 10.0, 30.0);
            QVERIFY2(qAbs(server.last().at(1).toFloat() - sent) < 0.01f, stored);
        }
        config::write(config::Main, QStringLiteral("high_temp_c"), QStringLiteral("130"));
        server.clear();

        w.temperatureUnitSetMenu->radioButton_2->click();
        QVERIFY(w.temperatureUnitSetMenu->radioButton_2->isChecked());
        d.frame(10, 21.3, 36.5, 10.0, 30.0);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("70.4\u2109 "));
        QCOMPARE(server.count(), 1);
        QVERIFY(qAbs(server.at(0).at(1).toFloat() - 266.05f) < 0.01f);

        // Neither unit checked: nothing published, nothing sent.
        w.temperatureUnitSetMenu->radioButton->setAutoExclusive(false);
        w.temperatureUnitSetMenu->radioButton_2->setAutoExclusive(false);
        w.temperatureUnitSetMenu->radioButton->setChecked(false);
        w.temperatureUnitSetMenu->radioButton_2->setChecked(false);
        d.frame(15, 50.0, 60.0, 10.0, 30.0);
        QCOMPARE(server.count(), 1);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("70.4\u2109 "));
    }

    void measurementOptions_data()
    {
        // Boxes ticked in this order (c centre, h hot/cold, z zone); what shows after.
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("shown");   // readouts
        QTest::newRow("zone turns centre and hot/cold off") << "c h z"
                                                            << "z"
                                                            << "zone";
        QTest::newRow("centre turns the zone off") << "z c"
                                                   << "c"
                                                   << "centre";
        QTest::newRow("centre and hot/cold together") << "z c h"
                                                      << "c h"
                                                      << "centre max";
        QTest::newRow("hot/cold alone") << "z h"
                                        << "h"
                                        << "max";
        QTest::newRow("none ticked: the centre readout") << ""
                                                         << ""
                                                         << "centre";
    }
    void measurementOptions()
    {
        QFETCH(QString, clicks);
        QFETCH(QString, ticked);
        QFETCH(QString, shown);
        Device d;
        Norvik7 &w = *d.w;
        QCheckBox *boxes[] = {w.tempSubMenu->checkBox, w.tempSubMenu->checkBox_2, w.tempSubMenu->checkBox_3};
        const QString letters = QStringLiteral("chz");
        for (QCheckBox *b : boxes)   // all off to start with
            if (b->isChecked())
                b->click();
        for (const QString &c : clicks.split(' ', Qt::SkipEmptyParts))
            if (!boxes[letters.indexOf(c)]->isChecked())
                boxes[letters.indexOf(c)]->click();
        QStringList got;
        for (int i = 0; i < 3; ++i)
            if (boxes[i]->isChecked())
                got << letters.mid(i, 1);
        QCOMPARE(got.join(' '), ticked);
        QCOMPARE(w.FocusLabel->isVisible(), ticked.contains('c'));
        QCOMPARE(w.HighTempLabel->isVisible(), ticked.contains('h'));
        QCOMPARE(w.Zone->isVisible(), ticked.contains('z'));
        QCOMPARE(d.key("zone"), ticked.contains('z') ? QStringLiteral("Yes") : QStringLiteral("No"));
        QCOMPARE(d.key("center_focus"), ticked.contains('c') ? QStringLiteral("Yes") : QStringLiteral("No"));
        QVERIFY(d.board.commands().contains(QStringLiteral("sync")));

        d.frame(5, 25.0, 40.0, 10.0, 33.0);
        QStringList readouts;
        if (w.TempLabel->isVisible())
            readouts << "centre";
        if (w.MaxTempValueLabel->isVisible())
            readouts << "max";
        if (w.ZoneHighTempValueLabel->isVisible())
            readouts << "zone";
        QCOMPARE(readouts.join(' '), shown);
        QCOMPARE(w.CenterTempPicLabel->isVisible(), shown.contains("centre"));
        QCOMPARE(w.MaxTempPicLabel->isVisible(), shown.contains("max"));
        QCOMPARE(w.ZoneHighTempPicLabel->isVisible(), shown.contains("zone"));
        if (shown == QLatin1String("zone")) {
            QCOMPARE(w.ZoneHighTempValueLabel->text(), QStringLiteral("33.0\u2103 "));
            // The zone marker sits on the zone's hottest point.
            QCOMPARE(w.ZoneHighTempLabel->geometry(), QRect(109, 114, 22, 22));
        }
    }

    void frozenPictureFreezesEverything()
    {
        Device d;
        Norvik7 &w = *d.w;
        d.frame(5, 25.0, 40.0, 10.0, 30.0);
        const QImage before = w.DisplayLabel->pixmap().toImage();
        const QPoint marker = w.HighTempLabel->pos();
        viewState.saveImageEnable.store(true);
        w.updateMaxMinTemp(200, 150, 10, 10, 10);
        w.updateThermalCameraImage(flatPicture(192, 256, rgb(255, 0, 0)), QImage(), raw(90), raw(99), raw(1), raw(50),
                                   10);
        QCOMPARE(w.DisplayLabel->pixmap().toImage(), before);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("25.0\u2103 "));
        QCOMPARE(w.HighTempLabel->pos(), marker);
        viewState.saveImageEnable.store(false);
        w.updateThermalCameraImage(flatPicture(192, 256, rgb(255, 0, 0)), QImage(), raw(90), raw(99), raw(1), raw(50),
                                   15);
        QVERIFY(w.DisplayLabel->pixmap().toImage() != before);
    }

    // What is on the screen (the window's backing store) while frames come, when
    // an overlay changes between frames and after frames stop, against the window
    // drawn whole the ordinary way.
    void screenShowsEveryOverlayWhetherFramesComeOrNot()
    {
        Device d;
        Norvik7 &w = *d.w;
        auto onScreen = [&] {
            QCoreApplication::processEvents();
            return w.screen()->grabWindow(w.winId(), 0, 0, 240, 320).toImage().convertToFormat(QImage::Format_RGB32);
        };
        auto drawnWhole = [&] {
            w.repaint();
            return onScreen();
        };
        // Readouts of every kind: the centre one at 0.8, markers, the colour bar's ends, a cursor.
        if (!w.tempSubMenu->checkBox->isChecked())
            w.tempSubMenu->checkBox->click();
        if (!w.cursorSubMenu->checkBox_3->isChecked())
            w.cursorSubMenu->checkBox_3->click();
        for (int counter = 1; counter <= 5; ++counter)
            d.frame(counter, 25.0, 40.0, 10.0, 30.0);
        QVERIFY(w.liveSurface->isLive());
        QVERIFY(w.TempLabel->isVisible());
        const QImage live = onScreen();

        // A readout changed between frames shows with the next frame.
        w.MaxTempLabel->setText(QStringLiteral("77.7"));
        d.frame(6, 25.0, 40.0, 10.0, 30.0);
        const QImage changedLive = onScreen();
        QVERIFY(changedLive != live);

        // Frames stop (a capture holds the picture): the screen is the same as
        // the window drawn whole, and a change now shows at once.
        QTRY_VERIFY(!w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(onScreen(), changedLive) <= 2);
        QVERIFY(largestChannelDifference(drawnWhole(), changedLive) <= 2);
        w.MaxTempLabel->setText(QStringLiteral("12.3"));
        w.FocusLabel->hide();
        const QImage changedStill = onScreen();
        QVERIFY(largestChannelDifference(changedStill, changedLive) > 2);
        QVERIFY(largestChannelDifference(drawnWhole(), changedStill) <= 2);

        // Frames again: the same picture on the screen as drawn the ordinary way.
        d.frame(7, 25.0, 40.0, 10.0, 30.0);
        QVERIFY(w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(onScreen(), changedStill) <= 2);
        QVERIFY(largestChannelDifference(w.grab(QRect(0, 0, 240, 320)).toImage().convertToFormat(QImage::Format_RGB32),
                                         changedStill) <= 2);
    }

    // The overlays' stacking order while frames come: a raise, a lower, one
    // added and one destroyed all show with the next frame.
    void stackingChangesShowWhileFramesCome()
    {
        Device d;
        Norvik7 &w = *d.w;
        QWidget *parent = w.DisplayLabel->parentWidget();
        auto square = [&](const char *colour) {
            auto *l = new QLabel(parent);
            l->setGeometry(100, 150, 20, 20);
            l->setStyleSheet(QStringLiteral("background-color: %1;").arg(QLatin1String(colour)));
            new OverlayLayer(l);
            l->show();
            return l;
        };
        auto atSquare = [&] {
            QCoreApplication::processEvents();
            return w.screen()->grabWindow(w.winId(), 0, 0, 240, 320).toImage().pixel(110, 160) & 0xffffff;
        };
        d.frame(1, 25.0, 40.0, 10.0, 30.0);
        QLabel *red = square("rgb(255, 0, 0)");
        QLabel *blue = square("rgb(0, 0, 255)");
        d.frame(2, 25.0, 40.0, 10.0, 30.0);
        QVERIFY(w.liveSurface->isLive());
        QCOMPARE(atSquare(), rgb(0, 0, 255));
        red->raise();
        d.frame(3, 25.0, 40.0, 10.0, 30.0);
        QCOMPARE(atSquare(), rgb(255, 0, 0));
        delete red;
        d.frame(4, 25.0, 40.0, 10.0, 30.0);
        QCOMPARE(atSquare(), rgb(0, 0, 255));
        // Below the picture it is hidden by it.
        blue->lower();
        d.frame(5, 25.0, 40.0, 10.0, 30.0);
        const QRgb picture = atSquare();
        QVERIFY(picture != rgb(0, 0, 255) && picture != rgb(255, 0, 0));
        QCOMPARE(picture, w.DisplayLabel->pixmap().toImage().pixel(110, 160) & 0xffffff);
        delete blue;
    }

    void freezingStopsTheAlertOutput()
    {
        Device d;
        Norvik7 &w = *d.w;
        // A high alert blinking with its output high when the trigger freezes the picture.
        HiLoAlertSetMenu::led_on = 1;
        w.gpio_set_value(w.gpioFd, 1, 1);
        QCOMPARE(d.board.read(QStringLiteral("/sim/gpio/1")).trimmed(), QByteArray("1"));
        d.press(keycode::Trigger);
        QVERIFY(viewState.saveImageEnable.load());
        QCOMPARE(d.board.read(QStringLiteral("/sim/gpio/1")).trimmed(), QByteArray("0"));
        QCOMPARE(HiLoAlertSetMenu::led_on, 0);
        d.press(keycode::Back);   // cancel
        QVERIFY(!viewState.saveImageEnable.load());
    }

    void snapshotsKeepOneWholeDisplayedFrame()
    {
        Device d;
        std::fill(std::begin(viewState.irThermalRaw), std::end(viewState.irThermalRaw), uint16_t(0));
        std::fill(std::begin(viewState.irGrayRaw), std::end(viewState.irGrayRaw), uint8_t(0));
        publishFrame(3000, 4000);
        d.frame(1, 25.0, 40.0, 10.0, 30.0);   // its centre is not the published one: nothing kept
        QCOMPARE(viewState.irThermalRaw[0], uint16_t(0));
        publishFrame(3000, raw(25.0));
        d.frame(2, 25.0, 40.0, 10.0, 30.0);
        QCOMPARE(viewState.irThermalRaw[0], uint16_t(3000));
        QCOMPARE(viewState.irThermalRaw[128 * 192 + 96], raw(25.0));
        QCOMPARE(viewState.irGrayRaw[0], uint8_t(3000 & 0xff));
        // A newer frame than the one on the screen leaves both snapshots as they were.
        publishFrame(3100, 4100);
        d.frame(3, 25.0, 40.0, 10.0, 30.0);
        QCOMPARE(viewState.irThermalRaw[0], uint16_t(3000));
        QCOMPARE(viewState.irGrayRaw[0], uint8_t(3000 & 0xff));
    }

    void cursorsByKeys()
    {
        Device d;
        Norvik7 &w = *d.w;
        // A spot of 21.3 degrees under the centre, 100 elsewhere.
        for (int i = 0; i < kLiveSamples; ++i)
            viewState.irThermalRaw[i] = raw(100.0);
        viewState.irThermalRaw[128 * 192 + 96] = raw(21.3);

        w.cursorSubMenu->checkBox_3->click();   // cursor 1
        w.cursorSubMenu->checkBox_5->click();   // then cursor 3: it is the active one
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
        // Held: ten pixels a repeat, and never past the right edge.
        d.record(keycode::Right, 1);
        for (int i = 0; i < 14; ++i)
            d.record(keycode::Right, 2);
        d.record(keycode::Right, 0);
        QCOMPARE(w.MoveCursorThreeLabel->pos(), QPoint(223, 144));
        QCOMPARE(w.MoveCursorThreeTextLabel->pos(), QPoint(183, 166));
        d.press(keycode::Left, 2);
        QCOMPARE(w.MoveCursorThreeLabel->pos(), QPoint(221, 144));

        // In Fahrenheit the cursor shows 70.3 where the readouts would show 70.4.
        w.temperatureUnitSetMenu->radioButton_2->click();
        w.MoveCursorThreeLabel->move(104, 144);
        w.autoUpdateMoveCursorThreeSpotTemp();
        QCOMPARE(w.MoveCursorThreeTextLabel->text(), QStringLiteral("70.3"));

        // Unticking cursor 3 leaves cursor 1 shown but not movable.
        w.cursorSubMenu->checkBox_5->click();
        QVERIFY(!w.MoveCursorThreeLabel->isVisible());
        QCOMPARE(d.key("move_cursor_3"), QStringLiteral("No"));
        d.press(keycode::Down);
        QCOMPARE(w.MoveCursorOneLabel->pos(), QPoint(104, 144));
    }

    void transparencyKeys_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");   // r right, l left
        QTest::addColumn<int>("trans");
        QTest::addColumn<int>("pipTrans");
        QTest::addColumn<bool>("written");
        QTest::newRow("fusion to 0") << 2 << 50 << "l l l" << 0 << 100 << true;
        QTest::newRow("fusion stops at 100") << 2 << 75 << "r r" << 100 << 100 << true;
        QTest::newRow("pip stops at 25") << 3 << 50 << "l l l l" << 50 << 25 << true;
        QTest::newRow("thermal: nothing") << 0 << 50 << "r" << 50 << 100 << false;
    }
    void transparencyKeys()
    {
        QFETCH(int, mode);
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(int, trans);
        QFETCH(int, pipTrans);
        QFETCH(bool, written);
        Device d;
        Norvik7 &w = *d.w;
        config::write(config::Main, QStringLiteral("trans"), QStringLiteral("0"));
        viewState.trans = start;
        viewState.pipTrans = 100;
        acqState.image_mode.store(mode);
        for (const QString &k : keys.split(' '))
            d.press(k == QLatin1String("r") ? keycode::Right : keycode::Left);
        QCOMPARE(viewState.trans, trans);
        QCOMPARE(viewState.pipTrans, pipTrans);
        if (written) {
            QCOMPARE(d.key("trans"), QString::number(trans));
            QCOMPARE(d.key("piptrans"), QString::number(pipTrans));
            QVERIFY(w.menuTipsLabel->isVisible());
            QCOMPARE(w.menuTipsLabel->text(), QString::number(mode == 2 ? trans : pipTrans) + '%');
            QTRY_VERIFY_WITH_TIMEOUT(!w.menuTipsLabel->isVisible(), 2000);
        } else {
            QCOMPARE(d.key("trans"), QStringLiteral("0"));
        }
    }

    void alignmentMovesAndSave()
    {
        Device d;
        Norvik7 &w = *d.w;
        viewState.vlcPostX = 70;
        viewState.vlcPostY = 1;
        w.imageMoveToLeft();
        w.imageMoveToLeft();
        w.imageMoveToDown();
        QCOMPARE(viewState.vlcPostX, 72);
        QCOMPARE(viewState.vlcPostY, 0);
        w.imageMoveToRight();
        w.imageMoveToUp();
        QCOMPARE(viewState.vlcPostX, 70);
        QCOMPARE(viewState.vlcPostY, 2);
        w.imageMoveToSave();
        QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), 70);
        QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_y")), 2);
    }

    void overridesWhileAligningOrCalibrating()
    {
        Device d;
        Norvik7 &w = *d.w;
        const QImage vis = flatPicture(264, 352, rgb(0, 0, 200));
        w.alignmentDistanceMenu->show();
        d.frame(1, 25, 40, 10, 30, {96, 100}, {10, 200}, vis);
        QCOMPARE(acqState.image_mode.load(), 2);
        // Half and half whatever trans says.
        viewState.trans = 100;
        w.updateThermalCameraImage(flatPicture(192, 256, rgb(200, 0, 0)), vis, raw(25), raw(40), raw(10), raw(30), 2);
        QCOMPARE(w.DisplayLabel->pixmap().toImage().pixel(120, 160) & 0xffffff, rgb(100, 0, 100));
        w.alignmentDistanceMenu->hide();
        d.frame(3, 25, 40, 10, 30);
        QCOMPARE(acqState.image_mode.load(), 2);   // it stays a blend

        // The temperature calibration page: thermal, centre spot on, hot/cold off, and its status lines.
        if (!w.tempSubMenu->checkBox_2->isChecked())
            w.tempSubMenu->checkBox_2->click();
        w.calTempSubMenu->show();
        d.frame(4, 36.5, 40, 10, 30);
        QCOMPARE(acqState.image_mode.load(), 0);
        QVERIFY(w.tempSubMenu->checkBox->isChecked());
        QVERIFY(!w.tempSubMenu->checkBox_2->isChecked());
        QVERIFY(w.FocusLabel->isVisible());
        QCOMPARE(w.calTempSubMenu->BBTempLabel->text(), QStringLiteral("Temp:36.5\u2103 "));
    }

    void combinationsLeaveTheFocusOfTheScreenTheyOpen_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("pressed");
        QTest::newRow("LEFT with RIGHT: upgrade") << int(keycode::Right) << int(keycode::Left);
        QTest::newRow("UP with DOWN: temperature calibration") << int(keycode::Down) << int(keycode::Up);
    }
    void combinationsLeaveTheFocusOfTheScreenTheyOpen()
    {
        QFETCH(int, held);
        QFETCH(int, pressed);
        Device d;
        Norvik7 &w = *d.w;
        d.hold(held);
        d.repeat(held);
        d.press(pressed);
        d.release(held);
        if (pressed == keycode::Left) {
            QVERIFY(w.upgradeSubMenu->isVisible());
            QCOMPARE(w.upgradeSubMenu->focusWidget(), static_cast<QWidget *>(w.upgradeSubMenu->buttons().value(0)));
        } else {
            QVERIFY(w.calTempSubMenu->isVisible());
            QCOMPARE(w.calTempSubMenu->focusWidget(), static_cast<QWidget *>(w.calTempSubMenu->pushButton_5));
        }
    }

    void eachModeOnScreen_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("withVisible");
        QTest::newRow("thermal") << 0 << true;
        QTest::newRow("digital") << 1 << true;
        QTest::newRow("fusion") << 2 << true;
        QTest::newRow("pip") << 3 << true;
        QTest::newRow("digital without a visible picture") << 1 << false;
    }
    void eachModeOnScreen()
    {
        QFETCH(int, mode);
        QFETCH(bool, withVisible);
        Device d;
        Norvik7 &w = *d.w;
        acqState.image_mode.store(mode);
        viewState.trans = 50;
        viewState.pipTrans = 50;
        if (!w.tempSubMenu->checkBox_2->isChecked())
            w.tempSubMenu->checkBox_2->click();
        d.frame(5, 24.6, 38.2, 12.9, 30.0, {150, 40}, {20, 230}, withVisible ? visiblePicture() : QImage());
        const QImage shown = w.DisplayLabel->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(240, 320));
        // The thermal gradient's green rises downwards; the visible picture is a checkerboard.
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
