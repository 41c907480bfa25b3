// Capture as a person does it: the trigger key freezes and shows the panel,
// a second press (or auto save) writes the image and its JPEG, the files are
// exact, and every refusal leaves the card as it was.
#include "common/livedevice.h"

#include "core/config.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/capture.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imagevideosavemenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QLabel>
#include <QRadioButton>

namespace {

const QString kBacklight = QStringLiteral("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness");

// A capture-ready device: the live view with a frame's readouts and snapshots.
struct Camera : LiveDevice {
    Camera()
    {
        boot();
        for (int i = 0; i < 256 * 192; ++i) {
            viewState.irGrayRaw[i] = static_cast<uint8_t>(i % 251);
            viewState.irThermalRaw[i] = static_cast<uint16_t>(4500 + i % 1000);
        }
        viewState.center_temp = QStringLiteral("21.3");
        viewState.max_temp = QStringLiteral("36.5");
        viewState.min_temp = QStringLiteral("8.0");
        Norvik7::colorMap = 0;
        w->vlcImage = QImage(264, 352, QImage::Format_RGB888);
        w->vlcImage.fill(Qt::darkGreen);
        availableDiskSmall = false;
        sdcardTipStatusEnable = true;
        QDir().mkpath(folder());
        board.clearCommands();
    }
    void trigger() const { press(keycode::Trigger); }
    int counter() const { return config::readInt(config::Image, QStringLiteral("image_count")); }
    bool frozen() const { return viewState.saveImageEnable.load(); }
    // Waits for the "Saved" confirmation to end.
    void waitSaved() const
    {
        QTRY_VERIFY_WITH_TIMEOUT(viewState.saveImageDone.load() && !viewState.saveImageEnable.load(), 5000);
    }
    QStringList files() const
    {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
};

}   // namespace

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    void freezeThenSave();
    void numbering_data();
    void numbering();
    void allNumbersTaken();
    void autoSaveInOnePress();
    void cancelWritesNothing();
    void whatTheFileRecords();
    void noVisiblePictureStillSaves();
    void partLeftByAPowerCutGoes();
    void failedWriteLeavesNothing();
    void requestWithTheGalleryOpen();
    void noCardTipOncePerSecond();
    void fullCard_data();
    void fullCard();
    void cancelWhileTheCardFillsUp();
    void serviceScreenshot();
};

void TestCapture::freezeThenSave()
{
    Camera c;
    Norvik7 &w = *c.w;
    c.trigger();
    QVERIFY(c.frozen());
    QCOMPARE(w.imageVideoSaveMenu->focusWidget(), w.imageVideoSaveMenu->pushButton_2);
    QVERIFY(saveScreenshot("media_capture_panel", {&w, w.imageVideoSaveMenu}));
    QVERIFY(c.files().isEmpty());

    c.trigger();   // the panel's focused button: save
    QVERIFY(!w.imageVideoSaveMenu->isVisible());
    QCOMPARE(c.files(), (QStringList{"IMG_0001.bmp", "IMG_0001.jpg"}));
    QCOMPARE(QFileInfo(c.folder() + "IMG_0001.bmp").size(), 406096);
    QCOMPARE(QImage(c.folder() + "IMG_0001.jpg").size(), QSize(240, 320));
    QCOMPARE(c.counter(), 2);
    // Backlight off, restored twice, then the card synced twice.
    QCOMPARE(
        c.board.commands(),
        (QStringList{"echo 0 > " + kBacklight, "echo 6 > " + kBacklight, "echo 6 > " + kBacklight, "sync", "sync"}));
    // "Saved": the picture flying in, the name, the message; still frozen.
    QCOMPARE(splashMessages().size(), 2);
    QVERIFY(splashMessages().contains("IMG_0001.bmp") && splashMessages().contains("Saved"));
    QVERIFY(c.frozen());
    QVERIFY(saveScreenshot("media_capture_saved", {&w}));
    c.waitSaved();
    QVERIFY(splashMessages().isEmpty());
}

void TestCapture::numbering_data()
{
    QTest::addColumn<QString>("stored");       // image_count before ("" = no key)
    QTest::addColumn<bool>("folder");          // DCIM_100 there
    QTest::addColumn<QStringList>("before");   // files already on the card
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("after");
    QTest::newRow("9999") << "9999" << true << QStringList() << "IMG_9999" << 10000;
    QTest::newRow("10000 reads as 1") << "10000" << true << QStringList() << "IMG_0001" << 2;
    QTest::newRow("garbage reads as 1") << "x" << true << QStringList() << "IMG_0001" << 2;
    QTest::newRow("missing folder numbers from 1") << "57" << false << QStringList() << "IMG_0001" << 2;
    QTest::newRow("its JPEG alone keeps the number")
        << "5" << true << QStringList{"IMG_0005.jpg", "IMG_0006.bmp"} << "IMG_0007" << 8;
}

