// Every settings screen built on the one-of-N pattern, driven through its
// named slots as the main window and the keys drive it.
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "core/config.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "media/menus/autosavesetsubmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "common/testboard.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

namespace {

struct ScreenKind {
    std::function<ChoiceMenu *()> make;
    const char *enableSlot;
    const char *autoUpdateSlot;
    QString key;
    QStringList texts;   // stored texts in button order
    int defaultIndex;
};

template <class M>
std::function<ChoiceMenu *()> maker()
{
    return [] { return new M(nullptr); };
}

const QList<QPair<const char *, ScreenKind>> &kinds()
{
    static const QList<QPair<const char *, ScreenKind>> list = {
        {"AutoPowerOffSetSubMenu",
         {maker<AutoPowerOffSetSubMenu>(),
          "autoPowerOffSetSubMenuEnable",
          "autoPowerOffSetSubMenuAutoUpdate",
          "auto_power_off",
          {"5Minutes", "10Minutes", "30Minutes", "Off"},
          2}},
        {"DisplayIntensitySetSubMenu",
         {maker<DisplayIntensitySetSubMenu>(),
          "displayIntensitySetSubMenuEnable",
          "displayIntensitySetSubMenuAutoUpdate",
          "display_intensity",
          {"Low", "Medium", "High"},
          1}},
        {"LanguageSetSubMenu",
         {maker<LanguageSetSubMenu>(),
          "languageSetSubMenuEnable",
          "autoUpdateLanguageSet",
          "language",
          {"English", "Chinese"},
          1}},
        {"TemperatureUnitSetMenu",
         {maker<TemperatureUnitSetMenu>(),
          "temperatureUnitSetMenuEnable",
          "temperatureUnitSetMenuAutoUpdate",
          "temp_unit",
          {"C", "F"},
          0}},
        {"TemperatureScaleSetMenu",
         {maker<TemperatureScaleSetMenu>(),
          "temperatureScaleSetMenuEnable",
          nullptr,
          "temperature_scale",
          {"low_gain", "high_gain"},
          1}},
        {"AutoSaveSetSubMenu",
         {maker<AutoSaveSetSubMenu>(),
          "autoSaveSetSubMenuEnable",
          "autoSaveSetSubMenuAutoUpdate",
          "auto_save",
          {"No", "Yes"},
          0}},
    };
    return list;
}

const ScreenKind &kind(const QByteArray &name)
{
    for (const auto &k : kinds())
        if (name == k.first)
            return k.second;
    qFatal("unknown screen %s", name.constData());
}

QString stored(const QString &key) { return config::readString(config::Main, key); }

void invoke(QObject *o, const char *slot) { QVERIFY2(QMetaObject::invokeMethod(o, slot), slot); }

}   // namespace

class TestSettingScreens : public QObject {
    Q_OBJECT
private slots:
    // Opened, the checked button of the stored choice has the focus; OK on
    // another button clicks it: stored and ticked, the screen stays.
    void opensOnTheStoredChoice_data()
    {
        QTest::addColumn<QByteArray>("screen");
        QTest::addColumn<int>("index");
        for (const auto &k : kinds())
            for (int i = 0; i < k.second.texts.size(); ++i)
                QTest::addRow("%s/%s", k.first, qPrintable(k.second.texts[i])) << QByteArray(k.first) << i;
    }
    void opensOnTheStoredChoice()
    {
        QFETCH(QByteArray, screen);
        QFETCH(int, index);
        const ScreenKind &k = kind(screen);
        TestBoard board;
        config::write(config::Main, k.key, k.texts[index]);
        std::unique_ptr<ChoiceMenu> m(k.make());
        QCOMPARE(m->checkedIndex(), index);
        QCOMPARE(stored(k.key), k.texts[index]);   // a known text is not rewritten
        const int other = (index + 1) % m->buttons().size();
        m->buttons()[other]->setFocus();
        invoke(m.get(), k.enableSlot);
        QVERIFY(m->isVisible());
        QCOMPARE(m->focusWidget(), m->buttons()[index]);
        m->buttons()[other]->click();
        QCOMPARE(stored(k.key), k.texts[other]);
        for (int i = 0; i < m->buttons().size(); ++i)
            QCOMPARE(m->buttons()[i]->isChecked(), i == other);
        QVERIFY(m->isVisible());
        // The enable slot closes it again.
        invoke(m.get(), k.enableSlot);
        QVERIFY(m->isHidden());
    }

