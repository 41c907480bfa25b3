// High/low alerts: threshold stepping and wrap-around in both units, the three
// stored forms, the blinking output and the low alert, on the screen as a
// person uses it.
#include "liveview/alertrules.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "common/livedevice.h"
#include "common/screenshot.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

using alerts::Unit;

class TestAlerts : public QObject {
    Q_OBJECT
private slots:
    // A threshold stepped, and the three forms stored for the result (c, f, k).
    void stepping_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<bool>("highRow");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("result");
        QTest::addColumn<QList<int>>("stored");
        using L = QList<int>;
        QTest::newRow("C high 130 held up") << false << true << 130 << 20 << 10 << 140 << L{140, 284, 413};
        QTest::newRow("C high 550 up wraps to low + 1, F rounds half up")
            << false << true << 550 << 20 << 1 << 21 << L{21, 70, 294};
        QTest::newRow("C high 21 down onto low wraps to top")
            << false << true << 21 << 20 << -1 << 550 << L{550, 1022, 823};
        QTest::newRow("C high 25 held down below low wraps")
            << false << true << 25 << 20 << -10 << 550 << L{550, 1022, 823};
        QTest::newRow("C low -20 down wraps to high - 1")
            << false << false << 130 << -20 << -1 << 129 << L{129, 264, 402};
        QTest::newRow("C low -19 down stays, F truncates toward zero")
            << false << false << 130 << -19 << -1 << -20 << L{-20, -3, 253};
        QTest::newRow("C low 129 up onto high wraps to bottom")
            << false << false << 130 << 129 << 1 << -20 << L{-20, -3, 253};
        QTest::newRow("F high 265 up") << true << true << 265 << 68 << 1 << 266 << L{130, 266, 403};
        QTest::newRow("F high 1022 up wraps to low + 1") << true << true << 1022 << 68 << 1 << 69 << L{21, 69, 294};
        QTest::newRow("F high 69 down onto low wraps to top")
            << true << true << 69 << 68 << -1 << 1022 << L{550, 1022, 823};
        QTest::newRow("F low -4 down wraps to high - 1") << true << false << 266 << -4 << -1 << 265 << L{129, 265, 402};
        QTest::newRow("F low 260 held up past high wraps, C truncates toward zero")
            << true << false << 266 << 260 << 10 << -4 << L{-19, -4, 253};
    }
    void stepping()
    {
        QFETCH(bool, fahrenheit);
        QFETCH(bool, highRow);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, steps);
        QFETCH(int, result);
        QFETCH(QList<int>, stored);
        const Unit u = fahrenheit ? Unit::Fahrenheit : Unit::Celsius;
        QCOMPARE(highRow ? alerts::stepHigh(high, low, steps, u) : alerts::stepLow(low, high, steps, u), result);
        const alerts::Stored s = alerts::storedFrom(result, u);
        QCOMPARE((QList<int>{s.c, s.f, s.k}), stored);
    }

    // The toggling itself is seen on the screen below; after an alarm the output
    // goes low once and is then left alone.
    void outputGoesLowOnceBelowTheThreshold()
    {
        int led = 0;
        alerts::HighAlertBlinker b(&led);
        QCOMPARE(b.evaluate(true, true).output, 1);
        QCOMPARE(b.evaluate(true, false).output, 0);
        QCOMPARE(b.evaluate(true, false).output, -1);
    }

    // ---- the screen ---------------------------------------------------------------------------------

    void editingByKeys_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("lowRow");
        QTest::addColumn<QString>("storedHigh");   // in the unit
        QTest::addColumn<QString>("storedLow");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<bool>("held");   // pressed, one repeat, released: 1 + 10 steps
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("keys");   // c, f, k of the edited threshold
        QTest::newRow("F high 265 up to 266")
            << "F" << false << "265"
            << "68" << int(keycode::Up) << false << "266" << QStringList{"130", "266", "403"};
        QTest::newRow("F low held down 11")
            << "F" << true << "266"
            << "68" << int(keycode::Down) << true << "57" << QStringList{"14", "57", "287"};
    }
    void editingByKeys()
    {
        QFETCH(QString, unit);
        QFETCH(bool, lowRow);
        QFETCH(QString, storedHigh);
        QFETCH(QString, storedLow);
        QFETCH(int, arrow);
        QFETCH(bool, held);
        QFETCH(QString, shown);
        QFETCH(QStringList, keys);
        const char *suffix = unit == "C" ? "c" : "f";
        LiveDevice d([&](TestBoard &) {
            config::write(config::Main, "temp_unit", unit);
            config::write(config::Main, QStringLiteral("high_temp_%1").arg(suffix), storedHigh);
            config::write(config::Main, QStringLiteral("low_temp_%1").arg(suffix), storedLow);
        });
        d.boot();
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        d.openSetting(3);
        QVERIFY(m.isVisible());
        QCOMPARE(m.label_5->text(), unit == "C" ? QStringLiteral("℃ ") : QStringLiteral("℉ "));
        if (lowRow)
            d.press(keycode::Down, 3);
        QPushButton *row = lowRow ? m.pushButton_2 : m.pushButton;
        QLabel *value = lowRow ? m.label_4 : m.label_3;
        d.press(keycode::Ok);
        QVERIFY(value->styleSheet().contains("#FF3300"));   // red while edited
        if (held)
            d.holdOnce(arrow);
        else
            d.press(arrow);
        QCOMPARE(value->text(), shown);
        const char *which = lowRow ? "low" : "high";
        const QStringList stored{d.key(qPrintable(QStringLiteral("%1_temp_c").arg(which))),
                                 d.key(qPrintable(QStringLiteral("%1_temp_f").arg(which))),
                                 d.key(qPrintable(QStringLiteral("%1_temp_k").arg(which)))};
        QCOMPARE(stored, keys);

        // OK ends the edit; the arrows move between entries again.
        d.press(keycode::Ok);
        d.press(keycode::Down);
        QVERIFY(m.focusWidget() != row);
        // Opened again, the screen shows what was stored.
        d.press(keycode::Back);
        d.press(keycode::Ok);
        QVERIFY(m.isVisible());
        QCOMPARE(value->text(), shown);
    }

    void arrowsStayOnTheEditedRow()
    {
        LiveDevice d;
        d.boot();
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        d.openSetting(3);
        d.press(keycode::Ok);
        for (int code : {int(keycode::Down), int(keycode::Up), int(keycode::Left), int(keycode::Right)}) {
            d.press(code);
            QCOMPARE(m.focusWidget(), m.pushButton);
        }
        QCOMPARE(m.label_3->text(), QStringLiteral("130"));   // one down, one up
        // The 500 ms upkeep keeps it so.
        m.hiloAlertSetMenuAutoUpdate();
        QCOMPARE(m.radioButton->focusPolicy(), Qt::NoFocus);
        // Back ends the edit first, and only the next back closes the screen.
        d.press(keycode::Back);
        QVERIFY(!m.editing);
        QVERIFY(m.isVisible());
        QCOMPARE(m.radioButton->focusPolicy(), Qt::StrongFocus);
        d.press(keycode::Back);
        QVERIFY(!m.isVisible());
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
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        d.openSetting(3);
        QCOMPARE(m.label_3->text(), QStringLiteral("550"));
        QCOMPARE(m.label_4->text(), QStringLiteral("20"));
        // Missing keys of a fresh board are written with the factory thresholds.
        QCOMPARE(d.key("high_temp_k"), QStringLiteral("403"));
        QCOMPARE(d.key("low_temp_f"), QStringLiteral("68"));
    }

    void highAlertBlinksWithTheOutput_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<float>("measured");
        QTest::addColumn<bool>("alarm");
        QTest::newRow("C exactly at the threshold") << false << 130.0f << true;
        QTest::newRow("C just below") << false << 129.9f << false;
        QTest::newRow("F exactly at the threshold") << true << 130.0f << true;
        QTest::newRow("F just below") << true << 129.9f << false;
    }
    void highAlertBlinksWithTheOutput()
    {
        QFETCH(bool, fahrenheit);
        QFETCH(float, measured);
        QFETCH(bool, alarm);
        LiveDevice d([](TestBoard &) {
            config::write(config::Main, "high_alert", "On");
            config::write(config::Main, "high_temp_c", "130");
        });
        d.boot();
        Norvik7 &w = *d.w;
        if (fahrenheit)
            w.temperatureUnitSetMenu->radioButton_2->click();
        HiLoAlertSetMenu::led_on = 0;
        d.board.write("/sim/gpio/1", "0");
        for (int frame = 0; frame < 4; ++frame) {
            w.evaluateAlerts(measured, 25.0f);
            const bool on = alarm && frame % 2 == 0;
            QCOMPARE(w.HighAlertLabel->isVisible(), on);
            QCOMPARE(w.HighAlertTextLabel->isVisible(), on);
            QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), on ? QByteArray("1") : QByteArray("0"));
            if (on && frame == 0 && !fahrenheit)
                QVERIFY(saveScreenshot("liveview_high_alert", {&w}));
        }
        // Switched off in the menu during an alarm: everything goes dark.
        w.evaluateAlerts(measured, 25.0f);
        w.hiloAlertSetMenu->radioButton_2->click();
        w.evaluateAlerts(measured, 25.0f);
        QVERIFY(!w.HighAlertLabel->isVisible());
        QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), QByteArray("0"));
    }

    void lowAlert_data()
    {
        QTest::addColumn<bool>("zone");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<bool>("shown");
        QTest::newRow("at the threshold") << false << false << 20.0f << true;
        QTest::newRow("above") << false << false << 20.1f << false;
        QTest::newRow("below while the zone is ticked") << true << false << -5.0f << false;
        QTest::newRow("Celsius comparison in Fahrenheit, above") << false << true << 21.0f << false;
    }
    void lowAlert()
    {
        QFETCH(bool, zone);
        QFETCH(bool, fahrenheit);
        QFETCH(float, minimum);
        QFETCH(bool, shown);
        LiveDevice d([](TestBoard &) {
            config::write(config::Main, "low_alert", "On");
            config::write(config::Main, "low_temp_c", "20");
            config::write(config::Main, "low_temp_f", "68");
        });
        d.boot();
        Norvik7 &w = *d.w;
        w.tempSubMenu->checkBox_3->setChecked(zone);
        if (fahrenheit)
            w.temperatureUnitSetMenu->radioButton_2->click();
        d.board.write("/sim/gpio/1", "0");
        for (int frame = 0; frame < 2; ++frame) {   // steady, no blinking
            w.evaluateAlerts(25.0f, minimum);
            QCOMPARE(w.LowAlertLabel->isVisible(), shown);
            QCOMPARE(w.LowAlertTextLabel->isVisible(), shown);
        }
        if (shown && !fahrenheit)
            QVERIFY(saveScreenshot("liveview_low_alert", {&w}));
        QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), QByteArray("0"));
    }

    void factoryReset()
    {
        LiveDevice d([](TestBoard &) {
            config::write(config::Main, "high_alert", "On");
            config::write(config::Main, "low_alert", "On");
            config::write(config::Main, "temp_unit", "F");
        });
        d.boot();
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        d.openSetting(3);
        QCOMPARE(m.label_5->text(), QStringLiteral("℉ "));
        d.press(keycode::Back);
        emit d.w->factoryResetSetMenu->factoryResetForSystem();
        QVERIFY(m.radioButton_2->isChecked() && !m.radioButton->isChecked());
        QVERIFY(m.radioButton_4->isChecked() && !m.radioButton_3->isChecked());
        QCOMPARE(m.label_3->text(), QStringLiteral("130"));
        QCOMPARE(m.label_4->text(), QStringLiteral("20"));
        QCOMPARE(m.label_6->text(), QStringLiteral("℃ "));
        QCOMPARE(d.key("high_alert"), QStringLiteral("Off"));
        QCOMPARE(d.key("low_alert"), QStringLiteral("Off"));
    }
};

QTEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
