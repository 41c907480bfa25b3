// The measurement settings (emissivity, ambient temperature, distance), the
// measurement pop-up's reset and the gain page, driven as a person drives them.
#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/thermalcamerathread.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/livedevice.h"
#include "liveview/measurementrules.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplashScreen>

class TestMeasurementMenus : public QObject {
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<QString>("what");           // e emissivity, d distance, C / F ambient in that unit
        QTest::addColumn<QVector<double>>("step");   // from (ambient: C, F), steps, to (ambient: C, F)
        using V = QVector<double>;
        QTest::newRow("e 0.95 held up clamps") << "e" << V{0.95, 10, 1.00};
        QTest::newRow("e 0.05 held down clamps") << "e" << V{0.05, -10, 0.01};
        QTest::newRow("e 0.99 up") << "e" << V{0.99, 1, 1.00};
        QTest::newRow("d 4.00 up stays") << "d" << V{4.00, 1, 4.00};
        QTest::newRow("d 0.25 held up") << "d" << V{0.25, 10, 0.75};
        QTest::newRow("d 3.90 held up clamps") << "d" << V{3.90, 10, 4.00};
        QTest::newRow("C 45 held up clamps at 50") << "C" << V{45, 113, 10, 50, 122};
        QTest::newRow("C -10 down stays") << "C" << V{-10, 14, -1, -10, 14};
        QTest::newRow("F 14 gives -9 C") << "F" << V{-10, 15, -1, -9, 14};
        QTest::newRow("F 122 held up stays") << "F" << V{50, 122, 10, 50, 122};
        QTest::newRow("F 20 held down clamps at 14") << "F" << V{-7, 20, -10, -9, 14};
    }
    void steps()
    {
        QFETCH(QString, what);
        QFETCH(QVector<double>, step);
        if (what == "C" || what == "F") {
            const measurement::Ambient from{int(step[0]), int(step[1])};
            const measurement::Ambient a = what == "F" ? measurement::stepAmbientFahrenheit(from, int(step[2]))
                                                       : measurement::stepAmbientCelsius(from, int(step[2]));
            QCOMPARE(QVector<double>({double(a.c), double(a.f)}), step.mid(3));
            return;
        }
        const bool distance = what == "d";
        float v = distance ? measurement::stepDistance(float(step[0]), int(step[1]))
                           : measurement::stepEmissivity(float(step[0]), int(step[1]));
        QCOMPARE(measurement::twoDecimals(v), QString::number(step[2], 'f', 2));
        for (int i = 0; i < 37; ++i)   // many small steps never drift off the hundredths
            v = distance ? measurement::stepDistance(v, 1) : measurement::stepEmissivity(v, -1);
        QCOMPARE(measurement::twoDecimals(v).toFloat(), v);
    }

    // ---- the screen ------------------------------------------------------------------------------

    void editingByKeys_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<bool>("held");   // pressed, one repeat, released: 1 + 10 steps
        QTest::addColumn<QStringList>("shownAndStored");
        QTest::addColumn<double>("sent");
        QTest::newRow("emissivity held down")
            << 0 << "C" << int(keycode::Down) << true << QStringList{"0.84", "0.84"} << 0.84;
        QTest::newRow("ambient up in F") << 1 << "F" << int(keycode::Up) << false << QStringList{"78℉ ", "26"} << 26.0;
    }
    void editingByKeys()
    {
        QFETCH(int, row);
        QFETCH(QString, unit);
        QFETCH(int, arrow);
        QFETCH(bool, held);
        QFETCH(QStringList, shownAndStored);
        QFETCH(double, sent);
        LiveDevice d([&](TestBoard &) { config::write(config::Main, "temp_unit", unit); });
        d.boot();
        MeasurementSetMenu &m = *d.w->measurementSetMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy t(&m, &MeasurementSetMenu::updateTempForThermalCamera);
        QSignalSpy s(&m, &MeasurementSetMenu::updateDistanceForThermalCamera);
        QSignalSpy *spies[] = {&e, &t, &s};
        QPushButton *rows[] = {m.pushButton_emissivity, m.pushButton_temp, m.pushButton_distance};
        QLabel *labels[] = {m.label_emissivity, m.label_temp, m.label_distance};
        const char *keys[] = {"emissivity", "ref_temprature_c", "meas_distance"};
        d.openSetting(8);
        QVERIFY(m.isVisible());
        d.press(keycode::Down, row);
        d.press(keycode::Ok);
        for (int i = 0; i < 3; ++i)   // only the focused row is edited
            QCOMPARE(labels[i]->styleSheet().contains("#FF3300"), i == row);
        held ? d.holdOnce(arrow) : d.press(arrow);
        QCOMPARE(m.focusWidget(), rows[row]);   // the arrows changed the value, not the row
        QCOMPARE((QStringList{labels[row]->text(), d.key(keys[row])}), shownAndStored);
        QCOMPARE(e.count() + t.count() + s.count(), 0);   // nothing reaches the camera while editing
        d.press(keycode::Ok);
        QCOMPARE(e.count() + t.count() + s.count(), 1);
        QCOMPARE(spies[row]->count(), 1);
        QCOMPARE(spies[row]->at(0).at(0).toDouble(), row == 1 ? sent : double(float(sent)));
        d.press(keycode::Down);
        QVERIFY(m.focusWidget() != rows[row]);
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

    void emissivityReachesTheCameraAfterTheReveal()
    {
        LiveDevice d([](TestBoard &) { config::write(config::Main, "emissivity", "0.80"); });
        MeasurementSetMenu &m = *d.w->measurementSetMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy t(&m, &MeasurementSetMenu::updateTempForThermalCamera);
        QElapsedTimer clock;
        clock.start();
        emit d.w->bootOkForThermalCamera();
        QCOMPARE(e.count(), 0);
        QVERIFY(e.wait(3000));
        QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(e.at(0).at(0).toFloat(), 0.80f);
        QCOMPARE(t.count(), 0);   // the ambient temperature is not sent at start
        // The calibration page asks for the default emissivity: shown and sent.
        emit d.w->calTempSubMenu->setEmissivityDefault();
        QVERIFY(e.wait(3000));
        QCOMPARE(e.last().at(0).toFloat(), 0.95f);
        QCOMPARE(m.label_emissivity->text(), QStringLiteral("0.95"));
    }

    void factoryReset()
    {
        LiveDevice d([](TestBoard &) {
            for (auto [key, value] : {std::pair{"emissivity", "0.50"},
                                      {"ref_temprature_c", "40"},
                                      {"meas_distance", "3.00"},
                                      {"center_focus", "Yes"},
                                      {"zone", "Yes"},
                                      {"hilo_focus", "No"}})
                config::write(config::Main, key, value);
        });
        Norvik7 &w = *d.w;
        MeasurementSetMenu &m = *w.measurementSetMenu;
        TempSubMenu &pop = *w.tempSubMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy t(&m, &MeasurementSetMenu::updateTempForThermalCamera);
        QSignalSpy s(&m, &MeasurementSetMenu::updateDistanceForThermalCamera);
        emit w.factoryResetSetMenu->factoryResetForSystem();
        QVERIFY(!pop.checkBox->isChecked() && pop.checkBox_2->isChecked() && !pop.checkBox_3->isChecked());
        // The camera gets the factory parameters one after another, a second apart.
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), 1, 5000);
        QCOMPARE(e.count() + t.count(), 2);
        QCOMPARE((QVector<double>{e.at(0).at(0).toFloat(), t.at(0).at(0).toDouble(), s.at(0).at(0).toFloat()}),
                 (QVector<double>{0.95f, 25, 0.25f}));
        QCOMPARE(m.label_temp->text() + d.key("ref_temprature_f"), QStringLiteral("25℃ 77"));
    }

    // ---- the gain page -------------------------------------------------------------------------------

    void gainPage()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        TemperatureScaleSetMenu &g = *w.temperatureScaleSetMenu;
        QSignalSpy gain(&g, &TemperatureScaleSetMenu::updateTempScale);
        QCOMPARE(g.storedChoice(), 1);   // a fresh board: high gain
        // The calibration page toggles to low gain: the page shares that choice.
        w.cameraThread->switchTempGain();
        QCOMPARE(g.storedChoice(), 0);
        QCOMPARE(acqState.temperature_scale.load(), 0);
        d.openSetting(4);
        QVERIFY(g.radioButton->isChecked() && !g.radioButton_2->isChecked());
        QCOMPARE(g.focusWidget(), g.radioButton);
        d.press(keycode::Ok);   // the gain in use: nothing sent, no splash
        QCOMPARE(gain.count(), 0);
        QVERIFY(g.temperatureScaleSwitchDone);
        d.press(keycode::Down);   // to "High gain"
        QElapsedTimer clock;
        clock.start();
        d.press(keycode::Ok);
        QCOMPARE(gain.count(), 1);
        QCOMPARE(gain.at(0).at(0).value<unsigned char>(), 1);
        QCOMPARE(d.key("temperature_scale"), QStringLiteral("high_gain"));
        QCOMPARE(acqState.temperature_scale.load(), 1);
        QVERIFY(!g.temperatureScaleSwitchDone);
        QVERIFY(g.gainSwitchSplash->isVisible() && g.gainSwitchTextSplash->isVisible());
        d.press(keycode::Back);   // while it settles the keys do nothing
        QVERIFY(g.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(g.temperatureScaleSwitchDone, 5000);
        // About 3 s; a coarse timer may fire up to 5 % early.
        QVERIFY2(clock.elapsed() >= 2800, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!g.gainSwitchSplash->isVisible() && !g.gainSwitchTextSplash->isVisible());
        d.press(keycode::Back);
        QVERIFY(!g.isVisible());
    }
};

QTEST_MAIN(TestMeasurementMenus)
#include "tst_measurementmenus.moc"
