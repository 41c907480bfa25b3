// High/low alerts: threshold stepping and wrap-around in both units, the three
// stored forms, the blinking output and the low alert, on the screen as a
// person uses it.
#include "common/livedevice.h"
#include "common/screenshot.h"
#include "liveview/alertrules.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QLabel>
#include <QPushButton>

using alerts::Unit;

class TestAlerts : public QObject {
    Q_OBJECT
private slots:
    // A threshold stepped, and the three forms stored for the result (c, f, k).
    void stepping_data()
    {
        QTest::addColumn<QString>("row");       // unit, threshold row
        QTest::addColumn<QList<int>>("step");   // high, low, steps, result, stored c, f, k
        using L = QList<int>;
        QTest::newRow("C high 130 held up") << "C high" << L{130, 20, 10, 140, 140, 284, 413};
        QTest::newRow("C high 550 up wraps to low + 1, F rounds half up") << "C high" << L{550, 20, 1, 21, 21, 70, 294};
        QTest::newRow("C high 21 down onto low wraps to top") << "C high" << L{21, 20, -1, 550, 550, 1022, 823};
        QTest::newRow("C high 25 held down below low wraps") << "C high" << L{25, 20, -10, 550, 550, 1022, 823};
        QTest::newRow("C low -20 down wraps to high - 1") << "C low" << L{130, -20, -1, 129, 129, 264, 402};
        QTest::newRow("C low -19 down stays, F truncates toward zero") << "C low" << L{130, -19, -1, -20, -20, -3, 253};
        QTest::newRow("C low 129 up onto high wraps to bottom") << "C low" << L{130, 129, 1, -20, -20, -3, 253};
        QTest::newRow("F high 265 up") << "F high" << L{265, 68, 1, 266, 130, 266, 403};
        QTest::newRow("F high 1022 up wraps to low + 1") << "F high" << L{1022, 68, 1, 69, 21, 69, 294};
        QTest::newRow("F high 69 down onto low wraps to top") << "F high" << L{69, 68, -1, 1022, 550, 1022, 823};
        QTest::newRow("F low -4 down wraps to high - 1") << "F low" << L{266, -4, -1, 265, 129, 265, 402};
        QTest::newRow("F low 260 held up past high wraps, C truncates toward zero")
            << "F low" << L{266, 260, 10, -4, -19, -4, 253};
    }
    void stepping()
    {
        QFETCH(QString, row);
        QFETCH(QList<int>, step);
        const Unit u = row.startsWith('F') ? Unit::Fahrenheit : Unit::Celsius;
        const int result = row.endsWith("high") ? alerts::stepHigh(step[0], step[1], step[2], u)
                                                : alerts::stepLow(step[1], step[0], step[2], u);
        QCOMPARE(result, step[3]);
        const alerts::Stored s = alerts::storedFrom(result, u);
        QCOMPARE((QList<int>{s.c, s.f, s.k}), step.mid(4));
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

    void editingByKeys()
    {
        LiveDevice d([&](TestBoard &) {
            config::write(config::Main, "temp_unit", "F");
            config::write(config::Main, "high_temp_f", "266");
            config::write(config::Main, "low_temp_f", "68");
        });
        d.boot();
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        d.openSetting(3);
        QVERIFY(m.isVisible());
        QCOMPARE(m.label_5->text(), QStringLiteral("℉ "));
        d.press(keycode::Down, 3);   // the low threshold's row
        d.press(keycode::Ok);
        QVERIFY(m.label_4->styleSheet().contains("#FF3300"));   // red while edited
        d.holdOnce(keycode::Down);                              // 1 + 10 steps
        QCOMPARE(m.label_4->text(), QStringLiteral("57"));
        QCOMPARE(d.key("low_temp_c") + ' ' + d.key("low_temp_f") + ' ' + d.key("low_temp_k"),
                 QStringLiteral("14 57 287"));
        // The other arrows stay on the edited row, also through the 500 ms upkeep.
        d.press(keycode::Left);
        d.press(keycode::Right);
        m.hiloAlertSetMenuAutoUpdate();
        QCOMPARE(m.focusWidget(), m.pushButton_2);
        QCOMPARE(m.radioButton->focusPolicy(), Qt::NoFocus);
        // BACK ends the edit first, and only the next one closes the screen.
        d.press(keycode::Back);
        QVERIFY(!m.editing && m.isVisible());
        QCOMPARE(m.radioButton->focusPolicy(), Qt::StrongFocus);
        d.press(keycode::Down);
        QVERIFY(m.focusWidget() != m.pushButton_2);
        d.press(keycode::Back);
        QVERIFY(!m.isVisible());
        d.press(keycode::Ok);   // opened again, it shows what was stored
        QVERIFY(m.isVisible());
        QCOMPARE(m.label_4->text(), QStringLiteral("57"));
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
            config::write(config::Main, "high_alert", "On");
            config::write(config::Main, "low_alert", "On");
            config::write(config::Main, "temp_unit", "F");
        });
        d.boot();
        HiLoAlertSetMenu &m = *d.w->hiloAlertSetMenu;
        emit d.w->factoryResetSetMenu->factoryResetForSystem();
        QVERIFY(m.radioButton_2->isChecked() && !m.radioButton->isChecked());
        QVERIFY(m.radioButton_4->isChecked() && !m.radioButton_3->isChecked());
        QCOMPARE((QStringList{m.label_3->text(), m.label_4->text(), m.label_6->text(), d.key("high_alert"),
                              d.key("low_alert")}),
                 (QStringList{"130", "20", "℃ ", "Off", "Off"}));
    }
};

QTEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
