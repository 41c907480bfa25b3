// The measurement settings (emissivity, ambient temperature, distance), the
// measurement pop-up's reset and the gain page, driven as a person drives them.
#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/thermalcamerathread.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/measurementrules.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "common/livedevice.h"
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
    void emissivityAndDistanceSteps_data()
    {
        QTest::addColumn<bool>("distance");
        QTest::addColumn<float>("from");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("e 0.95 held up clamps") << false << 0.95f << 10 << "1.00";
        QTest::newRow("e 0.05 held down clamps") << false << 0.05f << -10 << "0.01";
        QTest::newRow("e 0.99 up") << false << 0.99f << 1 << "1.00";
        QTest::newRow("d 4.00 up stays") << true << 4.00f << 1 << "4.00";
        QTest::newRow("d 0.25 held up") << true << 0.25f << 10 << "0.75";
        QTest::newRow("d 3.90 held up clamps") << true << 3.90f << 10 << "4.00";
    }
    void emissivityAndDistanceSteps()
    {
        QFETCH(bool, distance);
        QFETCH(float, from);
        QFETCH(int, steps);
        QFETCH(QString, shown);
        float v = distance ? measurement::stepDistance(from, steps) : measurement::stepEmissivity(from, steps);
        QCOMPARE(measurement::twoDecimals(v), shown);
        // Many small steps never drift off the hundredths.
        for (int i = 0; i < 37; ++i)
            v = distance ? measurement::stepDistance(v, 1) : measurement::stepEmissivity(v, -1);
        QCOMPARE(measurement::twoDecimals(v).toFloat(), v);
    }

    void ambientSteps_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("newC");
        QTest::addColumn<int>("newF");
        QTest::newRow("C 45 held up clamps at 50") << false << 45 << 113 << 10 << 50 << 122;
        QTest::newRow("C -10 down stays") << false << -10 << 14 << -1 << -10 << 14;
        QTest::newRow("F 14 gives -9 C") << true << -10 << 15 << -1 << -9 << 14;
        QTest::newRow("F 122 held up stays") << true << 50 << 122 << 10 << 50 << 122;
        QTest::newRow("F 20 held down clamps at 14") << true << -7 << 20 << -10 << -9 << 14;
    }
    void ambientSteps()
    {
        QFETCH(bool, fahrenheit);
        QFETCH(int, c);
        QFETCH(int, f);
        QFETCH(int, steps);
        QFETCH(int, newC);
        QFETCH(int, newF);
        const measurement::Ambient a = fahrenheit ? measurement::stepAmbientFahrenheit({c, f}, steps)
                                                  : measurement::stepAmbientCelsius({c, f}, steps);
        QCOMPARE(a.c, newC);
        QCOMPARE(a.f, newF);
    }

    // ---- the screen ------------------------------------------------------------------------------

    void editingByKeys_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<bool>("held");   // pressed, one repeat, released: 1 + 10 steps
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("sent");
        QTest::newRow("emissivity held down") << 0 << "C" << int(keycode::Down) << true << "0.84"
                                              << "0.84" << 0.84;
        QTest::newRow("ambient up in F") << 1 << "F" << int(keycode::Up) << false << "78℉ "
                                         << "26" << 26.0;
        QTest::newRow("distance down stays") << 2 << "C" << int(keycode::Down) << false << "0.25 m"
                                             << "0.25" << 0.25;
    }
    void editingByKeys()
    {
        QFETCH(int, row);
        QFETCH(QString, unit);
        QFETCH(int, arrow);
        QFETCH(bool, held);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        QFETCH(double, sent);
        LiveDevice d([&](TestBoard &) { config::write(config::Main, "temp_unit", unit); });
        d.boot();
        MeasurementSetMenu &m = *d.w->measurementSetMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        QSignalSpy t(&m, &MeasurementSetMenu::updateTempForThermalCamera);
        QSignalSpy s(&m, &MeasurementSetMenu::updateDistanceForThermalCamera);
        d.openSetting(8);
        QVERIFY(m.isVisible());
        d.press(keycode::Down, row);
        QPushButton *rows[] = {m.pushButton_emissivity, m.pushButton_temp, m.pushButton_distance};
        QLabel *labels[] = {m.label_emissivity, m.label_temp, m.label_distance};
        const char *keys[] = {"emissivity", "ref_temprature_c", "meas_distance"};
        d.press(keycode::Ok);
        for (int i = 0; i < 3; ++i)   // only the focused row is edited
            QCOMPARE(labels[i]->styleSheet().contains("#FF3300"), i == row);
        if (held)
            d.holdOnce(arrow);
        else
            d.press(arrow);
        QCOMPARE(m.focusWidget(), rows[row]);   // the arrows changed the value, not the row
        QCOMPARE(labels[row]->text(), shown);
        QCOMPARE(d.key(keys[row]), stored);
        // Nothing reaches the camera while editing.
        QCOMPARE(e.count() + t.count() + s.count(), 0);

        d.press(keycode::Ok);
        QSignalSpy *spies[] = {&e, &t, &s};
        QCOMPARE(e.count() + t.count() + s.count(), 1);
        QCOMPARE(spies[row]->count(), 1);
        QCOMPARE(spies[row]->at(0).at(0).toDouble(), row == 1 ? sent : double(float(sent)));
        d.press(keycode::Down);
        QVERIFY(m.focusWidget() != rows[row]);
    }

    void valuesReadBackAreClamped_data()
    {
        QTest::addColumn<QString>("emissivity");
        QTest::addColumn<QString>("ambient");
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("far out of range") << "7"
                                          << "900"
                                          << "-3" << QStringList{"1.00", "50℃ ", "0.25 m"};
        QTest::newRow("below range") << "0"
                                     << "-40"
                                     << "0.1" << QStringList{"0.01", "-10℃ ", "0.25 m"};
        QTest::newRow("not numbers keep the defaults") << "high"
                                                       << "warm"
                                                       << "far" << QStringList{"0.95", "25℃ ", "0.25 m"};
        QTest::newRow("within range") << "0.50"
                                      << "30"
                                      << "2.50" << QStringList{"0.50", "30℃ ", "2.50 m"};
    }
    void valuesReadBackAreClamped()
    {
        QFETCH(QString, emissivity);
        QFETCH(QString, ambient);
        QFETCH(QString, distance);
        QFETCH(QStringList, shown);
        LiveDevice d([&](TestBoard &) {
            config::write(config::Main, "emissivity", emissivity);
            config::write(config::Main, "ref_temprature_c", ambient);
            config::write(config::Main, "meas_distance", distance);
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
    }

    void calibrationEmissivity()
    {
        LiveDevice d;
        MeasurementSetMenu &m = *d.w->measurementSetMenu;
        QSignalSpy e(&m, &MeasurementSetMenu::updateEmissivityForThermalCamera);
        emit d.w->calTempSubMenu->setEmissivityDefault();
        QVERIFY(e.wait(3000));
        QCOMPARE(e.at(0).at(0).toFloat(), 0.95f);
        QCOMPARE(m.label_emissivity->text(), QStringLiteral("0.95"));
    }

    void factoryReset()
    {
        LiveDevice d([](TestBoard &) {
            config::write(config::Main, "emissivity", "0.50");
            config::write(config::Main, "ref_temprature_c", "40");
            config::write(config::Main, "meas_distance", "3.00");
            config::write(config::Main, "center_focus", "Yes");
            config::write(config::Main, "zone", "Yes");
            config::write(config::Main, "hilo_focus", "No");
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
        QCOMPARE(e.count(), 1);
        QCOMPARE(t.count(), 1);
        QCOMPARE(e.at(0).at(0).toFloat(), 0.95f);
        QCOMPARE(t.at(0).at(0).toInt(), 25);
        QCOMPARE(s.at(0).at(0).toFloat(), 0.25f);
        QCOMPARE(m.label_temp->text(), QStringLiteral("25℃ "));
        QCOMPARE(d.key("ref_temprature_f"), QStringLiteral("77"));
    }

    // ---- the gain page -------------------------------------------------------------------------------

    void gainPageFollowsTheCalibrationToggle()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        TemperatureScaleSetMenu &g = *w.temperatureScaleSetMenu;
        QSignalSpy gain(&g, &TemperatureScaleSetMenu::updateTempScale);
        QCOMPARE(g.storedChoice(), 1);   // a fresh board: high gain
        // Clicking the gain in use sends nothing and shows no splash.
        g.radioButton_2->click();
        QCOMPARE(gain.count(), 0);
        QVERIFY(g.temperatureScaleSwitchDone);
        // The calibration page toggles to low gain: the page shares that choice.
        w.cameraThread->switchTempGain();
        QCOMPARE(g.storedChoice(), 0);
        QCOMPARE(acqState.temperature_scale.load(), 0);
        // Opened, it shows the gain in use; high gain is one click away and is sent.
        d.openSetting(4);
        QVERIFY(g.isVisible());
        QVERIFY(g.radioButton->isChecked() && !g.radioButton_2->isChecked());
        g.radioButton_2->click();
        QCOMPARE(gain.count(), 1);
        QCOMPARE(gain.at(0).at(0).value<unsigned char>(), 1);
        QCOMPARE(d.key("temperature_scale"), QStringLiteral("high_gain"));
        QCOMPARE(acqState.temperature_scale.load(), 1);
    }

    void gainSwitchWaitsWithKeysBusy()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        TemperatureScaleSetMenu &g = *w.temperatureScaleSetMenu;
        QSignalSpy gain(&g, &TemperatureScaleSetMenu::updateTempScale);
        d.openSetting(4);
        QCOMPARE(g.focusWidget(), g.radioButton_2);
        d.press(keycode::Up);   // to "Low gain"
        QCOMPARE(g.focusWidget(), g.radioButton);
        QElapsedTimer clock;
        clock.start();
        d.press(keycode::Ok);
        QCOMPARE(gain.count(), 1);
        QCOMPARE(gain.at(0).at(0).value<unsigned char>(), 0);
        QCOMPARE(d.key("temperature_scale"), QStringLiteral("low_gain"));
        QVERIFY(!g.temperatureScaleSwitchDone);
        QVERIFY(g.gainSwitchSplash->isVisible() && g.gainSwitchTextSplash->isVisible());
        // While it settles the keys do nothing: back does not close the page.
        d.press(keycode::Back);
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
