#include "liveview/menus/imagemodesubmenu.h"

#include "liveview/viewstate.h"

#include <QTimer>

static bool imageModeSubMenuEnabled = true;

namespace {
const char *const kStored[] = {"thermal", "digital", "fusion", "pip", "alignment"};
}

int ImageModeSubMenu::modeOfButton(int index)
{
    static const int modes[] = {0, 1, 2, 3, 2};
    return index >= 0 && index < 5 ? modes[index] : 0;
}

ImageModeSubMenu::ImageModeSubMenu(QMainWindow *parent) : Screen(&imageModeSubMenuEnabled, parent)
{
    watchButtons({radioButton, radioButton_2, radioButton_3, radioButton_4, radioButton_5});
    const QList<void (ImageModeSubMenu::*)()> updates = {
        &ImageModeSubMenu::imageModeSubMenuUpdateRbtn1, &ImageModeSubMenu::imageModeSubMenuUpdateRbtn2,
        &ImageModeSubMenu::imageModeSubMenuUpdateRbtn3, &ImageModeSubMenu::imageModeSubMenuUpdateRbtn4,
        &ImageModeSubMenu::imageModeSubMenuUpdateRbtn5};
    for (int i = 0; i < updates.size(); ++i)
        connect(buttons()[i], &QAbstractButton::clicked, this, updates[i]);
    modeTimer = new QTimer(this);
    connect(modeTimer, &QTimer::timeout, this, &ImageModeSubMenu::imageModeSubMenuAutoUpdate);
    modeTimer->start(kPreviewMs);
}

void ImageModeSubMenu::imageModeSubMenuEnable() { openIfHidden(); }

void ImageModeSubMenu::confirm(int index)
{
    for (int i = 0; i < buttons().size(); ++i)
        buttons()[i]->setChecked(i == index);
    config::write(config::Main, QStringLiteral("image_mode"), QString::fromLatin1(kStored[index]));
    acqState.image_mode.store(modeOfButton(index));
    hide();
}

void ImageModeSubMenu::imageModeSubMenuUpdateRbtn1() { confirm(0); }
void ImageModeSubMenu::imageModeSubMenuUpdateRbtn2() { confirm(1); }
void ImageModeSubMenu::imageModeSubMenuUpdateRbtn3() { confirm(2); }
void ImageModeSubMenu::imageModeSubMenuUpdateRbtn4() { confirm(3); }
void ImageModeSubMenu::imageModeSubMenuUpdateRbtn5() { confirm(4); }

void ImageModeSubMenu::imageModeSubMenuAutoUpdate()
{
    const QList<QAbstractButton *> &bs = buttons();
    for (int i = 0; i < bs.size(); ++i) {
        QAbstractButton *b = bs[i];
        if (isVisible() ? focusWidget() == b : b->isChecked()) {
            acqState.image_mode.store(modeOfButton(i));
            if (!isVisible())
                b->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void ImageModeSubMenu::factoryResetForImageModeSubMenu() { radioButton->click(); }

void ImageModeSubMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit imageModeMenuUpdateMenuTips(text, x, y, flags);
}
