#pragma once
#include <QProgressBar>

// The boot splash's rounded progress bar: a track image, a fill image of the
// current palette scaled to the value, and the value as "%1%".
class RadiusProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit RadiusProgressBar(QWidget *parent = nullptr);
    // Resource of the fill image for a palette number (1..7; others use the first).
    static QString fillImage(int palette);

protected:
    void paintEvent(QPaintEvent *event) override;
};
