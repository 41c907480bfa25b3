// The main window's side of image capture: freeze, confirm, save, the
// "Saved" confirmation, the card tips and the service screenshot.
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

#include "core/config.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/norvik7.h"
#include "app/powerrules.h"
#include "board/board.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/viewstate.h"
#include "media/capture.h"
#include "board/cardspace.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/savedimage.h"
#include "settings/menus/temperatureunitsetmenu.h"

namespace {

int imageCount = 0;   // number of the image being written
// The screen as it was when the picture froze, before the panel came up.
QImage frozenScreen;

const char *const kCardTipStyle = "background-color: rgba(255, 255, 255, 30%);\nborder-color: rgb(255, 255, 255);\n";
const char *const kSavedStyle = "background-color: rgba(58, 58, 58, 50%);\nborder-color: rgb(255, 255, 255);\n";

// The card's block device, opened to test that a card is there and closed
// again whichever way the request ends.
struct CardDevice {
    int fd = board::cardOpen();
    ~CardDevice()
    {
        if (fd >= 0)
            board::closeFd(fd);
    }
    bool present() const { return fd >= 0; }
};

QImage grabScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    return screen->grabWindow(0, 0, 0, 240, 320).toImage();
}

// A frameless splash window that deletes itself when closed after `ms`.
QSplashScreen *splash(const QPixmap &picture, const QRect &geometry, int ms)
{
    auto *s = new QSplashScreen(picture);
    s->setWindowFlags(Qt::FramelessWindowHint | Qt::SplashScreen);
    s->setAttribute(Qt::WA_DeleteOnClose);
    s->setGeometry(geometry);
    s->show();
    QTimer::singleShot(ms, s, &QWidget::close);
    return s;
}

QSplashScreen *textSplash(const QString &text, const QRect &geometry, const char *style, const QColor &back, int ms)
{
    QPixmap p(geometry.size());
    p.fill(back);
    QSplashScreen *s = splash(p, geometry, ms);
    s->setStyleSheet(QString::fromLatin1(style));
    s->showMessage(text, Qt::AlignCenter, Qt::white);
    return s;
}

// The backlight as the stored brightness says ("High" written when it says
// nothing known).
void restoreBacklight()
{
    static const QStringList levels{QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High")};
    int index = levels.indexOf(config::readString(config::Main, QStringLiteral("display_intensity")));
    if (index < 0) {
        index = 2;
        config::write(config::Main, QStringLiteral("display_intensity"), levels[2]);
    }
    board::run(displayIntensityCommand(index));
}

}   // namespace

void Norvik7::closeMenusForCapture()
{
    if (editingDateTime())
        ok_pushButton->click();
    else
        clickEditedValue();
    // One level at a time; a screen that will not close ends the walk.
    while ((mainMenu->isVisible() || imageListViewer->isVisible()) && closeOneLevel()) {}
}

bool Norvik7::putPanelAway()
{
    closeMenusForCapture();
    if (!imageVideoSaveMenu->isVisible())
        return false;
    imageVideoSaveMenu->hide();
    imageVideoSaveMenu->pushButton_2->setFocus();
    return true;
}

void Norvik7::showCardTip(const QString &message)
{
    splash(QPixmap(QStringLiteral(":/images/no_sdcard.png")), QRect(88, 128, 64, 64), 1000);
    textSplash(message, QRect(56, 197, 128, 32), kCardTipStyle, QColor(255, 255, 255, 77), 1000);
}

void Norvik7::isSaveImageVideo()
{
    viewState.saveImageDone = false;
    const CardDevice card;
    if (!card.present()) {
        putPanelAway();
        if (sdcardTipStatusEnable) {
            showCardTip(tr("No SD card!"));
            QTimer::singleShot(1000, this, &Norvik7::updateSdcardTipStatus);
            sdcardTipStatusEnable = false;
        }
        viewState.saveImageDone = true;
        viewState.saveImageEnable = false;
        return;
    }
    if (mainMenu->isVisible() || imageListViewer->isVisible()) {
        closeMenusForCapture();
        viewState.saveImageDone = true;
        return;
    }
    if (viewState.saveImageEnable) {
        // Cancel: always possible, whatever the card holds.
        viewState.saveImageEnable = false;
        frozenScreen = QImage();
        imageVideoSaveMenu->hide();
        imageVideoSaveMenu->pushButton_2->setFocus();
        viewState.saveImageDone = true;
        return;
    }
    // A card without room for one more image: say so and freeze nothing.
    if (availableDiskSmall || cardspace::cardIsLow()) {
        showCardTip(tr("SD card is full!"));
        viewState.saveImageDone = true;
        return;
    }
    viewState.saveImageEnable = true;
    // A blinking high alert stops with the picture: the output goes low.
    if (HiLoAlertSetMenu::led_on == 1) {
        gpio_set_value(gpioFd, 1, 0);
        HiLoAlertSetMenu::led_on = 0;
    }
    // The picture saved is the screen as it froze, without the panel over it.
    frozenScreen = grabScreen();
    imageVideoSaveMenu->openForCapture();
}

