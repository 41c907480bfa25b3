// The temperature calibration page as a technician meets it: opened by keys,
// the focus walking its buttons, points written to the store, the reset and
// the recalibration with the acquisition loop behind them, the gain switch
// and the remove-cover reset.
#include "common/livedevice.h"
#include "common/queuedspy.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "core/keystate.h"
#include "calibration/caltables.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/viewstate.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

uint16_t wordOf(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16)); }

void fillPoints(const QString &value)
{
    for (int n = 1; n <= 6; ++n) {
        config::write(config::CalTemp, caltables::tempKey(n), value);
        config::write(config::CalTemp, caltables::vtempKey(n), QStringLiteral("1"));
    }
}

}   // namespace

class TestCalTempSubMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensNamingTheRangeInUse();
    void pointRecordingWritesOnlyTheGainsKeys_data();
    void pointRecordingWritesOnlyTheGainsKeys();
    void refusedRecalibration_data();
    void refusedRecalibration();
    void resetSavesTheTablesOfItsGain_data();
    void resetSavesTheTablesOfItsGain();
    void removeCoverReset_data();
    void removeCoverReset();

private:
    std::unique_ptr<LiveDevice> d;
};

void TestCalTempSubMenu::init()
{
    caltables::forgetWorkingTables();
    d = std::make_unique<LiveDevice>(20.0);
}

void TestCalTempSubMenu::cleanup() { d.reset(); }

// The page opens on "Cal Reset" and names the set points of the range in use.
void TestCalTempSubMenu::opensNamingTheRangeInUse()
{
    CalTempSubMenu *page = d->w->calTempSubMenu;
    d->openTemperatureCalibration();
    QCOMPARE(page->focusWidget()->objectName(), QStringLiteral("pushButton_5"));
    QCOMPARE(page->gainStatusLabel->text(), QStringLiteral("High Gain"));
    d->openTemperatureCalibration();   // the same keys close it
    QVERIFY(!page->isVisible());
    acqState.temperature_scale.store(0);
    d->openTemperatureCalibration();
    QCOMPARE((QStringList{page->pushButton_3->text(), page->pushButton_2->text(), page->pushButton_8->text(),
                          page->gainStatusLabel->text()}),
             (QStringList{"Cal 120", "Cal 250", "Cal 400", "Low Gain"}));
}

void TestCalTempSubMenu::pointRecordingWritesOnlyTheGainsKeys_data()
{
    QTest::addColumn<int>("gain");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("tip");
    QTest::newRow("high gain, low point") << 1 << "pushButton_3" << 1 << "Cal Low: -10℃ ";
    QTest::newRow("the core's reference unreadable: not recorded")
        << 1 << "pushButton_2" << 2 << "No reference reading, point not recorded";
}

void TestCalTempSubMenu::pointRecordingWritesOnlyTheGainsKeys()
{
    QFETCH(int, gain);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, tip);
    fillPoints(QStringLiteral("7.7"));
    const bool recorded = !tip.startsWith("No reference");
    if (!recorded)
        irsim::setCallResult("cur_vtemp_get", -1);
    acqState.currentGain.store(static_cast<uint8_t>(gain));
    CalTempSubMenu *page = d->w->calTempSubMenu;
    QueuedSpy agc(d->w->cameraThread, &ThermalCameraThread::closeThermalModuleAGC);
    d->openTemperatureCalibration();
    // The loop sees the page open once.
    QTRY_COMPARE_WITH_TIMEOUT(agc.count(), 1, 2000);
    QVERIFY(d->waitFrames(3));
    QCOMPARE(agc.count(), 1);
    QVERIFY(d->focusByKeys(button.toLatin1().constData()));
    d->board.clearCommands();
    // The frame on screen reads 37.46 degrees in its centre when OK is pressed.
    QueuedSpy done(d->w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    d->w->cameraThread->blockSignals(true);
    QCoreApplication::processEvents();   // frames already on their way
    viewState.centerTempValue = wordOf(37.46);
    d->press(keycode::Ok);
    d->w->cameraThread->blockSignals(false);

    for (int n = 1; n <= 6; ++n) {
        const QString text = n != key ? QStringLiteral("7.7")
            : recorded                ? QStringLiteral("37.5")
                                      : QStringLiteral("500.0");
        QCOMPARE(config::readString(config::CalTemp, caltables::tempKey(n)), text);
        QCOMPARE(page->pointLabel(n)->text(), text);
        const int vtemp = config::readInt(config::CalTemp, caltables::vtempKey(n));
        if (n != key)
            QCOMPARE(vtemp, 1);
        else if (recorded)
            QVERIFY2(vtemp > 8000 && vtemp < 9200, qPrintable(QString::number(vtemp)));   // the core's reference
    }
    if (recorded)
        QCOMPARE(page->pointLabel(key)->styleSheet(), QStringLiteral("color: green;\nfont: bold 13pt;\n"));
    QVERIFY(d->board.commands().contains(QStringLiteral("sync")));
    QVERIFY(page->tipsLabel->isVisible());
    QCOMPARE(page->tipsLabel->text(), tip);
    QCOMPARE(page->tipsLabel->y(), 40);
    // The loop runs the point's shutter sequence and then hides the tip.
    QVERIFY(done.wait(10000));
    QTRY_VERIFY(!page->tipsLabel->isVisible());
}