void TestCapture::numbering()
{
    QFETCH(QString, stored);
    QFETCH(bool, folder);
    QFETCH(QStringList, before);
    QFETCH(QString, written);
    QFETCH(int, after);
    Camera c;
    if (!stored.isEmpty())
        config::write(config::Image, QStringLiteral("image_count"), stored);
    if (!folder)
        QDir(c.folder()).removeRecursively();
    for (const QString &name : before)
        c.board.write(kFolder + name, "earlier " + name.toLatin1());
    c.trigger();
    c.trigger();
    QVERIFY2(QFileInfo(c.folder() + written + ".bmp").size() == 406096, qPrintable(c.files().join(' ')));
    QVERIFY(QFileInfo::exists(c.folder() + written + ".jpg"));
    QCOMPARE(c.counter(), after);
    // Earlier images are never overwritten.
    for (const QString &name : before)
        QCOMPARE(c.board.read(kFolder + name), "earlier " + name.toLatin1());
}

void TestCapture::allNumbersTaken()
{
    Camera c;
    for (int i = 1; i <= 9999; ++i) {
        QFile f(c.folder() + QStringLiteral("IMG_%1.bmp").arg(i, 4, 10, QLatin1Char('0')));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    config::write(config::Image, QStringLiteral("image_count"), 42);
    c.trigger();
    c.trigger();
    QCOMPARE(splashMessages(), QStringList{"SD card is full!"});
    QCOMPARE(c.counter(), 42);
    QCOMPARE(QFileInfo(c.folder() + "IMG_0042.bmp").size(), 0);
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
}

void TestCapture::autoSaveInOnePress()
{
    Camera c;
    c.w->autoSaveSetSubMenu->autoSaveSetSubMenuUpdateRbtn2();   // "Yes"
    c.trigger();
    QCOMPARE(c.files(), (QStringList{"IMG_0001.bmp", "IMG_0001.jpg"}));
    c.waitSaved();
    c.trigger();
    QVERIFY(c.onCard("IMG_0002.bmp"));
}

void TestCapture::cancelWritesNothing()
{
    Camera c;
    Norvik7 &w = *c.w;
    c.trigger();
    QVERIFY(c.frozen());
    c.press(keycode::Up);   // to cancel
    QCOMPARE(w.imageVideoSaveMenu->focusWidget(), w.imageVideoSaveMenu->pushButton);
    c.trigger();
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QVERIFY(!w.imageVideoSaveMenu->isVisible());
    QVERIFY(c.board.commands().isEmpty());
    // Back cancels too.
    c.trigger();
    c.press(keycode::Back);
    QVERIFY(!c.frozen());
    QVERIFY(c.files().isEmpty());
    QCOMPARE(c.counter(), 0);
}

void TestCapture::whatTheFileRecords()
{
    Camera c;
    Norvik7 &w = *c.w;
    c.trigger();   // frozen: the readouts, marks and snapshots stay as they are now set
    QVERIFY(c.frozen());
    w.temperatureUnitSetMenu->radioButton_2->setChecked(true);   // Fahrenheit
    viewState.max_temp = QStringLiteral("98.6");
    viewState.min_temp = QStringLiteral("32.0");
    viewState.center_temp = QStringLiteral("70.4");
    w.measurementSetMenu->label_emissivity->setText(QStringLiteral("0.95"));
    w.HighTempLabel->move(100, 50);
    w.LowTempLabel->move(4, 290);
    Norvik7::colorMap = 5;
    viewState.irThermalRaw[0] = 12210;
    viewState.irThermalRaw[1] = 100;
    c.trigger();
    const QString path = c.folder() + "IMG_0001.bmp";
    const savedimage::Contents f = savedimage::readFile(path);
    QVERIFY(f.hasExif && f.hasRaw);
    QCOMPARE(int(f.fields.unitFlag), 1);
    QCOMPARE(int(f.fields.maxTemp), 370);
    QCOMPARE(int(f.fields.minTemp), 0);
    QCOMPARE(int(f.fields.centerTemp), 213);
    QCOMPARE(int(f.fields.emissivity), 95);
    QCOMPARE(int(f.fields.maxX), 116);
    QCOMPARE(int(f.fields.maxY), 66);
    QCOMPARE(int(f.fields.minX), 20);
    QCOMPARE(int(f.fields.minY), 306);
    QVERIFY(f.colourTable == savedimage::colormap_Lava);
    // Raw: 12210 gains 128 and is then held at hi = (37 + 273.15) x 16 = 4962;
    // 100 is raised to lo = 273.15 x 16 = 4370.
    const QByteArray raw = savedimage::readRaw(path);
    QCOMPARE(quint16(quint8(raw[0]) | quint8(raw[1]) << 8), quint16(4962));
    QCOMPARE(quint16(quint8(raw[2]) | quint8(raw[3]) << 8), quint16(4370));
    QCOMPARE(viewState.irThermalRaw[0], uint16_t(12210));   // the live snapshot itself is left as it was
    // The gray picture is the frame enlarged.
    const QByteArray gray = savedimage::readGray(path);
    QCOMPARE(quint8(gray[5 * 240 + 5]), viewState.irGrayRaw[4 * 192 + 4]);
    // The BMP is the screen.
    QCOMPARE(QImage(path, "BMP").pixel(120, 160), w.grab().toImage().pixel(120, 160));
}

void TestCapture::noVisiblePictureStillSaves()
{
    Camera c;
    c.trigger();
    c.w->vlcImage = QImage();   // the visible sensor gave nothing
    c.trigger();
    QCOMPARE(c.files(), QStringList{"IMG_0001.bmp"});
    QCOMPARE(QFileInfo(c.folder() + "IMG_0001.bmp").size(), 406096);
    QCOMPARE(c.counter(), 2);
}

void TestCapture::partLeftByAPowerCutGoes()
{
    Camera c;
    // Saves cut short by a power cut or a pulled card, of whatever number:
    // their part files are taken by the next save.
    c.board.write(kFolder + ".bmp.part", QByteArray(1000, 'x'));
    c.board.write(kFolder + ".jpg.part", QByteArray(1000, 'x'));
    c.trigger();
    c.trigger();
    QCOMPARE(c.files(), (QStringList{"IMG_0001.bmp", "IMG_0001.jpg"}));
    QCOMPARE(QFileInfo(c.folder() + "IMG_0001.bmp").size(), 406096);
}

void TestCapture::failedWriteLeavesNothing()
{
    Camera c;
    // The folder's name taken by a file: nothing can be written into it.
    QDir(c.folder()).removeRecursively();
    c.board.write(kFolder.chopped(1), "not a folder");
    config::write(config::Image, QStringLiteral("image_count"), 7);
    c.trigger();
    c.trigger();
    QCOMPARE(c.counter(), 7);
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QVERIFY(!splashMessages().contains("Saved"));
    const QStringList left =
        QDir(c.board.file("/media/mmcblk0p1")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, QStringList{"DCIM_100"});
    // The live view goes on and the next press freezes again.
    c.trigger();
    QVERIFY(c.frozen());
}

void TestCapture::requestWithTheGalleryOpen()
{
    Camera c;
    c.putImages(2);
    c.press(keycode::Gallery);
    c.w->saveTriggerButton->click();
    QVERIFY(!c.w->imageListViewer->isVisible());
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QCOMPARE(c.files().size(), 4);
}

void TestCapture::noCardTipOncePerSecond()
{
    Camera c;
    c.board.remove(QStringLiteral("/dev/mmcblk0p1"));
    c.trigger();
    QCOMPARE(splashMessages(), QStringList{"No SD card!"});
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    c.trigger();   // within the second: no second tip
    QCOMPARE(splashMessages(), QStringList{"No SD card!"});
    QTRY_VERIFY_WITH_TIMEOUT(sdcardTipStatusEnable && splashMessages().isEmpty(), 3000);
    c.trigger();
    QCOMPARE(splashMessages(), QStringList{"No SD card!"});
    QVERIFY(c.board.commands().isEmpty());
}

void TestCapture::fullCard_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("1 MB free, read by capture") << "space";
    QTest::newRow("reported by the device information page") << "report";
}

