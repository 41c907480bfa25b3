#include "app/norvik7.h"
#include "core/logging.h"

#include "app/boardcommands.h"
#include "core/config.h"
#include "board/board.h"
#include "liveview/overlaylayer.h"
#include "liveview/viewstate.h"
#include "settings/menus/bootsettingsmenu.h"

#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

int Norvik7::colorMap = 0;

Norvik7::Norvik7(QMainWindow *parent) : QMainWindow(parent)
{
    setupUi(this);
    qCDebug(lcApp) << "Norvik7:" << QThread::currentThreadId();
    qCDebug(lcApp) << "time:"
                   << "14:22:09";

    if (!openKeyDevice()) {
        m_built = Built::KeyDeviceFailed;
        return;
    }
    if (!openGpio()) {
        m_built = Built::GpioFailed;
        return;
    }
    boardcommands::restoreConfiguration();
    createMenus();
    createOverlayWidgets();
    hideAtStart();
    applyStoredSettings();
    readStartupFlags();
    readCalibrationValues();
    createTimers();
    setupLiveView();
    startThreads();
    makeConnections();
    makeAcquisitionConnections();
    makeConnectivityConnections();
    getLocalMachineMac();
    setupPower();
    setupKeyInput();
    m_built = Built::Complete;
}

Norvik7::~Norvik7()
{
    if (kbdFd >= 0)
        board::closeFd(kbdFd);
    keyCodeText.clear();
}

bool Norvik7::openKeyDevice()
{
    kbdFd = board::keyDeviceOpen();
    if (kbdFd < 0) {
        perror("open /dev/input/event_key");
        return false;
    }
    keyNotifier = new QSocketNotifier(kbdFd, QSocketNotifier::Read, this);
    connect(keyNotifier, &QSocketNotifier::activated, this, &Norvik7::kbdReadyRead);
    return true;
}

bool Norvik7::openGpio()
{
    gpioFd = board::gpioOpen();
    if (gpioFd < 0) {
        perror("open /dev/gpio");
        return false;
    }
    return true;
}

QString Norvik7::cautionText() { return tr("Caution: \n\nHigh Internal Temperature.\nAllow it to cool."); }
QString Norvik7::initializingText() { return tr("Initializing..."); }

void Norvik7::createOverlayWidgets()
{
    new OverlayLayer(TempLabel, 0.8);
    ZoneHighTempPicLabel->setGeometry(0, 10, 22, 22);
    ZoneHighTempValueLabel->setGeometry(25, 5, 85, 32);
    HighAlertLabel->setGeometry(56, 96, 128, 128);
    LowAlertLabel->setGeometry(56, 96, 128, 128);
    HighAlertTextLabel->setGeometry(98, 166, 44, 32);
    LowAlertTextLabel->setGeometry(98, 122, 44, 32);

    auto invisible = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(0, 0, 1, 1);
        b->hide();
        return b;
    };
    saveTriggerButton = invisible("saveTriggerButton");
    calTempButton = invisible("calTempButton");
    upgradeButton = invisible("upgradeButton");
    calImageButton = invisible("calImageButton");

    chargingLabel = new QLabel(this);
    chargingLabel->setObjectName(QStringLiteral("chargingLabel"));
    chargingLabel->setGeometry(200, 13, 32, 16);
    chargingLabel->setStyleSheet(QStringLiteral("border-image: url(:/images/battery/charge_0.png);"));
    chargingLabel->hide();

    cautionLabel = new QLabel(this);
    cautionLabel->setObjectName(QStringLiteral("cautionLabel"));
    cautionLabel->setGeometry(10, 100, 220, 100);
    cautionLabel->setAlignment(Qt::AlignCenter);
    cautionLabel->setWordWrap(true);
    cautionLabel->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);\nfont: bold 12pt \"DejaVu Sans\";"));
    cautionLabel->setText(cautionText());
    cautionLabel->hide();

    initializingLabel = new QLabel(this);
    initializingLabel->setObjectName(QStringLiteral("initializingLabel"));
    initializingLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);\nfont: bold 14pt \"DejaVu Sans\";"));
    initializingLabel->setText(initializingText());
    initializingLabel->setGeometry(70, 290, 100, 26);
    initializingLabel->adjustSize();
    initializingLabel->move(120 - initializingLabel->width() / 2, 290);
    initializingLabel->hide();
}

