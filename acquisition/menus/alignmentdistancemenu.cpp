#include "acquisition/menus/alignmentdistancemenu.h"

bool alignmentDistanceMenuEnabled = true;

AlignmentDistanceMenu::AlignmentDistanceMenu(QMainWindow *parent) : Screen(&alignmentDistanceMenuEnabled, parent)
{
    watchButtons({pushButton_2, pushButton});
}

void AlignmentDistanceMenu::alignmentDistanceMenuEnable() { openAtFirst(); }
void AlignmentDistanceMenu::upToUpdateAlignmentDistance() {}
void AlignmentDistanceMenu::downToUpdateAlignmentDistance() {}
void AlignmentDistanceMenu::updateAlignmentDistance() {}

void AlignmentDistanceMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit alignmentDistanceMenuUpdateMenuTips(text, x, y, flags);
}
