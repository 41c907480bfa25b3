// The language: the stored choice at start, switched and back at run time
// with every open screen re-translated, and the first-boot choice.
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "common/livedevice.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/languagesetsubmenu.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

#include <functional>

namespace {
bool chinese(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

// Calls `each(context, source, type, translation)` for every message of a .ts file.
bool forEachMessage(const QString &path,
                    const std::function<void(const QString &, const QString &, const QString &, const QString &)> &each)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
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
            each(context, source, type, xml.readElementText());
        }
    }
    return !xml.hasError();
}
}   // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
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
        // Switched by keys, every screen, open or not, speaks the other language
        // at once, and back: one translator at a time, none left behind.
        LanguageSetSubMenu &l = *w.languageSetSubMenu;
        d.boot();
        d.openSetting(0);
        QCOMPARE(l.focusWidget(), l.radioButton_2);   // the language in use
        for (bool english : {true, false, true}) {
            d.press(english ? keycode::Up : keycode::Down);
            d.press(keycode::Ok);
            QCOMPARE(d.key("language"), english ? QStringLiteral("English") : QStringLiteral("Chinese"));
            QCOMPARE(translator == nullptr, english);
            QCOMPARE(chinese(l.titleLabel->text()), !english);
            QCOMPARE(chinese(w.measurementSetMenu->label_distance->text()), !english);
            QCOMPARE(chinese(w.mainMenu->pushButton->statusTip()), !english);
        }
        QCOMPARE(l.titleLabel->text(), QStringLiteral("Language"));
    }

    // Every text the sources and forms give to tr() (what lupdate extracts) has
    // a finished Chinese translation, and the shipped files hold no unfinished,
    // empty or obsolete one.
    void everyShownTextIsTranslated()
    {
        const QString src = QStringLiteral(NORVIK7_SOURCE_DIR);
        QTemporaryDir tmp;
        const QString extracted = tmp.filePath(QStringLiteral("extracted.ts"));
        QStringList args;
        for (const char *dir :
             {"app", "acquisition", "board", "calibration", "connectivity", "liveview", "media", "settings", "ui"})
            args << src + QLatin1Char('/') + QLatin1String(dir);
        args << QStringLiteral("-silent") << QStringLiteral("-locations") << QStringLiteral("none")
             << QStringLiteral("-ts") << extracted;
        QProcess lupdate;
        lupdate.start(QStringLiteral(NORVIK7_LUPDATE), args);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QStringList problems;
        QSet<QString> finished;
        const QFileInfoList shipped = QDir(src + QStringLiteral("/resources/translations"))
                                          .entryInfoList({QStringLiteral("ChineseSimplified*.ts")});
        QVERIFY(!shipped.isEmpty());
        for (const QFileInfo &ts : shipped)
            QVERIFY(forEachMessage(
                ts.filePath(),
                [&](const QString &context, const QString &source, const QString &type, const QString &text) {
                    if (type.isEmpty() && !text.isEmpty())
                        finished.insert(context + QLatin1Char('|') + source);
                    else
                        problems << ts.fileName() + QStringLiteral(": ") + context + QStringLiteral(": \"") + source +
                                QStringLiteral("\" ") + (type.isEmpty() ? QStringLiteral("empty") : type);
                }));
        QVERIFY(forEachMessage(extracted,
                               [&](const QString &context, const QString &source, const QString &, const QString &) {
                                   if (!finished.contains(context + QLatin1Char('|') + source))
                                       problems << QStringLiteral("no translation: ") + context +
                                               QStringLiteral(": \"") + source + QLatin1Char('"');
                               }));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
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
        d.press(keycode::Ok);                // English
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