void TestCalTempSubMenu::refusedRecalibration_data()
{
    // Recalibration right after the reset (all points back to 500.0), or with
    // points of an earlier day but no reset in this run and no table files.
    QTest::addColumn<bool>("resetFirst");
    QTest::addColumn<QString>("tip");
    QTest::newRow("reset at once before") << true << "Record all three points first";
    QTest::newRow("no saved tables") << false << "Recal failed, tables unchanged";
}

void TestCalTempSubMenu::refusedRecalibration()
{
    QFETCH(bool, resetFirst);
    QFETCH(QString, tip);
    fillPoints(QStringLiteral("19.6"));
    CalTempSubMenu *page = d->w->calTempSubMenu;
    QSignalSpy forCal(page, &CalTempSubMenu::setEmissivityForCal);
    QSignalSpy toDefault(page, &CalTempSubMenu::setEmissivityDefault);
    d->openTemperatureCalibration();
    const QString flashPath = QString::fromLatin1(irsim::kFlashBoardPath);
    if (resetFirst) {
        QVERIFY(d->okAndWaitForTheLoop());   // "Cal Reset", where the page opens
        QCOMPARE(forCal.count(), 1);
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(page->pointLabel(n)->text(), QStringLiteral("500.0"));
        QCOMPARE(page->pointLabel(1)->styleSheet(), QStringLiteral("color: red;\nfont: bold 11pt;\n"));
        QCOMPARE(d->board.read("/root/kt_H.bin").size(), 2402);
    }
    const QByteArray flash = d->board.read(flashPath);
    QVERIFY(d->focusByKeys("pushButton_4"));
    irsim::clearCalls();
    QVERIFY(d->okAndWaitForTheLoop());
    for (const std::string &c : irsim::calls())
        QVERIFY2(c.rfind("set_tpd_", 0) != 0 && (!resetFirst || c.find("calc") == std::string::npos), c.c_str());
    QCOMPARE(d->board.read(flashPath), flash);
    if (!resetFirst)
        QVERIFY(!QFile::exists(d->board.file(flashPath)));
    // The tip says why and stays a while; after the reset the emissivity stays
    // for the calibration.
    QTRY_COMPARE(page->tipsLabel->text(), tip);
    QVERIFY(page->tipsLabel->isVisible());
    if (resetFirst)
        QCOMPARE(toDefault.count(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!page->tipsLabel->isVisible(), 5000);
}

void TestCalTempSubMenu::resetSavesTheTablesOfItsGain_data()
{
    QTest::addColumn<QString>("failing");   // an SDK call that fails
    QTest::addColumn<bool>("switchMeanwhile");
    QTest::newRow("a table not read: no file, the page says so") << "get_tpd_bt_array" << false;
    QTest::newRow("save and switch pressed during the reset") << "" << true;
}

void TestCalTempSubMenu::resetSavesTheTablesOfItsGain()
{
    QFETCH(QString, failing);
    QFETCH(bool, switchMeanwhile);
    CalTempSubMenu *page = d->w->calTempSubMenu;
    std::vector<uint16_t> highKt(TPD_KT_BT_LEN);
    ir::get_tpd_kt_array(highKt.data());
    if (!failing.isEmpty())
        irsim::setCallResult(failing.toStdString(), -1);
    d->openTemperatureCalibration();
    QueuedSpy done(d->w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    d->press(keycode::Ok);   // "Cal Reset", in high gain
    if (switchMeanwhile) {
        QVERIFY(d->focusByKeys("pushButton_6"));
        d->press(keycode::Ok);
    }
    QVERIFY(done.wait(15000));
    const QByteArray kt = d->board.read("/root/kt_H.bin");
    QVERIFY(!QFile::exists(d->board.file("/root/kt_L.bin")));
    if (!failing.isEmpty()) {
        QVERIFY(kt.isEmpty() && !QFile::exists(d->board.file("/root/bt_H.bin")));
        QTRY_COMPARE(page->tipsLabel->text(), QStringLiteral("Cal Reset failed, tables not saved"));
        QVERIFY(page->tipsLabel->isVisible());
        QVERIFY(page->tipsLabel->x() >= 0 && page->tipsLabel->geometry().right() < 240);   // all of it on screen
        return;
    }
    QCOMPARE(kt, QByteArray(reinterpret_cast<const char *>(highKt.data()), 2402));
    // The switch asked meanwhile is carried out after the reset.
    QTRY_COMPARE_WITH_TIMEOUT(page->gainStatusLabel->text(), QStringLiteral("Low Gain"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand), 5000);
    uint16_t moduleGain = 9;
    ir::get_prop_tpd_params(TPD_PROP_GAIN_SEL, &moduleGain);
    QCOMPARE(moduleGain, uint16_t{0});
}

void TestCalTempSubMenu::removeCoverReset_data()
{
    QTest::addColumn<bool>("node");
    QTest::newRow("the module answers") << true;
    QTest::newRow("no module node") << false;
}

void TestCalTempSubMenu::removeCoverReset()
{
    QFETCH(bool, node);
    if (!node)
        d->board.remove(QStringLiteral("/dev/usb_thermal"));
    CalTempSubMenu *page = d->w->calTempSubMenu;
    QSignalSpy close(page, &CalTempSubMenu::closeThermalCamera);
    QueuedSpy restart(d->w->cameraThread, &ThermalCameraThread::resetThermalCameraDevice);
    // The core takes the request only once the test lets it (at the latest after 5 s).
    struct Core {
        std::atomic<bool> answer{false};
        QByteArray sent;
        std::thread reader;
        QByteArray request()
        {
            answer = true;
            if (reader.joinable())
                reader.join();
            return sent;
        }
        ~Core() { request(); }
    } core;
    const QByteArray fifo = QFile::encodeName(d->board.file(QStringLiteral("/sim/usb_control.log")));
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    core.reader = std::thread([&core, fifo] {
        for (int i = 0; i < 500 && !core.answer; ++i)
            QThread::msleep(10);
        const int fd = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        char buf[256];
        for (int i = 0; i < 100 && !core.sent.contains('\n'); ++i) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            n > 0 ? void(core.sent.append(buf, n)) : QThread::msleep(10);
        }
        ::close(fd);
    });
    d->openTemperatureCalibration();
    QVERIFY(d->focusByKeys("pushButton_9"));
    d->press(keycode::Ok);
    // Waiting for the core, the page shows the tip and keys still move the focus.
    const bool answeredAtOnce = close.count() > 0;
    if (node) {
        QCOMPARE(page->tipsLabel->text(), QStringLiteral("RMVC_RESET"));
        QVERIFY(page->tipsLabel->isVisible());
        d->press(keycode::Down);
        QCOMPARE(page->focusWidget()->objectName(), QStringLiteral("pushButton_5"));
    }
    const QByteArray sent = core.request();
    QVERIFY(!answeredAtOnce);
    QTRY_COMPARE(close.count(), node ? 1 : 0);
    QTRY_COMPARE(page->tipsLabel->text(), node ? QStringLiteral("RMVC_RESET") : QStringLiteral("RMVC_RESET failed"));
    if (node) {
        QCOMPARE(close.at(0).at(0).toInt(), 2);
        QVERIFY(sent.contains("41 20 0000 0543 8"));
        QVERIFY(restart.wait(5000));   // the loop restarts the module
        QTRY_VERIFY(d->w->initializingLabel->isVisible());
    }
}

QTEST_MAIN(TestCalTempSubMenu)
#include "tst_caltempsubmenu.moc"
