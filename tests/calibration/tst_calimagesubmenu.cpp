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
    void init();
    void cleanup();
    void arrowsMoveTheCrop_data();
    void arrowsMoveTheCrop();
    void saveStoresTheOffsets();
    void leavingWithoutSaveKeepsThemInMemoryOnly();

private:
    std::unique_ptr<LiveDevice> d;
};

void TestCalImageSubMenu::init()
{
    d = std::make_unique<LiveDevice>(30.0);
    viewState.vlcPostX = 36;
    viewState.vlcPostY = 48;
}

void TestCalImageSubMenu::cleanup() { d.reset(); }

void TestCalImageSubMenu::arrowsMoveTheCrop_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("startX");
    QTest::addColumn<int>("startY");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Two pixels a press (68, 70, 72, 72), up to the limit and no further.
    QTest::newRow("left stops at 72") << int(keycode::Left) << 68 << 48 << 3 << 72 << 48;
    QTest::newRow("right stops at 0") << int(keycode::Right) << 2 << 48 << 3 << 0 << 48;
    QTest::newRow("up stops at 96") << int(keycode::Up) << 36 << 94 << 3 << 36 << 96;
    QTest::newRow("down stops at 0") << int(keycode::Down) << 36 << 2 << 3 << 36 << 0;
}

void TestCalImageSubMenu::arrowsMoveTheCrop()
{
    QFETCH(int, key);
    QFETCH(int, startX);
    QFETCH(int, startY);
    QFETCH(int, presses);
    QFETCH(int, x);
    QFETCH(int, y);
    CalImageSubMenu *page = d->w->calImageSubMenu;
    d->openImageCalibration();
    QVERIFY(page->isVisible());
    QCOMPARE(page->focusWidget(), page->pushButton);
    // Opening does not move the crop.
    QCOMPARE(viewState.vlcPostX, 36);
    QCOMPARE(viewState.vlcPostY, 48);
    // The live view blends both pictures while the page is open. (The image-mode
    // menu's 200 ms tick puts the ticked mode back in between frames.)
    QVERIFY(d->waitFrames(2));
    QTRY_COMPARE(acqState.image_mode.load(), 2);

    viewState.vlcPostX = startX;
    viewState.vlcPostY = startY;
    d->press(key, presses);
    QCOMPARE(viewState.vlcPostX, x);
    QCOMPARE(viewState.vlcPostY, y);
    QCOMPARE(page->focusWidget(), page->pushButton);
    QVERIFY(!config::contains(config::ImageCal, QStringLiteral("vlc_post_x")));
}

void TestCalImageSubMenu::saveStoresTheOffsets()
{
    CalImageSubMenu *page = d->w->calImageSubMenu;
    d->openImageCalibration();
    d->press(keycode::Left, 2);
    d->press(keycode::Down);
    QElapsedTimer clock;
    clock.start();
    d->press(keycode::Ok);   // Save, where the focus is
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), 40);
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_y")), 46);
    QVERIFY(page->tipsLabel->isVisible());
    QCOMPARE(page->tipsLabel->text(), QStringLiteral("Saved!"));
    QCOMPARE(page->tipsLabel->x(), (240 - page->tipsLabel->width()) / 2);
    QCOMPARE(page->tipsLabel->y(), 40);
    QVERIFY(d->waitFrames(2));
    QVERIFY(saveScreenshot(QStringLiteral("CalImageSubMenu_saved"), {d->w.get(), page}));
    QTRY_VERIFY_WITH_TIMEOUT(!page->tipsLabel->isVisible(), 3000);
    QVERIFY(clock.elapsed() >= 1800);   // about 2 s; a coarse timer may fire a little early
    QVERIFY(page->isVisible());
}

void TestCalImageSubMenu::leavingWithoutSaveKeepsThemInMemoryOnly()
{
    config::write(config::ImageCal, QStringLiteral("vlc_post_x"), 36);
    config::write(config::ImageCal, QStringLiteral("vlc_post_y"), 48);
    CalImageSubMenu *page = d->w->calImageSubMenu;
    d->openImageCalibration();
    d->press(keycode::Right, 3);
    d->press(keycode::Back);
    QVERIFY(!page->isVisible());
    QCOMPARE(viewState.vlcPostX, 30);
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), 36);
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_y")), 48);
    // Back in the live view, the arrows no longer move the crop.
    d->press(keycode::Up);
    QCOMPARE(viewState.vlcPostY, 48);
}

QTEST_MAIN(TestCalImageSubMenu)
#include "tst_calimagesubmenu.moc"
