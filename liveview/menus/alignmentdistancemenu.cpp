#include "liveview/menus/alignmentdistancemenu.h"

// The live view's vertical parallax step follows `alignmentDistanceValue`.
#include "liveview/viewstate.h"

#include <algorithm>
#include <cmath>

static bool alignmentDistanceMenuEnabled = true;

namespace alignment {

namespace {
QString oneDecimal(float v) { return QString::number(static_cast<double>(v), 'f', 1); }
const QString kBeyond = QStringLiteral(">3.0");
}   // namespace

Labels labelsFor(float value)
{
    // On the half-metre grid within the range.
    const float v = std::clamp(std::round(value / kStep) * kStep, kMinDistance, kMaxDistance);
    Labels l{v, {}, {}, {}};
    l.current = v >= kMaxDistance ? kBeyond : oneDecimal(v);
    if (v > kMinDistance)
        l.previous = oneDecimal(v - kStep);
    if (v < kMaxDistance)
        l.next = v + kStep >= kMaxDistance ? kBeyond : oneDecimal(v + kStep);
    return l;
}

float valueOfLabel(const QString &text)
{
    if (text.trimmed() == kBeyond)
        return kMaxDistance;
    bool ok = false;
    const float v = text.trimmed().toFloat(&ok);
    return ok && std::isfinite(v) ? std::clamp(v, kMinDistance, kMaxDistance) : kMinDistance;
}

}   // namespace alignment

AlignmentDistanceMenu::AlignmentDistanceMenu(QMainWindow *parent) : Screen(&alignmentDistanceMenuEnabled, parent)
{
    watchButtons({pushButton_2, pushButton});
    connect(pushButton_2, &QAbstractButton::clicked, this, &AlignmentDistanceMenu::upToUpdateAlignmentDistance);
    connect(pushButton, &QAbstractButton::clicked, this, &AlignmentDistanceMenu::downToUpdateAlignmentDistance);
    // A distance chosen before survives a restart; the first start uses 0.5 m.
    viewState.alignmentDistanceValue =
        config::readFloatInRange(config::Main, QStringLiteral("alignment"), alignment::kMinDistance,
                                 alignment::kMaxDistance, alignment::kMinDistance);
    showDistance(viewState.alignmentDistanceValue);
}

void AlignmentDistanceMenu::showDistance(float value)
{
    const alignment::Labels l = alignment::labelsFor(value);
    viewState.alignmentDistanceValue = l.value;
    PreDistanceLabel->setText(l.previous);
    CurrentDistanceLabel->setText(l.current);
    NextDistanceLabel->setText(l.next);
}

void AlignmentDistanceMenu::alignmentDistanceMenuEnable()
{
    if (!isHidden())
        return;
    openAtFirst();
    updateAlignmentDistance();
}

void AlignmentDistanceMenu::step(float delta)
{
    if (!isVisible())
        return;
    showDistance(alignment::valueOfLabel(CurrentDistanceLabel->text()) + delta);
    // The chosen distance is kept, so the next opening and the next start use it.
    config::write(config::Main, QStringLiteral("alignment"),
                  QString::number(static_cast<double>(viewState.alignmentDistanceValue), 'f', 1));
}

void AlignmentDistanceMenu::upToUpdateAlignmentDistance() { step(alignment::kStep); }
void AlignmentDistanceMenu::downToUpdateAlignmentDistance() { step(-alignment::kStep); }

void AlignmentDistanceMenu::updateAlignmentDistance()
{
    if (isHidden()) {
        showDistance(alignment::valueOfLabel(CurrentDistanceLabel->text()));
        return;
    }
    showDistance(config::readFloatInRange(config::Main, QStringLiteral("alignment"), alignment::kMinDistance,
                                          alignment::kMaxDistance, viewState.alignmentDistanceValue));
}

void AlignmentDistanceMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit alignmentDistanceMenuUpdateMenuTips(text, x, y, flags);
}
