#include "calibration/menus/caltempsubmenu.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "core/config.h"
#include "board/board.h"
#include "core/logging.h"
#include "liveview/viewstate.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

#include <cstdio>

static bool calTempSubMenuEnabled = true;

namespace {
const char kGreen[] = "color: green;\nfont: bold 13pt;\n";
const char kRed[] = "color: red;\nfont: bold 11pt;\n";
// The vendor request that resets the module's remove-cover calibration.
const char kUsbNode[] = "/dev/usb_thermal";
}   // namespace

CalTempSubMenu::CalTempSubMenu(QMainWindow *parent) : Screen(&calTempSubMenuEnabled, parent)
{
    setButtons({pushButton_5, pushButton_3, pushButton_2, pushButton_8, pushButton_4, pushButton_6, pushButton_7,
                pushButton_9});
    m_tipTimer = new QTimer(this);
    m_tipTimer->setSingleShot(true);
    connect(m_tipTimer, &QTimer::timeout, tipsLabel, &QLabel::hide);
    connect(pushButton_8, &QPushButton::clicked, this, &CalTempSubMenu::cmd_TPD_CAL_HIGH_TEMP);
    connect(pushButton_2, &QPushButton::clicked, this, &CalTempSubMenu::cmd_TPD_CAL_MID_TEMP);
    connect(pushButton_3, &QPushButton::clicked, this, &CalTempSubMenu::cmd_TPD_CAL_LOW_TEMP);
    connect(pushButton_4, &QPushButton::clicked, this, &CalTempSubMenu::newRecal);
    connect(pushButton_5, &QPushButton::clicked, this, &CalTempSubMenu::cmd_TPD_TEMP_CAL_RESET);
    connect(pushButton_6, &QPushButton::clicked, this, &CalTempSubMenu::saveCalAndSwitchGain);
    connect(pushButton_7, &QPushButton::clicked, this, &CalTempSubMenu::cmd_RMVC_CAL);
    connect(pushButton_9, &QPushButton::clicked, this, &CalTempSubMenu::cmd_RMVC_RESET);
    connect(this, &CalTempSubMenu::removeCoverResetDone, this, &CalTempSubMenu::removeCoverResetFinished,
            Qt::QueuedConnection);
}

CalTempSubMenu::~CalTempSubMenu()
{
    if (m_removeCoverReset)
        m_removeCoverReset->wait();
}

QLabel *CalTempSubMenu::pointLabel(int n) const
{
    QLabel *labels[] = {cal1Label, cal2Label, cal3Label, cal4Label, cal5Label, cal6Label};
    return n >= 1 && n <= 6 ? labels[n - 1] : nullptr;
}

void CalTempSubMenu::calTempSubMenuEnable()
{
    if (isHidden()) {
        showPointValues();
        followGainInUse();
        pushButton_5->setFocus();
    }
    toggleVisible();
}

void CalTempSubMenu::showPointValues()
{
    for (int n = 1; n <= 6; ++n) {
        pointLabel(n)->setText(caltables::valueText(caltables::pointValue(n)));
        pointLabel(n)->setStyleSheet(QString::fromLatin1(kGreen));
    }
}

void CalTempSubMenu::labelPointButtons(int gain)
{
    const bool high = gain != 0;
    pushButton_3->setText(high ? tr("Cal -10") : tr("Cal 120"));
    pushButton_2->setText(high ? tr("Cal 20") : tr("Cal 250"));
    pushButton_8->setText(high ? tr("Cal 100") : tr("Cal 400"));
    gainStatusLabel->setText(high ? tr("High Gain") : tr("Low Gain"));
}

// The point buttons name the set points of the range in use; the layout's
// texts are the high range's.
void CalTempSubMenu::followGainInUse()
{
    const int gain = acqState.temperature_scale.load();
    if (gainStatusLabel->text() != (gain != 0 ? tr("High Gain") : tr("Low Gain")))
        labelPointButtons(gain);
}

void CalTempSubMenu::updateCalTempSubMenu()
{
    const int gain = acqState.temperature_scale.load();
    labelPointButtons(gain);
    config::write(config::Main, QStringLiteral("temperature_scale"),
                  gain != 0 ? QStringLiteral("high_gain") : QStringLiteral("low_gain"));
    gainSwitchIdle = true;
}

void CalTempSubMenu::retranslate()
{
    Screen::retranslate();
    followGainInUse();
}

// ---- tips ------------------------------------------------------------------------------------

void CalTempSubMenu::showTip(const QString &text)
{
    m_tipKept = false;
    tipsLabel->setText(text);
    showCalTips();
}

void CalTempSubMenu::keepTip(const QString &text)
{
    showTip(text);
    m_tipKept = true;
    m_tipTimer->start(kRefusalTipMs);
}

void CalTempSubMenu::showCalTips()
{
    m_tipTimer->stop();
    tipsLabel->setWordWrap(false);
    tipsLabel->adjustSize();
    // A text wider than the screen is broken into lines that fit it.
    constexpr int kWidest = 230;
    if (tipsLabel->width() > kWidest) {
        tipsLabel->setWordWrap(true);
        tipsLabel->resize(kWidest, tipsLabel->heightForWidth(kWidest));
    }
    tipsLabel->move((240 - tipsLabel->width()) / 2, 40);
    tipsLabel->raise();
    tipsLabel->show();
    if (tipsLabel->text() == tr("Cal Save, Switch Gain..."))
        m_tipTimer->start(kSwitchTipMs);
}