    // A missing or unknown text (matched exactly) gives the default, written
    // back; the auto-update puts the focus back on the checked button.
    void unknownTextFocusesAndWritesTheDefault_data()
    {
        QTest::addColumn<QByteArray>("screen");
        QTest::addColumn<QByteArray>("storedText");
        for (const auto &k : kinds()) {
            QTest::addRow("%s/missing", k.first) << QByteArray(k.first) << QByteArray();
            QTest::addRow("%s/case", k.first) << QByteArray(k.first) << k.second.texts.first().toLower().toUtf8() + "x";
        }
    }
    void unknownTextFocusesAndWritesTheDefault()
    {
        QFETCH(QByteArray, screen);
        QFETCH(QByteArray, storedText);
        const ScreenKind &k = kind(screen);
        TestBoard board(true, false);
        if (!storedText.isEmpty())
            config::write(config::Main, k.key, QString::fromUtf8(storedText));
        std::unique_ptr<ChoiceMenu> m(k.make());
        QCOMPARE(m->checkedIndex(), k.defaultIndex);
        QCOMPARE(stored(k.key), k.texts[k.defaultIndex]);
        invoke(m.get(), k.enableSlot);
        QCOMPARE(m->focusWidget(), m->buttons()[k.defaultIndex]);
        if (!k.autoUpdateSlot)
            return;
        m->buttons()[(k.defaultIndex + 1) % m->buttons().size()]->setFocus();
        invoke(m.get(), k.autoUpdateSlot);
        QCOMPARE(m->focusWidget(), m->buttons()[k.defaultIndex]);
    }

    // The backlight follows the brightness choice, at start and on each choice.
    void brightnessDrivesTheBacklight_data()
    {
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<int>("startLevel");
        QTest::newRow("Low") << "Low" << 5;
        QTest::newRow("Medium") << "Medium" << 6;
        QTest::newRow("High") << "High" << 7;
        QTest::newRow("unknown") << "Bright" << 6;
    }
    void brightnessDrivesTheBacklight()
    {
        QFETCH(QString, storedText);
        QFETCH(int, startLevel);
        TestBoard board;
        config::write(config::Main, QStringLiteral("display_intensity"), storedText);
        const QString command =
            QStringLiteral("echo %1 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness");
        DisplayIntensitySetSubMenu m;
        QCOMPARE(board.commands(), QStringList{command.arg(startLevel)});
        QCOMPARE(board.read("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness").trimmed(),
                 QByteArray::number(startLevel));
        board.clearCommands();
        m.displayIntensitySetSubMenuUpdateRbtn1();
        m.displayIntensitySetSubMenuUpdateRbtn3();
        m.factoryResetForDisplayIntensitySetSubMenu();
        QCOMPARE(board.commands(), (QStringList{command.arg(5), command.arg(7), command.arg(6)}));
    }

    // Choosing the gain already in use sends nothing; a change sends the new gain.
    void gainChoiceSendsOnlyChanges()
    {
        TestBoard board;
        TemperatureScaleSetMenu m;
        QSignalSpy sent(&m, &TemperatureScaleSetMenu::updateTempScale);
        m.radioButton_2->click();   // high gain, already in use
        QCOMPARE(sent.count(), 0);
        m.radioButton->click();   // low gain
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).value<unsigned char>(), static_cast<unsigned char>(0));
        QCOMPARE(m.storedChoice(), static_cast<unsigned char>(0));
        m.factoryResetForTemperatureScaleSetMenu();
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(1).at(0).value<unsigned char>(), static_cast<unsigned char>(1));
        QCOMPARE(stored("temperature_scale"), QStringLiteral("high_gain"));
    }
};

QTEST_MAIN(TestSettingScreens)
#include "tst_settingscreens.moc"
