#include "settings/menus/upgradesubmenu.h"

#include "board/board.h"
#include "core/logging.h"
#include "settings/maintenance.h"

#include <QApplication>
#include <QDir>
#include <QtGlobal>

static bool upgradeSubMenuEnabled = true;

UpgradeSubMenu::UpgradeSubMenu(QMainWindow *parent) : Screen(&upgradeSubMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
    connect(pushButton, &QPushButton::clicked, this, &UpgradeSubMenu::upgradeApplication);
    connect(pushButton_2, &QPushButton::clicked, this, &UpgradeSubMenu::upgradeSystem);
}

void UpgradeSubMenu::upgradeSubMenuEnable() { openAtChecked(); }

void UpgradeSubMenu::retranslate()
{
    Screen::retranslate();
    if (m_first) {
        firstLineLabel->setText(tr(m_first));
        secondLineLabel->setText(tr(m_second));
    }
}

void UpgradeSubMenu::showLines(const char *first, const char *second)
{
    m_first = first;
    m_second = second;
    firstLineLabel->setText(tr(first));
    secondLineLabel->setText(tr(second));
    // Shown before the next (blocking) step runs.
    firstLineLabel->repaint();
    secondLineLabel->repaint();
}

void UpgradeSubMenu::closeButtons()
{
    pushButton->close();
    pushButton_2->close();
}

void UpgradeSubMenu::syncTimes(int n)
{
    for (int i = 0; i < n; ++i)
        board::run(QStringLiteral("sync"));
}

void UpgradeSubMenu::upgradeApplication()
{
    if (m_upgraded)
        return;
    if (!maintenance::applicationFound()) {
        showLines(QT_TR_NOOP("Found application failed!"), QT_TR_NOOP("Please check again!"));
        return;
    }
    closeButtons();
    showLines(QT_TR_NOOP("Found new application."), QT_TR_NOOP("Upgrading......"));
    // A script that is missing, cannot be started or fails has not put the
    // new program in place: nothing is stored and the panel says so.
    if (board::run(QString::fromLatin1(maintenance::kUpgradeScript)) != 0) {
        qCWarning(lcSettings, "The upgrade script failed");
        failed(QT_TR_NOOP("Upgrade failed!"));
        return;
    }
    m_upgraded = true;
    config::write(config::System, QStringLiteral("nuc_set"), QStringLiteral("No"));
    board::run(QStringLiteral("sync"));
    showLines(QT_TR_NOOP("Upgrade ok."), QT_TR_NOOP("Please power off, reboot."));
    syncTimes(3);
}

void UpgradeSubMenu::upgradeSystem()
{
    if (m_upgraded)
        return;
    if (!maintenance::systemFilesFound()) {
        showLines(QT_TR_NOOP("Found system files failed!"), QT_TR_NOOP("Please check again!"));
        return;
    }
    const QString backup = board::path(QString::fromLatin1(maintenance::kBackupFolder));
    if (!QDir(backup).exists()) {
        qCWarning(lcSettings, "Cannot find the directory");
        QDir().mkpath(backup);
    }
    for (const QString &command : maintenance::backupCommands())
        board::run(command);
    syncTimes(3);
    // The boot area is erased only once every setting is safe on the card.
    if (!maintenance::failedBackups().isEmpty()) {
        showLines(QT_TR_NOOP("Backup failed!"), QT_TR_NOOP("Please check again!"));
        return;
    }
    closeButtons();
    // Each step runs only after the one before it succeeded.
    for (const QString &command : maintenance::eraseBootCommands()) {
        if (board::run(command) != 0) {
            qCWarning(lcSettings, "Erasing the boot area failed");
            failed(QT_TR_NOOP("Erase failed!"));
            return;
        }
    }
    m_upgraded = true;
    syncTimes(3);
    showLines(QT_TR_NOOP("Erase ok.Don't remove SD."), QT_TR_NOOP("Please power off, reboot."));
    syncTimes(3);
}

void UpgradeSubMenu::failed(const char *what)
{
    showLines(what, QT_TR_NOOP("Please check again!"));
    // The buttons come back so that the upgrade can be tried again.
    pushButton->show();
    pushButton_2->show();
    pushButton->setFocus();
}