void Norvik7::hideAtStart()
{
    // Overlays that start hidden; the live view shows them as their options say.
    for (QWidget *w : {static_cast<QWidget *>(menuTipsLabel), static_cast<QWidget *>(HighAlertLabel),
                       static_cast<QWidget *>(LowAlertLabel), static_cast<QWidget *>(HighAlertTextLabel),
                       static_cast<QWidget *>(LowAlertTextLabel), static_cast<QWidget *>(MoveCursorOneLabel),
                       static_cast<QWidget *>(MoveCursorTwoLabel), static_cast<QWidget *>(MoveCursorThreeLabel),
                       static_cast<QWidget *>(MoveCursorOneTextLabel), static_cast<QWidget *>(MoveCursorTwoTextLabel),
                       static_cast<QWidget *>(MoveCursorThreeTextLabel), static_cast<QWidget *>(ZoneHighTempPicLabel),
                       static_cast<QWidget *>(ZoneHighTempValueLabel), static_cast<QWidget *>(WifiStatusLabel)})
        w->hide();
}

void Norvik7::readStartupFlags()
{
    const QString language = config::readString(config::System, QStringLiteral("language"));
    showBootSettingsMenu = language == QLatin1String("none");
    if (!showBootSettingsMenu)
        bootSettingsMenu->close();
}

void Norvik7::readCalibrationValues()
{
    // The calibration points and the visible-image offsets are read by their
    // owners when they are built.
}

void Norvik7::createTimers()
{
    refreshTimer = new QTimer(this);
    cursorTimer = new QTimer(this);
    secondTimer = new QTimer(this);
    batteryTimer = new QTimer(this);
    releaseTimer = new QTimer(this);
    connect(refreshTimer, &QTimer::timeout, this, &Norvik7::timerUpdate);
    connect(refreshTimer, &QTimer::timeout, this, &Norvik7::usbChargeStatusCheck);
    connect(secondTimer, &QTimer::timeout, this, &Norvik7::autoPowerOffCheck);
    connect(secondTimer, &QTimer::timeout, this, &Norvik7::tmp112Read);
    connect(batteryTimer, &QTimer::timeout, this, &Norvik7::batteryCapacityUpdate);
    connect(releaseTimer, &QTimer::timeout, this, &Norvik7::cpuInternalTempRead);
    connect(releaseTimer, &QTimer::timeout, this, &Norvik7::releaseMemory);
    refreshTimer->start(500);
    cursorTimer->start(500);
    secondTimer->start(1000);
    batteryTimer->start(2000);
    releaseTimer->start(30000);
}

void Norvik7::revealOnFrame(int frameCounter)
{
    if (!isHidden())
        return;
    const BootRevealStep step = bootReveal.onFrame(frameCounter);
    if (step.show) {
        show();
        initializingLabel->show();
        QTimer::singleShot(3000, initializingLabel, &QLabel::hide);
        // For the start-up measurement and the screenshot script: when the
        // live view takes over from the splash, and when it takes keys.
        if (qEnvironmentVariableIsSet("NORVIK7_STARTUP_TIMES")) {
            std::printf("startup: live view shown at %lld ms\n", QDateTime::currentMSecsSinceEpoch());
            QTimer::singleShot(3000, initializingLabel, [] {
                std::printf("startup: live view takes keys at %lld ms\n", QDateTime::currentMSecsSinceEpoch());
            });
        }
        emit bootOkForThermalCamera();
        if (showBootSettingsMenu)
            bootSettingsMenu->bootSettingsMenuEnable();
    }
    if (step.emitProgress100)
        emit updateBootProgressValue(100);
}

void Norvik7::releaseMemory() { boardcommands::runAll(boardcommands::memoryRelease()); }

void Norvik7::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        updateTempLabel();
        if (cautionLabel && cautionLabel->isVisible())
            cautionLabel->setText(cautionText());
        if (initializingLabel && initializingLabel->isVisible())
            initializingLabel->setText(initializingText());
    }
}
