// The live view of the main window: each frame's picture for the image mode,
// the temperatures and their readouts, the hot, cold and zone markers, the
// three movable cursors and the controls of the visible picture's alignment
// and blend.
#include "app/norvik7.h"
#include "core/logging.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "core/keystate.h"
#include "board/board.h"
#include "calibration/menus/calimagesubmenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/menus/alignmentdistancemenu.h"
#include "app/menus/mainmenu.h"
#include "liveview/alertrules.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/livesurface.h"
#include "liveview/overlay.h"
#include "liveview/overlaylayer.h"
#include "liveview/viewstate.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QCheckBox>
#include <QDebug>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstring>

#include "app/power.h"

namespace {

const char *const kCursorActive = "background-image: url(:/images/focus_2.png);\ncolor: rgb(0, 255, 0);";
const char *const kCursorIdle = "background-image: url(:/images/focus_2.png);\ncolor: rgb(255, 255, 255);";

bool isRefreshFrame(int frameCounter) { return frameCounter % 5 == 0; }

void resizeToText(QLabel *label) { label->adjustSize(); }

}   // namespace

// ---- set-up ------------------------------------------------------------------------------

void Norvik7::setupLiveView()
{
    // Offsets of the visible crop and the blend weights, kept within their ranges
    // whatever the files hold.
    viewState.vlcPostX = config::readVlcPostX();
    viewState.vlcPostY = config::readVlcPostY();
    viewState.trans = config::readTrans();
    viewState.pipTrans = config::readPipTrans();

    transTipTimer = new QTimer(this);
    transTipTimer->setSingleShot(true);
    connect(transTipTimer, &QTimer::timeout, menuTipsLabel, &QLabel::hide);

    // The picture covers the label whole, so nothing under it is painted;
    // until the first frame it is black.
    DisplayLabel->setAttribute(Qt::WA_OpaquePaintEvent);
    // Its size never changes: a new pixmap each frame asks nobody to lay it out again.
    DisplayLabel->setFixedSize(DisplayLabel->size());
    if (DisplayLabel->pixmap().isNull()) {
        QImage black(DisplayLabel->size(), QImage::Format_RGB32);
        black.fill(Qt::black);
        DisplayLabel->setPixmap(QPixmap::fromImage(std::move(black), Qt::NoFormatConversion));
    }
    // Every overlay on the picture is drawn from a picture of itself.
    for (QWidget *w : DisplayLabel->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == DisplayLabel || w->graphicsEffect() || !w->geometry().intersects(DisplayLabel->geometry()) ||
            !w->findChildren<QWidget *>().isEmpty())
            continue;
        new OverlayLayer(w);
    }
    liveSurface = new LiveSurface(DisplayLabel);

    // The cursor moves come first on each arrow button: up, right, down, left.
    connect(pushButton_7, &QPushButton::clicked, this, &Norvik7::upMoveCursorOne);
    connect(pushButton_8, &QPushButton::clicked, this, &Norvik7::rightMoveCursorOne);
    connect(pushButton_9, &QPushButton::clicked, this, &Norvik7::downMoveCursorOne);
    connect(pushButton_10, &QPushButton::clicked, this, &Norvik7::leftMoveCursorOne);

    connect(cursorTimer, &QTimer::timeout, this, &Norvik7::autoUpdateMoveCursorOneSpotTemp);
    connect(cursorTimer, &QTimer::timeout, this, &Norvik7::autoUpdateMoveCursorTwoSpotTemp);
    connect(cursorTimer, &QTimer::timeout, this, &Norvik7::autoUpdateMoveCursorThreeSpotTemp);

    connect(tempSubMenu->checkBox, &QCheckBox::clicked, this, &Norvik7::displayCenterCursor);
    connect(tempSubMenu->checkBox_2, &QCheckBox::clicked, this, &Norvik7::displayHighLowTempCursor);
    connect(tempSubMenu->checkBox_3, &QCheckBox::clicked, this, &Norvik7::displayZone);
    connect(tempSubMenu, &TempSubMenu::changeCenterTemp, this, &Norvik7::displayCenterCursor);
    connect(tempSubMenu, &TempSubMenu::changeHiLoTemp, this, &Norvik7::displayHighLowTempCursor);
    connect(tempSubMenu, &TempSubMenu::changeZoneTemp, this, &Norvik7::displayZone);

    connect(cursorSubMenu->checkBox_3, &QCheckBox::clicked, this, &Norvik7::displayMoveCursorOne);
    connect(cursorSubMenu->checkBox_4, &QCheckBox::clicked, this, &Norvik7::displayMoveCursorTwo);
    connect(cursorSubMenu->checkBox_5, &QCheckBox::clicked, this, &Norvik7::displayMoveCursorThree);
}

