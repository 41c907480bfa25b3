// The palette and image-mode pop-ups: preview by focus, confirm with OK, fall
// back on closing; the colour bar and its pictures; the alignment distance.
#include "acquisition/framepath.h"
#include "liveview/menus/alignmentdistancemenu.h"
#include "app/menus/mainmenu.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/palettes.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "common/livedevice.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QRadioButton>

namespace {
// From the live view: OK, then RIGHT `times` to a button of the menu bar, OK.
void openPopup(LiveDevice &d, int times)
{
    d.press(keycode::Ok);
    d.press(keycode::Right, times);
    d.press(keycode::Ok);
}
}   // namespace

class TestPaletteMenus : public QObject {
    Q_OBJECT
private slots:
    void palettePreviewFallsBackOnClosingAndIsKeptWithOk()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        ColorSubMenu &c = *w.colorSubMenu;
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 1, 1000);
        openPopup(d, 1);
        QVERIFY(c.isVisible());
        QCOMPARE(c.focusWidget(), c.radioButton);   // Iron, the ticked one
        d.press(keycode::Down, 5);                  // Lava
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 6, 1000);
        QVERIFY(c.radioButton->isChecked());   // previewing ticks nothing

        QElapsedTimer clock;
        clock.start();
        d.press(keycode::Back);
        QVERIFY(!c.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(acqState.paletteNumber.load(), 1, 1000);
#ifdef NORVIK7_UNDER_EMULATION
        const int atOnce = 500;
#else
        const int atOnce = 260;
#endif
        QVERIFY2(clock.elapsed() <= atOnce, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(d.key("color"), QStringLiteral("Iron"));

        // Opened again, moved and confirmed: kept at once and after the preview time.
        d.press(keycode::Ok);
        d.press(keycode::Down, 6);   // Rainbow HC
        d.press(keycode::Ok);
        QVERIFY(!c.isVisible());
        QCOMPARE(acqState.paletteNumber.load(), 7);
        QVERIFY(c.radioButton_7->isChecked() && !c.radioButton->isChecked());
        QCOMPARE(d.key("color"), QStringLiteral("RainbowHC"));
        QTest::qWait(2 * ColorSubMenu::kPreviewMs);
        QCOMPARE(acqState.paletteNumber.load(), 7);
        w.updateMaxMinTempColorMap();
        QCOMPARE(Norvik7::colorMap, 6);
        QCOMPARE(w.ColorStatusLabel->styleSheet(),
                 QStringLiteral("border-image: url(:/images/colormap_RainBowHC.png);"));
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

    void imageModePreviewAndConfirm_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Digital") << 1 << 1 << "digital";
        QTest::newRow("Fusion") << 2 << 2 << "fusion";
        QTest::newRow("PIP") << 3 << 3 << "pip";
        QTest::newRow("Alignment") << 4 << 2 << "alignment";
    }
    void imageModePreviewAndConfirm()
    {
        // Previewed by focus; closed without OK the ticked mode (thermal)
        // returns at once; opened again, moved and confirmed, it is kept.
        QFETCH(int, button);
        QFETCH(int, mode);
        QFETCH(QString, stored);
        LiveDevice d;
        d.boot();
        ImageModeSubMenu &m = *d.w->imageModeSubMenu;
        acqState.image_mode.store(0);
        openPopup(d, 3);
        d.press(keycode::Down, button);
        QTRY_COMPARE_WITH_TIMEOUT(acqState.image_mode.load(), mode, 1000);
        QElapsedTimer clock;
        clock.start();
        d.press(keycode::Back);
        QTRY_COMPARE_WITH_TIMEOUT(acqState.image_mode.load(), 0, 1000);
        QVERIFY2(clock.elapsed() <= 260, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(d.key("image_mode").isEmpty());
        d.press(keycode::Ok);
        d.press(keycode::Down, button);
        d.press(keycode::Ok);
        QVERIFY(!m.isVisible() && m.buttons()[button]->isChecked());
        QCOMPARE(acqState.image_mode.load(), mode);
        QCOMPARE(d.key("image_mode"), stored);
        QCOMPARE(d.w->alignmentDistanceMenu->isVisible(), stored == "alignment");
        QTest::qWait(2 * ImageModeSubMenu::kPreviewMs);
        QCOMPARE(acqState.image_mode.load(), mode);
    }

    void alignmentDistanceByKeys()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        AlignmentDistanceMenu &a = *w.alignmentDistanceMenu;
        auto shown = [&] {
            return QStringList{a.PreDistanceLabel->text(), a.CurrentDistanceLabel->text(), a.NextDistanceLabel->text(),
                               QString::number(viewState.alignmentDistanceValue)};
        };
        openPopup(d, 3);
        d.press(keycode::Down, 4);   // Alignment
        d.press(keycode::Ok);
        QVERIFY(a.isVisible());
        QCOMPARE(shown(), (QStringList{"", "0.5", "1.0", "0.5"}));   // nothing stored yet
        d.press(keycode::Right, 6);                                  // one past the last
        QCOMPARE(shown(), (QStringList{"2.5", ">3.0", "", "3"}));
        QCOMPARE(d.key("alignment"), QStringLiteral("3.0"));
        d.press(keycode::Left, 6);   // one past the first
        d.press(keycode::Right);
        QCOMPARE(shown(), (QStringList{"0.5", "1.0", "1.5", "1"}));
        // Back to the live view: closing the main menu takes the distance from
        // the page's label again, whatever the value had drifted to.
        d.press(keycode::Back);
        QVERIFY(!a.isVisible() && w.mainMenu->isVisible());
        viewState.alignmentDistanceValue = 2.5f;
        d.press(keycode::Back);
        QVERIFY(!w.mainMenu->isVisible());
        QCOMPARE(viewState.alignmentDistanceValue, 1.0f);
    }
};

QTEST_MAIN(TestPaletteMenus)
#include "tst_palettemenus.moc"