void CalTempSubMenu::hideCalTips()
{
    if (caltables::takeFailedSave()) {
        keepTip(tr("Cal Reset failed, tables not saved"));
        return;
    }
    // A tip that says why keeps its place for a while.
    if (m_tipKept)
        return;
    if (tipsLabel->text() == tr("New Recal...")) {
        emit setEmissivityDefault();
        if (caltables::lastRecalResult() < 0) {
            keepTip(tr("Recal failed, tables unchanged"));
            return;
        }
    }
    tipsLabel->hide();
}

// ---- points -----------------------------------------------------------------------------------

void CalTempSubMenu::recordPoint(caltables::Point p, const QString &word)
{
    uint16_t vtemp = 0;
    const bool referenceRead = ir::cur_vtemp_get(&vtemp) >= 0;
    std::printf("cur_vtemp_get:%d\n", vtemp);
    const int gain = acqState.currentGain.load() == 1 ? 1 : 0;
    QLabel *label = pointLabel(caltables::keyNumber(gain, p));
    if (referenceRead) {
        showTip(word + QString::number(caltables::setPoint(gain, p)) + QStringLiteral("℃ "));
        const float measured = caltables::celsiusOfWord(viewState.centerTempValue);
        caltables::recordPoint(gain, p, measured, vtemp);
        label->setText(caltables::valueText(measured));
        label->setStyleSheet(QString::fromLatin1(kGreen));
    } else {
        // Without the core's reference the measurement cannot be used.
        keepTip(tr("No reference reading, point not recorded"));
        caltables::forgetPoint(gain, p);
        label->setText(caltables::valueText(caltables::kUnrecorded));
        label->setStyleSheet(QString::fromLatin1(kRed));
    }
    board::run(QStringLiteral("sync"));
}

void CalTempSubMenu::cmd_TPD_CAL_HIGH_TEMP() { recordPoint(caltables::High, tr("Cal High: ")); }
void CalTempSubMenu::cmd_TPD_CAL_MID_TEMP() { recordPoint(caltables::Middle, tr("Cal Mid: ")); }
void CalTempSubMenu::cmd_TPD_CAL_LOW_TEMP() { recordPoint(caltables::Low, tr("Cal Low: ")); }

void CalTempSubMenu::cmd_TPD_TEMP_CAL_RESET()
{
    showTip(tr("Temp Cal Reset..."));
    caltables::resetPoints();
    for (int n = 1; n <= 6; ++n) {
        pointLabel(n)->setText(caltables::valueText(caltables::kUnrecorded));
        pointLabel(n)->setStyleSheet(QString::fromLatin1(kRed));
    }
    emit setEmissivityForCal();
}

void CalTempSubMenu::newRecal()
{
    const int gain = acqState.currentGain.load() == 1 ? 1 : 0;
    if (caltables::allRecorded(caltables::pointsOf(gain))) {
        showTip(tr("New Recal..."));
        return;
    }
    // The loop refuses it as well; the tables stay as they are.
    keepTip(tr("Record all three points first"));
}

void CalTempSubMenu::saveCalAndSwitchGain()
{
    gainSwitchIdle = false;
    showTip(tr("Cal Save, Switch Gain..."));
    QTimer::singleShot(kRelabelMs, Qt::PreciseTimer, this, &CalTempSubMenu::updateCalTempSubMenu);
}

// ---- remove-cover calibration -----------------------------------------------------------------------

void CalTempSubMenu::cmd_RMVC_CAL() { showTip(tr("RMVC_CAL")); }

void CalTempSubMenu::cmd_RMVC_RESET()
{
    if (m_removeCoverReset)
        return;   // one request at a time
    showTip(tr("RMVC_RESET"));
    // The module may take up to 100 s to answer: the page and the keys stay
    // alive meanwhile, and the answer comes back as removeCoverResetDone().
    m_removeCoverReset = QThread::create([this] {
        unsigned char data[8] = {};
        board::UsbControl req;
        req.requestType = 0x41;
        req.request = 0x20;
        req.value = 0;
        req.index = 0x0543;
        req.length = 8;
        req.timeoutMs = 100000;
        req.data = data;
        emit removeCoverResetDone(static_cast<int>(board::usbControl(QString::fromLatin1(kUsbNode), req)));
    });
    m_removeCoverReset->setParent(this);
    m_removeCoverReset->start();
}

void CalTempSubMenu::removeCoverResetFinished(int result)
{
    m_removeCoverReset->wait();
    m_removeCoverReset->deleteLater();
    m_removeCoverReset = nullptr;
    switch (static_cast<board::UsbControlResult>(result)) {
    case board::UsbControlResult::OpenFailed:
        std::printf("Open %s failed\n", kUsbNode);
        break;
    case board::UsbControlResult::TransferFailed:
        std::printf("USBDEVFS_CONTROL failed. ");
        break;
    case board::UsbControlResult::Ok:
        std::printf("success ");
        emit closeThermalCamera(2);
        return;
    }
    keepTip(tr("RMVC_RESET failed"));
}

// ---- shutter key and AGC -----------------------------------------------------------------------------

void CalTempSubMenu::cmd_KBC_B_CAL()
{
    shutterReady = false;
    QTimer::singleShot(kShutterPauseMs, this, &CalTempSubMenu::cmd_KBC_B_CAL_Enable);
}

void CalTempSubMenu::cmd_KBC_B_CAL_Enable() { shutterReady = true; }

void CalTempSubMenu::cmd_AGC_BYPASS_enable() { qCDebug(lcCalibration) << "cmd_AGC_BYPASS_enable"; }