temps::Unit Norvik7::displayUnit() const
{
    if (!temperatureUnitSetMenu)
        return temps::Unit::None;
    if (temperatureUnitSetMenu->radioButton->isChecked())
        return temps::Unit::Celsius;
    if (temperatureUnitSetMenu->radioButton_2->isChecked())
        return temps::Unit::Fahrenheit;
    return temps::Unit::None;
}

// ---- one frame ---------------------------------------------------------------------------

void Norvik7::updateThermalCameraImage(QImage thermal, QImage visible, unsigned short centre, unsigned short max,
                                       unsigned short min, unsigned short zoneMax, int frameCounter)
{
    // A capture or a power-off holds the picture, the readouts and the markers.
    if (viewState.saveImageEnable.load() || !viewState.setImageEnable.load())
        return;
    revealOnFrame(frameCounter);

    takeSnapshots(centre);
    vlcImage = visible;

    composition::Request request;
    request.trans = viewState.trans;
    request.pipTrans = viewState.pipTrans;
    request.crop =
        QPoint(viewState.vlcPostX,
               viewState.vlcPostY + overlay::parallaxStep(viewState.alignmentDistanceValue, viewState.vlcPostY));
    if ((calImageSubMenu && calImageSubMenu->isVisible()) ||
        (alignmentDistanceMenu && alignmentDistanceMenu->isVisible())) {
        request.trans = 50;
        acqState.image_mode.store(2);
    } else if (calTempSubMenu && calTempSubMenu->isVisible()) {
        acqState.image_mode.store(0);
        markCentreForCalibration();
    }
    request.mode = acqState.image_mode.load();
    const QImage &picture = composer.compose(thermal, vlcImage, request);
    if (!picture.isNull())
        showPicture(picture);

    const temps::FrameTemps t = tempPipeline.process(centre, max, min, zoneMax, hotSpot.moved());
    viewState.centerTempValue = centre;
    if (isRefreshFrame(frameCounter)) {
        const config::Batch settings(config::Main);   // the threshold and the alert keys
        const temps::Unit unit = displayUnit();
        if (unit != temps::Unit::None) {
            publishReadouts(t, unit);
            const float measured = Zone->isVisible() ? t.zoneMax : t.max;
            const float threshold = float(alerts::storedHighC());   // the alert's own
            const QString ems = measurementSetMenu ? measurementSetMenu->label_emissivity->text() : QString();
            const temps::ServerReading r = temps::serverReading(measured, threshold, ems, unit);
            emit sendMaxTempToTcpserver(r.measured, r.threshold, r.emissivity);
        }
        placeReadouts();
        evaluateAlerts(Zone->isVisible() ? t.zoneMax : t.max, t.min);
    }
    if (calTempSubMenu && calTempSubMenu->isVisible()) {
        const QString c = QStringLiteral("\u2103 ");
        calTempSubMenu->tmp112Label->setText(
            QStringLiteral("NTC:") + QString::number(static_cast<double>(powerState.internal_temp), 'f', 1) + c);
        calTempSubMenu->BBTempLabel->setText(
            QStringLiteral("Temp:") + QString::number(static_cast<double>(temps::rawToCelsius(centre)), 'f', 1) + c);
        calTempSubMenu->DDELabel->setText(QStringLiteral("DDE: ") + QString::number(acqState.currentDDELevel.load()));
    }
}

