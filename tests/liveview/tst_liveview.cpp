// The live view and its pop-ups and settings screens as a person uses them:
// frames in, readouts, markers, cursors, alerts and the picture of each mode
// out; palettes, image modes, measurement settings, the gain page, the
// language and its translations; keys through the key device.
#include "acquisition/acquisitionstate.h"
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "app/menus/mainmenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/imagediff.h"
#include "common/livedevice.h"
#include "core/config.h"
#include "liveview/livesurface.h"
#include "liveview/menus/alignmentdistancemenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/overlaylayer.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

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

// From the live view: OK, then RIGHT `times` to a button of the menu bar, OK.
void openPopup(LiveDevice &d, int times)
{
    d.press(keycode::Ok);
    d.press(keycode::Right, times);
    d.press(keycode::Ok);
}
bool chinese(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

// Every message of a .ts file (context: "source") with what is wrong with its
// translation: "" when it is finished, else its type or "empty".
QList<std::pair<QString, QString>> messages(const QString &path)
{
    QList<std::pair<QString, QString>> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&f);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value("type").toString();
            const bool empty = xml.readElementText().isEmpty();
            out.append({context + ": \"" + source + '"', type.isEmpty() && empty ? QStringLiteral("empty") : type});
        }
    }
    return xml.hasError() ? QList<std::pair<QString, QString>>() : out;
}
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
        Device d;
        Norvik7 &w = *d.w;
        QCheckBox *boxes[] = {w.tempSubMenu->checkBox, w.tempSubMenu->checkBox_2, w.tempSubMenu->checkBox_3};
        const QWidget *marks[] = {w.FocusLabel, w.HighTempLabel, w.Zone};
        const QLabel *values[] = {w.TempLabel, w.MaxTempValueLabel, w.ZoneHighTempValueLabel};
        const QLabel *pictures[] = {w.CenterTempPicLabel, w.MaxTempPicLabel, w.ZoneHighTempPicLabel};
        const QStringList letters{"c", "h", "z"}, names{"centre", "max", "zone"};
        for (QCheckBox *b : boxes)   // all off to start with
            d.tick(b, false);
        for (const QString &c : clicksTickedShown[0].split(' ', Qt::SkipEmptyParts))
            d.tick(boxes[letters.indexOf(c)]);
        d.frame(5, 25.0, 40.0, 10.0, 33.0);
        QStringList ticked, shown;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(marks[i]->isVisible(), boxes[i]->isChecked());
            QCOMPARE(pictures[i]->isVisible(), values[i]->isVisible());
            ticked << (boxes[i]->isChecked() ? letters[i] : QString());
            shown << (values[i]->isVisible() ? names[i] : QString());
        }
        ticked.removeAll(QString());
        shown.removeAll(QString());
        QCOMPARE((QStringList{ticked.join(' '), shown.join(' ')}), clicksTickedShown.mid(1));
        QCOMPARE(d.key("zone") + d.key("center_focus"),
                 QString(ticked.contains("z") ? "Yes" : "No") + (ticked.contains("c") ? "Yes" : "No"));
        QVERIFY(d.board.commands().contains(QStringLiteral("sync")));
        if (shown == QStringList{"zone"}) {
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

    void thresholdsReadBackWithinTheBand()
    {
        // A hand-edited file: out of band, not a number, missing.
        LiveDevice d([](TestBoard &) {
            config::write(config::Main, "high_temp_c", "9000");
            config::write(config::Main, "low_temp_c", "cold");
            config::write(config::Main, "high_temp_f", "");
        });
        d.boot();
        d.openSetting(3);
        QCOMPARE(d.w->hiloAlertSetMenu->label_3->text() + ' ' + d.w->hiloAlertSetMenu->label_4->text(),
                 QStringLiteral("550 20"));
        // Missing keys of a fresh board are written with the factory thresholds.
        QCOMPARE(d.key("high_temp_k") + ' ' + d.key("low_temp_f"), QStringLiteral("403 68"));
    }

    void alertsOnTheScreen_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<float>("max");
        QTest::addColumn<float>("min");
        QTest::addColumn<bool>("zone");
        QTest::addColumn<QString>("shown");   // high, low
        QTest::newRow("C high exactly at the threshold") << false << 130.0f << 25.0f << false << "high";
        QTest::newRow("C high just below") << false << 129.9f << 25.0f << false << "";
        QTest::newRow("F high exactly at the threshold") << true << 130.0f << 25.0f << false << "high";
        QTest::newRow("C low at the threshold") << false << 25.0f << 20.0f << false << "low";
        QTest::newRow("C low above") << false << 25.0f << 20.1f << false << "";
        QTest::newRow("C low below while the zone is ticked") << false << 25.0f << -5.0f << true << "";
        QTest::newRow("F low: a Celsius comparison, above") << true << 25.0f << 21.0f << false << "";
    }
    void alertsOnTheScreen()
    {
        // The high alert blinks with the output, frame by frame; the low one is steady and leaves it low.
        QFETCH(bool, fahrenheit);
        QFETCH(float, max);
        QFETCH(float, min);
        QFETCH(bool, zone);
        QFETCH(QString, shown);
        LiveDevice d([](TestBoard &) {
            for (const char *key : {"high_alert", "low_alert"})
                config::write(config::Main, key, "On");
            config::write(config::Main, "high_temp_c", "130");
            config::write(config::Main, "low_temp_c", "20");
            config::write(config::Main, "low_temp_f", "68");
        });
        d.boot();
        Norvik7 &w = *d.w;
        w.tempSubMenu->checkBox_3->setChecked(zone);
        if (fahrenheit)
            w.temperatureUnitSetMenu->radioButton_2->click();
        HiLoAlertSetMenu::led_on = 0;
        d.board.write("/sim/gpio/1", "0");
        for (int frame = 0; frame < 4; ++frame) {
            w.evaluateAlerts(max, min);
            const bool high = shown == "high" && frame % 2 == 0, low = shown == "low";
            QCOMPARE((QVector<bool>{w.HighAlertLabel->isVisible(), w.HighAlertTextLabel->isVisible(),
                                    w.LowAlertLabel->isVisible(), w.LowAlertTextLabel->isVisible()}),
                     (QVector<bool>{high, high, low, low}));
            QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), high ? QByteArray("1") : QByteArray("0"));
            if ((high || low) && frame == 0 && !fahrenheit)
                QVERIFY(saveScreenshot(high ? "liveview_high_alert" : "liveview_low_alert", {&w}));
        }
        // Switched off in the menu during an alarm: everything goes dark.
        w.hiloAlertSetMenu->radioButton_2->click();
        w.evaluateAlerts(max, min);
        QVERIFY(!w.HighAlertLabel->isVisible());
        QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), QByteArray("0"));
    }

    void factoryReset()
    {
        LiveDevice d([](TestBoard &) {
            for (auto [key, value] : {std::pair{"high_alert", "On"},
                                      {"low_alert", "On"},
                                      {"temp_unit", "F"},
                                      {"emissivity", "0.50"},
                                      {"ref_temprature_c", "40"},
                                      {"meas_distance", "3.00"},
                                      {"center_focus", "Yes"},
                                      {"zone", "Yes"},
                                      {"hilo_focus", "No"}})
                config::write(config::Main, key, value);
        });
        d.boot();
        Norvik7 &w = *d.w;
        HiLoAlertSetMenu &a = *w.hiloAlertSetMenu;
        MeasurementSetMenu &m = *w.measurementSetMenu;
        TempSubMenu &pop = *w.tempSubMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy t(&m, &MeasurementSetMenu::updateTempForThermalCamera);
        QSignalSpy s(&m, &MeasurementSetMenu::updateDistanceForThermalCamera);
        emit w.factoryResetSetMenu->factoryResetForSystem();
        QVERIFY(a.radioButton_2->isChecked() && !a.radioButton->isChecked());
        QVERIFY(a.radioButton_4->isChecked() && !a.radioButton_3->isChecked());
        QCOMPARE((QStringList{a.label_3->text(), a.label_4->text(), a.label_6->text(), d.key("high_alert"),
                              d.key("low_alert")}),
                 (QStringList{"130", "20", "℃ ", "Off", "Off"}));
        QVERIFY(!pop.checkBox->isChecked() && pop.checkBox_2->isChecked() && !pop.checkBox_3->isChecked());
        // The camera gets the factory parameters one after another, a second apart.
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), 1, 5000);
        QCOMPARE(e.count() + t.count(), 2);
        QCOMPARE((QVector<double>{e.at(0).at(0).toFloat(), t.at(0).at(0).toDouble(), s.at(0).at(0).toFloat()}),
                 (QVector<double>{0.95f, 25, 0.25f}));
        QCOMPARE(m.label_temp->text() + d.key("ref_temprature_f"), QStringLiteral("25℃ 77"));
    }

    void valuesReadBackAreClamped_data()
    {
        QTest::addColumn<QStringList>("stored");   // emissivity, ambient, distance
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("far out of range") << QStringList{"7", "900", "-3"} << QStringList{"1.00", "50℃ ", "0.25 m"};

        QTest::newRow("not numbers keep the defaults")
            << QStringList{"high", "warm", "far"} << QStringList{"0.95", "25℃ ", "0.25 m"};
    }
    void valuesReadBackAreClamped()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, shown);
        LiveDevice d([&](TestBoard &) {
            config::write(config::Main, "emissivity", stored[0]);
            config::write(config::Main, "ref_temprature_c", stored[1]);
            config::write(config::Main, "meas_distance", stored[2]);
        });
        MeasurementSetMenu &m = *d.w->measurementSetMenu;
        QCOMPARE((QStringList{m.label_emissivity->text(), m.label_temp->text(), m.label_distance->text()}), shown);
        // What the camera gets is the clamped value too.
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy s(&m, &MeasurementSetMenu::updateDistanceForThermalCamera);
        m.initMeasurementsOfEmissivity();
        m.initMeasurementsOfDistance();
        QCOMPARE(QString::number(e.at(0).at(0).toDouble(), 'f', 2), shown[0]);
        QCOMPARE(QString::number(s.at(0).at(0).toDouble(), 'f', 2) + " m", shown[2]);
    }

    void palettePreviewFallsBackOnClosingAndIsKeptWithOk()
    {
        LiveDevice d;
        d.boot();
        ColorSubMenu &c = *d.w->colorSubMenu;
        openPopup(d, 1);
        QCOMPARE(c.focusWidget(), c.radioButton);   // Iron, the ticked one
        d.press(keycode::Down, 5);                  // Lava, previewed
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 6, 1000);
        d.press(keycode::Back);
