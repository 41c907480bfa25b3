#include "settings/menus/formatsdcardsetmenu.h"

#include "board/board.h"
#include "core/logging.h"
#include "settings/maintenance.h"
#include "settings/menus/progresssplash.h"

#include <QDebug>
#include <QTimer>

static bool formatSdcardSetMenuEnabled = true;

FormatSdcardSetMenu::FormatSdcardSetMenu(QMainWindow *parent)
    : Screen(&formatSdcardSetMenuEnabled,
             Setting{config::Main,
                     {"format_sdcard", {QStringLiteral("Yes"), QStringLiteral("No")}, 1, true},
                     1,
                     Start::Default},
             parent),
      m_splash(new ProgressSplash(this))
{
    bindChoices(
        this, {radioButton, radioButton_2},
        {&FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn1, &FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn2});
}

void FormatSdcardSetMenu::formatSdcardSetMenuEnable()
{
    if (isHidden())
        checkDefault();
    toggle();
}

void FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn1() { choose(0); }
void FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn2() { choose(1); }
void FormatSdcardSetMenu::setFormatSdcardDoneStatus()
{
    formatSdcardDone = true;
    checkDefault();
}
void FormatSdcardSetMenu::formatSdcardSetMenuAutoUpdate() { refocusChecked(); }

void FormatSdcardSetMenu::updateFormatSdcardSetting()
{
    // Only "No" is ever stored: formatting is an action, not a setting.
    if (checkedIndex() != 0) {
        config::write(config::Main, QStringLiteral("format_sdcard"), QStringLiteral("No"));
        return;
    }
    if (!formatSdcardDone)
        return;

    const int card = board::cardOpen();
    if (card < 0) {
        m_splash->show(QString::fromLatin1(ProgressSplash::kNoCard), tr("No SD card!"), maintenance::kNoCardSplashMs);
        checkDefault();
        return;
    }
    qCDebug(lcSettings) << "Format sdcard ...";
    formatSdcardDone = false;
    m_splash->show(QString::fromLatin1(ProgressSplash::kHourglass), tr("Formatting..."), maintenance::kFormatSplashMs);
    QTimer::singleShot(maintenance::kFormatDoneMs, this, &FormatSdcardSetMenu::setFormatSdcardDoneStatus);

    config::write(config::Image, QStringLiteral("image_count"), 0);
    config::write(config::Main, QStringLiteral("format_sdcard"), QStringLiteral("No"));
    // The card's device is let go before it is unmounted and formatted.
    board::closeFd(card);
    for (const QString &command : maintenance::formatCommands())
        board::run(command);
}