void Norvik7::takeSnapshots(unsigned short centre)
{
    // Both buffers come from one published frame, and only the frame on the
    // screen is kept: a newer one (the picture lags the buffers by the event
    // queue) leaves the snapshots of the last matching frame.
    copyLiveFrameWithCentre(centre, viewState.irThermalRaw, viewState.irGrayRaw);
}

void Norvik7::showPicture(const QImage &picture)
{
    // The last frame's pixels are taken back from the label, which then lets
    // go of its pixmap, so they are ours alone: the new frame is enlarged
    // straight into them and handed back to the label as its pixmap, with no
    // copy either way. Where somebody still holds the last frame (a test, a
    // capture), writing makes a picture of our own first and theirs stays as
    // it was.
    QImage pixels = DisplayLabel->pixmap().toImage();
    DisplayLabel->clear();
    if (pixels.size() != DisplayLabel->size() || pixels.format() != QImage::Format_RGB32)
        pixels = QImage(DisplayLabel->size(), QImage::Format_RGB32);
    enlarger.run(picture, pixels);
    DisplayLabel->setPixmap(QPixmap::fromImage(std::move(pixels), Qt::NoFormatConversion));
    liveSurface->frameShown();
}

void Norvik7::markCentreForCalibration()
{
    // The calibration reads the centre spot: centre on, hot and cold off
    // (only when they are not already, so the options are not rewritten every frame).
    if (!tempSubMenu->checkBox->isChecked())
        tempSubMenu->enableCenterTemp(true);
    if (tempSubMenu->checkBox_2->isChecked())
        tempSubMenu->enableHiLoTemp(false);
}

void Norvik7::publishReadouts(const temps::FrameTemps &t, temps::Unit unit)
{
    const QString sign = temps::unitSign(unit);
    const QString maxText = temps::formatReadout(t.max, unit);
    const QString minText = temps::formatReadout(t.min, unit);
    const QString centreText = temps::formatReadout(t.centre, unit);
    MaxTempLabel->setText(maxText);
    MaxTempValueLabel->setText(maxText + sign);
    HighTempTextLabel->setText(maxText);
    viewState.max_temp = maxText;
    MinTempLabel->setText(minText);
    LowTempTextLabel->setText(minText);
    viewState.min_temp = minText;
    TempLabel->setText(centreText + sign);
    viewState.center_temp = centreText;
    if (tempSubMenu->checkBox_3->isChecked()) {
        const QString zoneText = temps::formatReadout(t.zoneMax, unit);
        ZoneHighTempTextLabel->setText(zoneText);
        ZoneHighTempValueLabel->setText(zoneText + sign);
    }
}

void Norvik7::placeReadouts()
{
    resizeToText(MaxTempValueLabel);
    MaxTempValueLabel->move(overlay::maxValuePos(MaxTempValueLabel->size()));
    resizeToText(MaxTempLabel);
    MaxTempLabel->move(overlay::colourBarTopPos(MaxTempLabel->size()));
    resizeToText(MinTempLabel);
    MinTempLabel->move(overlay::colourBarBottomPos(MinTempLabel->size()));
    resizeToText(TempLabel);
    const bool zone = tempSubMenu->checkBox_3->isChecked();
    if (zone) {
        resizeToText(ZoneHighTempValueLabel);
        ZoneHighTempValueLabel->move(overlay::zoneValuePos(ZoneHighTempValueLabel->size()));
    }

    // A readout with no text (16 pixels wide or less) stays hidden.
    const overlay::Readouts r =
        overlay::readoutsFor(tempSubMenu->checkBox->isChecked(), tempSubMenu->checkBox_2->isChecked(), zone);
    auto show = [](QLabel *label, bool on) { label->setVisible(on && label->width() > 16); };
    show(TempLabel, r.centre);
    CenterTempPicLabel->setVisible(r.centre);
    MaxTempPicLabel->setVisible(r.max);
    show(MaxTempValueLabel, r.max);
    ZoneHighTempPicLabel->setVisible(r.zone);
    show(ZoneHighTempValueLabel, r.zone);
}