void Norvik7::abandonSave()
{
    viewState.saveImageEnable = false;
    viewState.saveImageDone = true;
    frozenScreen = QImage();
}

void Norvik7::saveImage()
{
    viewState.saveImageDone = false;
    const CardDevice card;
    if (!card.present()) {
        if (putPanelAway())
            viewState.saveImageEnable = false;
        showCardTip(tr("No SD card!"));
        viewState.saveImageDone = true;
        return;
    }
    if (!viewState.saveImageEnable || mainMenu->isVisible() || imageListViewer->isVisible()) {
        closeMenusForCapture();
        viewState.saveImageDone = true;
        return;
    }
    if (imageVideoSaveMenu->isHidden() && !imageVideoSaveMenu->pending) {
        abandonSave();
        return;
    }
    imageVideoSaveMenu->pending = false;
    imageVideoSaveMenu->hide();
    imageVideoSaveMenu->pushButton_2->setFocus();

    imageCount = (availableDiskSmall || cardspace::cardIsLow()) ? 0 : capture::chooseNumber();
    if (imageCount == 0) {
        // No room, or every number taken: nothing is written.
        showCardTip(tr("SD card is full!"));
        abandonSave();
        return;
    }

    capture::Shot shot;
    shot.screen = frozenScreen.isNull() ? grabScreen() : frozenScreen;
    frozenScreen = QImage();
    if (shot.screen.isNull()) {
        abandonSave();
        return;
    }
    board::run(QStringLiteral("echo 0 > ") + QLatin1String(power::kBacklight));
    shot.gray = viewState.irGrayRaw;
    shot.raw = viewState.irThermalRaw;
    shot.centre = viewState.center_temp;
    shot.max = viewState.max_temp;
    shot.min = viewState.min_temp;
    shot.celsius = temperatureUnitSetMenu->radioButton->isChecked();
    shot.emissivity = measurementSetMenu->label_emissivity->text();
    shot.minMarker = LowTempLabel->pos();
    shot.maxMarker = HighTempLabel->pos();
    shot.colorMap = colorMap;
    printf("The length of image is %d\n", savedimage::kBmpSize);
    const QByteArray file = capture::thermalFile(shot);
    restoreBacklight();
    const bool written = capture::writeWhole(capture::bmpPath(imageCount), file);
    printf("Free BmpExif!\n");
    restoreBacklight();
    if (!written) {
        printf("Error opening file to read %s......\n", qPrintable(capture::bmpPath(imageCount)));
        abandonSave();
        return;
    }

    // "Saved": the grab flying in, the name and the message.
    const QString stem = QStringLiteral("IMG_%1").arg(imageCount, 4, 10, QLatin1Char('0'));
    QSplashScreen *picture =
        splash(QPixmap::fromImage(shot.screen.scaled(120, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)),
               QRect(-120, -160, 120, 160), 3000);
    auto *fly = new QPropertyAnimation(picture, "geometry", picture);
    fly->setDuration(2000);
    fly->setEasingCurve(QEasingCurve::OutBounce);
    fly->setStartValue(QRect(QPoint(-120, -160), QPoint(-1, -1)));
    fly->setEndValue(QRect(60, 64, 120, 160));
    fly->start();
    textSplash(stem + QStringLiteral(".bmp"), QRect(60, 224, 120, 32), kSavedStyle, QColor(58, 58, 58, 128), 3000);
    textSplash(tr("Saved"), QRect(60, 278, 120, 32), kSavedStyle, QColor(58, 58, 58, 128), 3000);
    QTimer::singleShot(3000, this, &Norvik7::finishSaveImage);

    // Without a visible picture the thermal image is all there is.
    // (The live view's own picture is left as it is: its crop is cut from it.)
    if (!vlcImage.isNull())
        capture::writeJpeg(capture::jpgPath(imageCount), vlcImage);
    imageCount = imageCount + 1;
    capture::writeCounter(imageCount);
    board::run(QStringLiteral("sync"));
    board::run(QStringLiteral("sync"));
}

void Norvik7::finishSaveImage()
{
    viewState.saveImageDone = true;
    viewState.saveImageEnable = false;
}

void Norvik7::updateSdcardTipStatus() { sdcardTipStatusEnable = true; }

void Norvik7::availableDiskIsSmall(bool small) { availableDiskSmall = small; }

void Norvik7::snapshotImage()
{
    const QString folder = QStringLiteral("/media/mmcblk0p1/Images/");
    if (!QFileInfo(board::path(folder)).isDir())
        return;
    printf("SnapshotImage ...\n");
    const QImage shot = grabScreen();
    if (shot.isNull())
        return;
    const QString name = folder + QStringLiteral("Velkar4SNAPSHOT") +
        board::now().toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".bmp");
    capture::writeWhole(name, savedimage::bmpOf(shot));
}
