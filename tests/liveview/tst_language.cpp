// The language: the stored choice at start, switched and back at run time
// with every open screen re-translated, and the first-boot choice.
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "common/livedevice.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/languagesetsubmenu.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>

namespace {
bool chinese(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}
}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void storedLanguageAtStart_data()
    {
        QTest::addColumn<QString>("stored");   // empty: a fresh board
        QTest::addColumn<bool>("inChinese");
        QTest::addColumn<QString>("after");
        QTest::newRow("fresh board") << "" << true << "Chinese";
        QTest::newRow("English") << "English" << false << "English";
        QTest::newRow("Chinese") << "Chinese" << true << "Chinese";
        QTest::newRow("unknown text") << "Klingon" << true << "Chinese";
    }
    void storedLanguageAtStart()
    {
        QFETCH(QString, stored);
        QFETCH(bool, inChinese);
        QFETCH(QString, after);
        LiveDevice d([&](TestBoard &b) {
            b.remove("/root/Norvik7_config.ini");   // as the product finds a fresh board
            if (!stored.isEmpty())
                config::write(config::Main, "language", stored);
        });
        Norvik7 &w = *d.w;
        QCOMPARE(translator != nullptr, inChinese);
        QCOMPARE(chinese(w.measurementSetMenu->titleLabel->text()), inChinese);
        QCOMPARE(d.key("language"), after);
        QCOMPARE(w.languageSetSubMenu->radioButton_2->isChecked(), inChinese);
    }

    void switchedAndBackWithoutRestart()
    {
        LiveDevice d([](TestBoard &b) { b.remove("/root/Norvik7_config.ini"); });
        d.boot();
        Norvik7 &w = *d.w;
        LanguageSetSubMenu &l = *w.languageSetSubMenu;
        QVERIFY(chinese(w.settingSubMenu->languageButton->text()));
        d.openSetting(0);
        QVERIFY(l.isVisible());
        QCOMPARE(l.focusWidget(), l.radioButton_2);   // the language in use
        d.press(keycode::Up);
        d.press(keycode::Ok);
        QCOMPARE(d.key("language"), QStringLiteral("English"));
        QCOMPARE(translator, nullptr);
        // Every screen, open or not, speaks English at once.
        QCOMPARE(l.titleLabel->text(), QStringLiteral("Language"));
        QCOMPARE(w.measurementSetMenu->label_distance->text(), QStringLiteral("0.25 m"));
        QCOMPARE(w.mainMenu->pushButton->statusTip(), QStringLiteral("Measurement"));

        d.press(keycode::Down);
        d.press(keycode::Ok);
        QCOMPARE(d.key("language"), QStringLiteral("Chinese"));
        QVERIFY(translator != nullptr);
        QVERIFY(chinese(l.titleLabel->text()));
        QVERIFY(chinese(w.measurementSetMenu->label_distance->text()));
        // And back once more: one translator at a time, none left behind.
        d.press(keycode::Up);
        d.press(keycode::Ok);
        QCOMPARE(translator, nullptr);
        QCOMPARE(l.titleLabel->text(), QStringLiteral("Language"));
    }

    void firstBootChoiceSwitchesAtOnce()
    {
        LiveDevice d([](TestBoard &) { config::write(config::System, "language", "none"); });
        Norvik7 &w = *d.w;
        BootSettingsMenu &b = *w.bootSettingsMenu;
        d.boot();
        b.bootSettingsMenuEnable();
        QVERIFY(b.isVisible());
        QVERIFY(b.pushButton->isHidden());   // "Next" only once a language is chosen
        d.press(keycode::Ok);   // English
        QVERIFY(!b.pushButton->isHidden());
        QCOMPARE(config::readString(config::System, "language"), QStringLiteral("English"));
        QCOMPARE(d.key("language"), QStringLiteral("English"));
        QCOMPARE(b.pushButton->text(), QStringLiteral("Next"));
        d.press(keycode::Down);   // to "中文"
        d.press(keycode::Ok);
        QCOMPARE(config::readString(config::System, "language"), QStringLiteral("Chinese"));
        QVERIFY(chinese(b.pushButton->text()));
        d.press(keycode::Down);   // to "Next"
        QCOMPARE(b.focusWidget(), b.pushButton);
        d.press(keycode::Ok);
        QVERIFY(!b.isVisible());
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