// Language change: the unit key follows the unit screen, the centre readout
// waits for the next refresh.
void Norvik7::updateTempLabel()
{
    if (!temperatureUnitSetMenu)   // not built yet: nothing to follow
        return;
    const bool celsius = temperatureUnitSetMenu->radioButton->isChecked();
    config::write(config::Main, QStringLiteral("temp_unit"), celsius ? QStringLiteral("C") : QStringLiteral("F"));
    TempLabel->setText(QStringLiteral("26"));
}

// ---- hot, cold and zone markers ----------------------------------------------------------

void Norvik7::updateMaxMinTemp(int maxRow, int maxCol, int minRow, int minCol, int frameCounter)
{
    hotSpot.update(maxRow, maxCol);
    // Markers hold still while the picture is frozen.
    if (viewState.saveImageEnable.load() || !viewState.setImageEnable.load())
        return;
    if (!isRefreshFrame(frameCounter) || !viewState.saveImageDone.load())
        return;
    const bool both = HighTempLabel->isVisible() && LowTempLabel->isVisible();
    auto place = [both](QLabel *marker, QLabel *text, int row, int col) {
        const QRect r = overlay::markerRect(row, col, 32);
        marker->setGeometry(r);
        resizeToText(text);
        text->move(overlay::markerTextPos(r.topLeft(), text->size()));
        if (both)
            text->setVisible(text->width() > 20);
    };
    place(HighTempLabel, HighTempTextLabel, maxRow, maxCol);
    place(LowTempLabel, LowTempTextLabel, minRow, minCol);
}

void Norvik7::updateZoneMaxMinTemp(int maxRow, int maxCol, int minRow, int minCol, int frameCounter)
{
    Q_UNUSED(minRow);
    Q_UNUSED(minCol);
    if (viewState.saveImageEnable.load() || !viewState.setImageEnable.load())
        return;
    if (!isRefreshFrame(frameCounter) || !ZoneHighTempLabel->isVisible() || !viewState.saveImageDone.load())
        return;
    const QRect r = overlay::markerRect(maxRow, maxCol, 22);
    ZoneHighTempLabel->setGeometry(r);
    resizeToText(ZoneHighTempTextLabel);
    ZoneHighTempTextLabel->move(overlay::zoneTextPos(r.topLeft(), ZoneHighTempTextLabel->width()));
}

// ---- the three measurement options -------------------------------------------------------

void Norvik7::displayCenterCursor()
{
    if (tempSubMenu->checkBox->isChecked()) {
        FocusLabel->show();
        config::write(config::Main, QStringLiteral("center_focus"), QStringLiteral("Yes"));
        if (tempSubMenu->checkBox_3->isChecked())
            tempSubMenu->checkBox_3->click();
    } else {
        FocusLabel->hide();
        config::write(config::Main, QStringLiteral("center_focus"), QStringLiteral("No"));
    }
}

void Norvik7::displayHighLowTempCursor()
{
    const bool on = tempSubMenu->checkBox_2->isChecked();
    for (QLabel *l : {HighTempLabel, LowTempLabel, HighTempTextLabel, LowTempTextLabel})
        l->setVisible(on);
    config::write(config::Main, QStringLiteral("hilo_focus"), on ? QStringLiteral("Yes") : QStringLiteral("No"));
    if (on && tempSubMenu->checkBox_3->isChecked())
        tempSubMenu->checkBox_3->click();
}

