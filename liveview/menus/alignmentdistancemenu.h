#pragma once
// The alignment-distance bar: previous step, current distance, next step, in
// metres. `pushButton` steps down, `pushButton_2` steps up; the right and
// left keys step while the bar is shown.
#include "core/menuwindow.h"
#include "ui_alignmentdistancemenu.h"

#include <QString>

namespace alignment {
constexpr float kMinDistance = 0.5f, kMaxDistance = 3.0f, kStep = 0.5f;
// The three labels for a distance (pinned to 0.5..3.0): previous step,
// current value, next step; 3.0 reads ">3.0"; no step beyond the ends.
struct Labels {
    float value;
    QString previous, current, next;
};
Labels labelsFor(float value);
// The distance a current label stands for (">3.0" is 3.0); 0.5 for anything else.
float valueOfLabel(const QString &text);
}   // namespace alignment

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

private:
    void showDistance(float value);
    void step(float delta);
};
