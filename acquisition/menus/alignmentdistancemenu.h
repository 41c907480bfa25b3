#pragma once
// The alignment-distance bar: previous step, current distance, next step, in metres.
// `pushButton` steps down, `pushButton_2` steps up.
#include "app/menus/menuwindow.h"
#include "ui_alignmentdistancemenu.h"

extern bool alignmentDistanceMenuEnabled;

class AlignmentDistanceMenu : public Screen<Ui::AlignmentDistanceMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit AlignmentDistanceMenu(QMainWindow *parent = nullptr);

signals:
    void alignmentDistanceMenuUpdateMenuTips(QString text, int x, int y, int flags);

public slots:
    void alignmentDistanceMenuEnable();
    // Distance stepping; they act only while the bar is shown.
    void upToUpdateAlignmentDistance();
    void downToUpdateAlignmentDistance();
    void updateAlignmentDistance();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;
};