void Norvik7::displayZone()
{
    const bool on = tempSubMenu->checkBox_3->isChecked();
    ZoneHighTempLabel->setVisible(on);
    ZoneHighTempTextLabel->setVisible(on);
    Zone->setVisible(on);
    config::write(config::Main, QStringLiteral("zone"), on ? QStringLiteral("Yes") : QStringLiteral("No"));
    if (on) {
        if (tempSubMenu->checkBox->isChecked())
            tempSubMenu->checkBox->click();
        if (tempSubMenu->checkBox_2->isChecked())
            tempSubMenu->checkBox_2->click();
    }
    board::run(QStringLiteral("sync"));
}

// ---- movable cursors ---------------------------------------------------------------------

Norvik7::CursorWidgets Norvik7::cursorWidgets(int n) const
{
    switch (n) {
    case 0:
        return {MoveCursorOneLabel, MoveCursorOneTextLabel, &viewState.moveCursorOneLabelEnabled, "move_cursor_1"};
    case 1:
        return {MoveCursorTwoLabel, MoveCursorTwoTextLabel, &viewState.moveCursorTwoLabelEnabled, "move_cursor_2"};
    default:
        return {MoveCursorThreeLabel, MoveCursorThreeTextLabel, &viewState.moveCursorThreeLabelEnabled,
                "move_cursor_3"};
    }
}

void Norvik7::displayMoveCursor(int n, bool ticked)
{
    const CursorWidgets c = cursorWidgets(n);
    if (ticked) {
        cursorSubMenu->hide();
        mainMenu->hide();
        c.cursor->setStyleSheet(QString::fromLatin1(kCursorActive));
        c.cursor->show();
        c.text->show();
        config::write(config::Main, QString::fromLatin1(c.key), QStringLiteral("Yes"));
        for (int i = 0; i < 3; ++i) {
            const CursorWidgets o = cursorWidgets(i);
            *o.active = i == n;
            if (i != n)
                o.cursor->setStyleSheet(QString::fromLatin1(kCursorIdle));
        }
        refreshCursorText(n);
    } else {
        c.cursor->hide();
        c.text->hide();
        c.cursor->move(overlay::kCursorStart);
        c.text->move(overlay::kCursorTextStart);
        config::write(config::Main, QString::fromLatin1(c.key), QStringLiteral("No"));
        *c.active = false;
        if (n < 2)
            c.cursor->setStyleSheet(QString::fromLatin1(kCursorIdle));
    }
}

void Norvik7::displayMoveCursorOne() { displayMoveCursor(0, cursorSubMenu->checkBox_3->isChecked()); }
void Norvik7::displayMoveCursorTwo() { displayMoveCursor(1, cursorSubMenu->checkBox_4->isChecked()); }
void Norvik7::displayMoveCursorThree() { displayMoveCursor(2, cursorSubMenu->checkBox_5->isChecked()); }

QString Norvik7::cursorText(QPoint corner) const
{
    const overlay::Sample s = overlay::cursorSample(overlay::clampCursor(corner));
    return temps::formatCursor(temps::cursorCelsius(viewState.irThermalRaw[s.row * 192 + s.col]), displayUnit());
}

void Norvik7::refreshCursorText(int n)
{
    const CursorWidgets c = cursorWidgets(n);
    c.text->setText(cursorText(c.cursor->pos()));
    resizeToText(c.text);
}

void Norvik7::moveActiveCursor(int dx, int dy, int keyState)
{
    if (mainMenu->isVisible() || keyState == 0 || viewState.saveImageEnable.load())
        return;
    for (int n = 0; n < 3; ++n) {
        const CursorWidgets c = cursorWidgets(n);
        if (!c.cursor->isVisible() || !*c.active)
            continue;
        const int step = keys::longPress() ? 10 : 1;
        const QPoint corner = overlay::clampCursor(c.cursor->pos() + QPoint(dx * step, dy * step));
        c.cursor->move(corner);
        c.text->setText(cursorText(corner));
        c.text->move(overlay::cursorTextPos(corner));
        resizeToText(c.text);
        return;
    }
}

