// Capture as a person does it: the trigger key freezes and shows the panel,
// a second press (or auto save) writes the image and its JPEG, the files are
// exact, and every refusal leaves the card as it was.
#include "common/livedevice.h"

#include "core/config.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/capture.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/imagevideosavemenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QDirIterator>
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
    void refused_data();
    void refused();
    void cancelWritesNothing();
    void whatTheFileRecords();
    void serviceScreenshot();
};

void TestCapture::freezeThenSave()
{
    Camera c;
    Norvik7 &w = *c.w;
    c.trigger();
    QVERIFY(c.frozen());
    QCOMPARE(w.imageVideoSaveMenu->focusWidget(), w.imageVideoSaveMenu->pushButton_2);
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
    // With auto save one press saves.
    c.w->autoSaveSetSubMenu->autoSaveSetSubMenuUpdateRbtn2();
    c.trigger();
    QVERIFY(c.onCard("IMG_0002.bmp"));
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
    // Saves cut short by a power cut or a pulled card: their part files are taken by the next save.
    QTest::newRow("part files left go") << "" << true << QStringList{".bmp.part", ".jpg.part"} << "IMG_0001" << 2;
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
        QCOMPARE(c.board.read(kFolder + name), name.endsWith(".part") ? QByteArray() : "earlier " + name.toLatin1());
}

void TestCapture::refused_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("tip");
    QTest::newRow("no card") << "card"
                             << "No SD card!";
    QTest::newRow("1 MB free, read by capture") << "space"
                                                << "SD card is full!";
    QTest::newRow("reported by the device information page") << "report"
                                                             << "SD card is full!";
    QTest::newRow("every number taken") << "numbers"
                                        << "SD card is full!";
    QTest::newRow("folder name taken by a file") << "folder"
                                                 << "";
}

// Every refusal leaves the card and the counter as they were, and capture alive.
void TestCapture::refused()
{
    QFETCH(QString, fault);
    QFETCH(QString, tip);
    Camera c;
    config::write(config::Image, QStringLiteral("image_count"), 42);
    if (fault == "card")
        c.board.remove(QStringLiteral("/dev/mmcblk0p1"));
    if (fault == "space")
        c.board.write("/sim/sd_free_mb", "1");
    if (fault == "report")
        emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
    for (int i = 1; fault == "numbers" && i <= 9999; ++i)
        QVERIFY(QFile(c.folder() + QStringLiteral("IMG_%1.bmp").arg(i, 4, 10, QLatin1Char('0')))
                    .open(QIODevice::WriteOnly));
    if (fault == "folder") {
        QDir(c.folder()).removeRecursively();
        c.board.write(kFolder.chopped(1), "not a folder");
    }
    const bool freezes = fault == "numbers" || fault == "folder";
    c.trigger();
    QCOMPARE(c.frozen(), freezes);
    if (freezes)
        c.trigger();
    QCOMPARE(splashMessages(), tip.isEmpty() ? QStringList() : QStringList{tip});
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QCOMPARE(c.counter(), 42);
    QStringList written;
    for (QDirIterator it(c.board.file("/media/mmcblk0p1"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        if (it.next(), it.fileInfo().size() > 0)
            written << it.fileName();
    QCOMPARE(written, fault == "folder" ? QStringList{"DCIM_100"} : QStringList());
    QVERIFY(!c.board.commands().contains("sync"));
    // Capture goes on; the no-card tip shows once a second, the full card's each time.
    c.trigger();
    QCOMPARE(c.frozen(), freezes);
    QCOMPARE(splashMessages().size(), fault == "space" || fault == "report" ? 2 : tip.isEmpty() ? 0 : 1);
}

void TestCapture::cancelWritesNothing()
{
    Camera c;
    Norvik7 &w = *c.w;
    c.trigger();
    c.press(keycode::Up);   // to cancel
    QCOMPARE(w.imageVideoSaveMenu->focusWidget(), w.imageVideoSaveMenu->pushButton);
    c.trigger();
    QVERIFY(!c.frozen() && viewState.saveImageDone.load());
    QVERIFY(!w.imageVideoSaveMenu->isVisible());
    // Back cancels too, and a frozen picture can be cancelled while the card is full.
    c.trigger();
    c.press(keycode::Back);
    QVERIFY(!c.frozen());
    c.trigger();
    emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
    c.press(keycode::Up);
    c.trigger();
    QVERIFY(!c.frozen());
    QVERIFY(c.files().isEmpty() && c.board.commands().isEmpty());
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
    w.vlcImage = QImage();   // the visible sensor gave nothing: saved without the JPEG
    c.trigger();
    QCOMPARE(c.files(), QStringList{"IMG_0001.bmp"});
    QCOMPARE(c.counter(), 2);
    const QString path = c.folder() + "IMG_0001.bmp";
    const savedimage::Contents f = savedimage::readFile(path);
    QVERIFY(f.hasExif && f.hasRaw);
    const savedimage::ExifFields &e = f.fields;
    QCOMPARE(QList<int>({e.unitFlag, e.maxTemp, e.minTemp, e.centerTemp, e.emissivity, e.maxX, e.maxY, e.minX, e.minY}),
             QList<int>({1, 370, 0, 213, 95, 116, 66, 20, 306}));
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
