// The image calibration page as a technician uses it: opened by LEFT with
// DOWN, the arrows moving the visible crop two pixels at a time within its
// limits, Save storing the offsets with a short "Saved!", BACK leaving the
// page with unsaved offsets kept in memory only.
#include "common/livedevice.h"

#include "core/config.h"
#include "core/keystate.h"
#include "calibration/menus/calimagesubmenu.h"
#include "liveview/viewstate.h"

#include <QtTest>

class TestCalImageSubMenu : public QObject {
    Q_OBJECT
private slots:
    void arrowsMoveTheCrop_data();
    void arrowsMoveTheCrop();
};

void TestCalImageSubMenu::arrowsMoveTheCrop_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("startX");
    QTest::addColumn<int>("startY");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("save");   // OK on Save, else BACK
    // Two pixels a press (68, 70, 72, 72), up to the limit and no further.
    QTest::newRow("left stops at 72, saved") << int(keycode::Left) << 68 << 48 << 72 << 48 << true;
    QTest::newRow("right stops at 0, left") << int(keycode::Right) << 2 << 48 << 0 << 48 << false;
    QTest::newRow("up stops at 96, saved") << int(keycode::Up) << 36 << 94 << 36 << 96 << true;
    QTest::newRow("down stops at 0, left") << int(keycode::Down) << 36 << 2 << 36 << 0 << false;
}

void TestCalImageSubMenu::arrowsMoveTheCrop()
{
    QFETCH(int, key);
    QFETCH(int, startX);
    QFETCH(int, startY);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, save);
    LiveDevice d(30.0);
    config::write(config::ImageCal, QStringLiteral("vlc_post_x"), 36);
    viewState.vlcPostX = 36;
    viewState.vlcPostY = 48;
    CalImageSubMenu *page = d.w->calImageSubMenu;
    d.openImageCalibration();
    QVERIFY(page->isVisible());
    QCOMPARE(page->focusWidget(), page->pushButton);
    // Opening does not move the crop.
    QCOMPARE(viewState.vlcPostX, 36);
    QCOMPARE(viewState.vlcPostY, 48);
    // The live view blends both pictures while the page is open. (The image-mode
    // menu's 200 ms tick puts the ticked mode back in between frames.)
    QVERIFY(d.waitFrames(2));
    QTRY_COMPARE(acqState.image_mode.load(), 2);

    viewState.vlcPostX = startX;
    viewState.vlcPostY = startY;
    d.press(key, 3);
    QCOMPARE(viewState.vlcPostX, x);
    QCOMPARE(viewState.vlcPostY, y);
    QCOMPARE(page->focusWidget(), page->pushButton);
    QVERIFY(!config::contains(config::ImageCal, QStringLiteral("vlc_post_y")));
    if (!save) {
        d.press(keycode::Back);
        QVERIFY(!page->isVisible());
        QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), 36);
        // Back in the live view, the arrows no longer move the crop.
        d.press(keycode::Up);
        QCOMPARE(viewState.vlcPostX, x);
        QCOMPARE(viewState.vlcPostY, y);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    d.press(keycode::Ok);   // Save, where the focus is
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), x);
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_y")), y);
    QVERIFY(page->tipsLabel->isVisible());
    QCOMPARE(page->tipsLabel->text(), QStringLiteral("Saved!"));
    QCOMPARE(page->tipsLabel->x(), (240 - page->tipsLabel->width()) / 2);
    QCOMPARE(page->tipsLabel->y(), 40);
    if (key == keycode::Left)
        QVERIFY(saveScreenshot(QStringLiteral("CalImageSubMenu_saved"), {d.w.get(), page}));
    QTRY_VERIFY_WITH_TIMEOUT(!page->tipsLabel->isVisible(), 3000);
    QVERIFY(clock.elapsed() >= 1800);   // about 2 s; a coarse timer may fire a little early
    QVERIFY(page->isVisible());
}

QTEST_MAIN(TestCalImageSubMenu)
#include "tst_calimagesubmenu.moc"