void TestCapture::fullCard()
{
    QFETCH(QString, how);
    Camera c;
    if (how == "space")
        c.board.write("/sim/sd_free_mb", "1");
    else
        emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
    c.trigger();
    QCOMPARE(splashMessages(), QStringList{"SD card is full!"});
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    // Room again: capture works.
    QTRY_VERIFY_WITH_TIMEOUT(splashMessages().isEmpty(), 2000);
    c.board.write("/sim/sd_free_mb", "2");
    emit c.w->deviceInformationSubMenu->availableDiskIsSmall(false);
    c.trigger();
    QVERIFY(c.frozen());
}

void TestCapture::cancelWhileTheCardFillsUp()
{
    Camera c;
    c.trigger();
    emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
    // Saving now is refused with the tip and the picture is let go ...
    c.trigger();
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QVERIFY(c.files().isEmpty());
    QVERIFY(splashMessages().contains("SD card is full!"));
    // ... and a frozen picture can always be cancelled.
    emit c.w->deviceInformationSubMenu->availableDiskIsSmall(false);
    c.trigger();
    QVERIFY(c.frozen());
    emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
    c.press(keycode::Up);
    c.trigger();
    QVERIFY(!c.frozen());
}

void TestCapture::serviceScreenshot()
{
    Camera c;
    c.w->snapshotImage();
    QVERIFY(QDir(c.board.file("/media/mmcblk0p1")).entryList({"Velkar4*"}, QDir::Files).isEmpty());
    QDir().mkpath(c.board.file("/media/mmcblk0p1/Images"));
    c.press(keycode::Back);   // the back key in the live view takes one
    const QStringList shots = QDir(c.board.file("/media/mmcblk0p1/Images")).entryList(QDir::Files);
    QCOMPARE(shots.size(), 1);
    QVERIFY(QRegularExpression("^Velkar4SNAPSHOT\\d{14}\\.bmp$").match(shots.first()).hasMatch());
    QCOMPARE(QImage(c.board.file("/media/mmcblk0p1/Images/" + shots.first())).size(), QSize(240, 320));
    QVERIFY(c.files().isEmpty());   // no image number taken
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