void Norvik7::upMoveCursorOne() { moveActiveCursor(0, -1, keys::arrowState(keycode::Up)); }
void Norvik7::downMoveCursorOne() { moveActiveCursor(0, 1, keys::arrowState(keycode::Down)); }
void Norvik7::leftMoveCursorOne() { moveActiveCursor(-1, 0, keys::arrowState(keycode::Left)); }
void Norvik7::rightMoveCursorOne() { moveActiveCursor(1, 0, keys::arrowState(keycode::Right)); }

void Norvik7::autoUpdateMoveCursorSpotTemp(int n)
{
    const CursorWidgets c = cursorWidgets(n);
    if (viewState.saveImageEnable.load() || !c.cursor->isVisible())
        return;
    refreshCursorText(n);
}

void Norvik7::autoUpdateMoveCursorOneSpotTemp() { autoUpdateMoveCursorSpotTemp(0); }
void Norvik7::autoUpdateMoveCursorTwoSpotTemp() { autoUpdateMoveCursorSpotTemp(1); }
void Norvik7::autoUpdateMoveCursorThreeSpotTemp() { autoUpdateMoveCursorSpotTemp(2); }

// ---- alignment of the visible picture and the blend ------------------------------------------

void Norvik7::imageMoveToLeft()
{
    viewState.vlcPostX = std::min(viewState.vlcPostX + 2, 72);
    qCDebug(lcLiveView) << "vlcPostX: " << viewState.vlcPostX;
}

void Norvik7::imageMoveToRight()
{
    viewState.vlcPostX = std::max(viewState.vlcPostX - 2, 0);
    qCDebug(lcLiveView) << "vlcPostX: " << viewState.vlcPostX;
}

void Norvik7::imageMoveToUp()
{
    viewState.vlcPostY = std::min(viewState.vlcPostY + 2, 96);
    qCDebug(lcLiveView) << "vlcPostY: " << viewState.vlcPostY;
}

void Norvik7::imageMoveToDown()
{
    viewState.vlcPostY = std::max(viewState.vlcPostY - 2, 0);
    qCDebug(lcLiveView) << "vlcPostY: " << viewState.vlcPostY;
}

void Norvik7::imageMoveToSave()
{
    config::write(config::ImageCal, QStringLiteral("vlc_post_x"), viewState.vlcPostX);
    config::write(config::ImageCal, QStringLiteral("vlc_post_y"), viewState.vlcPostY);
}

void Norvik7::stepTrans(int delta)
{
    // Only while the blend, PIP or alignment choice is the selected image mode,
    // no capture runs and the upgrade panel is closed.
    const int mode = acqState.image_mode.load();
    if ((mode != 2 && mode != 3) || viewState.saveImageEnable.load() || (upgradeSubMenu && upgradeSubMenu->isVisible()))
        return;
    int shown;
    if (mode == 2)
        shown = viewState.trans = std::clamp(viewState.trans + delta, 0, 100);
    else
        shown = viewState.pipTrans = std::clamp(viewState.pipTrans + delta, 25, 100);
    menuTipsLabel->setText(QString::number(shown) + QLatin1Char('%'));
    menuTipsLabel->adjustSize();
    menuTipsLabel->move(120 - menuTipsLabel->width() / 2, 280);
    menuTipsLabel->show();
    transTipTimer->start(500);
    config::write(config::Main, QStringLiteral("trans"), viewState.trans);
    config::write(config::Main, QStringLiteral("piptrans"), viewState.pipTrans);
}

void Norvik7::decreaseTrans() { stepTrans(-25); }
void Norvik7::increaseTrans() { stepTrans(25); }
