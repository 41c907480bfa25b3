#include "settings/menus/deviceinformationsubmenu.h"

#include "board/board.h"
#include "board/cardspace.h"
#include "settings/serialnumber.h"
#include "settings/sizetext.h"

#include <QTimer>

static bool deviceInformationSubMenuEnabled = true;

DeviceInformationSubMenu::DeviceInformationSubMenu(QMainWindow *parent)
    : Screen(&deviceInformationSubMenuEnabled, parent)
{
    snLabel->setText(config::readString(config::Sn, QStringLiteral("sn")));
    versionLabel->setText(QString::fromLatin1(deviceinfo::kVersion));
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &DeviceInformationSubMenu::updateDeviceInformation);
    m_timer->start(1000);
}

void DeviceInformationSubMenu::deviceInformationSubMenuEnable()
{
    const bool opening = isHidden();
    toggleVisible();
    if (opening)
        updateDeviceInformation();
}

void DeviceInformationSubMenu::updateDeviceInformation()
{
    if (!isVisible())
        return;
    const int card = board::cardOpen();
    if (card < 0) {
        retranslate();
        capacityLabel->setText(deviceinfo::sizeText(0));
        freeLabel->setText(deviceinfo::sizeText(0));
        versionLabel->setText(QString::fromLatin1(deviceinfo::kVersion));
        emit updateSdcardStatus(false);
        return;
    }
    const board::DiskSpace space = board::diskSpace(QString::fromLatin1(board::kCardMount) + QLatin1Char('/'));
    capacityLabel->setText(deviceinfo::sizeText(space.ok ? space.totalMb : 0));
    freeLabel->setText(deviceinfo::sizeText(space.ok ? space.freeMb : 0));
    // The same rule capture applies before it freezes a picture.
    emit availableDiskIsSmall(cardspace::isLow(space));
    emit updateSdcardStatus(true);
    board::closeFd(card);
    updateSN();
}

void DeviceInformationSubMenu::updateSN()
{
    const serialnumber::Taken taken = serialnumber::takeFromCard(snLabel->text());
    if (taken.serial != snLabel->text())
        snLabel->setText(taken.serial);
}