#ifdef NORVIK7_UNDER_EMULATION
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 1, 500);   // a processor emulated is slower
#else
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 1, 260);
#endif
        QCOMPARE(d.key("color"), QStringLiteral("Iron"));
        // Opened again, moved and confirmed: kept after the preview time too.
        d.press(keycode::Ok);
        d.press(keycode::Down, 6);   // Rainbow HC
        d.press(keycode::Ok);
        QVERIFY(!c.isVisible() && c.radioButton_7->isChecked());
        QCOMPARE(d.key("color"), QStringLiteral("RainbowHC"));
        QTest::qWait(2 * ColorSubMenu::kPreviewMs);
        QCOMPARE(acqState.paletteNumber.load(), 7);
        d.w->updateMaxMinTempColorMap();
        QVERIFY(d.w->ColorStatusLabel->styleSheet().contains(":/images/colormap_RainBowHC.png"));
    }

    void colourBarPicturesAreThePaletteTables_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("picture");
        const char *files[] = {"Iron", "RainBow", "grayscale", "chamo", "blackhot", "Lava", "RainBowHC"};
        for (int n = 1; n <= 7; ++n)
            QTest::newRow(palettes::byNumber(n)->label)
                << n << QStringLiteral(":/images/colormap_%1.png").arg(QLatin1String(files[n - 1]));
    }
    void colourBarPicturesAreThePaletteTables()
    {
        QFETCH(int, number);
        QFETCH(QString, picture);
        const QImage bar = QImage(picture).convertToFormat(QImage::Format_RGB888);
        QVERIFY(!bar.isNull());
        QCOMPARE(bar.height(), 256);
        const Palette *p = palettes::byNumber(number);
        const framepath::Rgb888Table t = framepath::expand(*p->table, p->inverted);
        // Hottest at the top, every entry of the live picture's table on its row.
        for (int y = 0; y < 256; ++y) {
            const QColor got = bar.pixelColor(bar.width() / 2, y);
            const uint8_t *want = t.rgb[255 - y];
            QVERIFY2(got.red() == want[0] && got.green() == want[1] && got.blue() == want[2],
                     qPrintable(QStringLiteral("row %1").arg(y)));
        }
    }

    void storedLanguageAtStart_data()
    {
        QTest::addColumn<QString>("stored");   // empty: a fresh board
        QTest::addColumn<bool>("inChinese");
        QTest::newRow("fresh board") << "" << true;
        QTest::newRow("English") << "English" << false;
        QTest::newRow("unknown text") << "Klingon" << true;
    }
    void storedLanguageAtStart()
    {
        QFETCH(QString, stored);
        QFETCH(bool, inChinese);
        LiveDevice d([&](TestBoard &b) {
            b.remove("/root/Norvik7_config.ini");   // as the product finds a fresh board
            if (!stored.isEmpty())
                config::write(config::Main, "language", stored);
        });
        Norvik7 &w = *d.w;
        QCOMPARE(translator != nullptr, inChinese);
        QCOMPARE(chinese(w.measurementSetMenu->titleLabel->text()), inChinese);
        QCOMPARE(d.key("language"), inChinese ? QStringLiteral("Chinese") : QStringLiteral("English"));
        QCOMPARE(w.languageSetSubMenu->radioButton_2->isChecked(), inChinese);
        if (!stored.isEmpty())
            return;
        // Switched by keys and back: one translator at a time, none left behind.
        d.boot();
        d.openSetting(0);
        for (bool english : {true, false, true}) {
            d.press(english ? keycode::Up : keycode::Down);
            d.press(keycode::Ok);
            QCOMPARE(d.key("language") + (translator ? "+" : "-"), english ? "English-" : "Chinese+");
            QCOMPARE(chinese(w.measurementSetMenu->label_distance->text()), !english);
        }
    }

    // Every text the sources and forms give to tr() (what lupdate extracts) has
    // a finished Chinese translation, and the shipped files hold no unfinished,
    // empty or obsolete one.
    void everyShownTextIsTranslated()
    {
        const QString src = QStringLiteral(NORVIK7_SOURCE_DIR);
        QTemporaryDir tmp;
        const QString extracted = tmp.filePath(QStringLiteral("extracted.ts"));
        QStringList args{"-silent", "-locations", "none"};
        for (const char *dir :
             {"app", "acquisition", "board", "calibration", "connectivity", "liveview", "media", "settings", "ui"})
            args << src + '/' + QLatin1String(dir);
        QProcess lupdate;
        lupdate.start(QStringLiteral(NORVIK7_LUPDATE), args << "-ts" << extracted);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QStringList problems;
        QSet<QString> finished;
        const QFileInfoList shipped = QDir(src + "/resources/translations").entryInfoList({"ChineseSimplified*.ts"});
        QVERIFY(!shipped.isEmpty());
        for (const QFileInfo &ts : shipped)
            for (const auto &[message, problem] : messages(ts.filePath()))
                if (problem.isEmpty())
                    finished.insert(message);
                else
                    problems << ts.fileName() + ": " + message + ' ' + problem;
        const auto wanted = messages(extracted);
        QVERIFY(!wanted.isEmpty() && !finished.isEmpty());
        for (const auto &m : wanted)
            if (!finished.contains(m.first))
                problems << "no translation: " + m.first;
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
};

QTEST_MAIN(TestLiveView)
#include "tst_liveview.moc"
