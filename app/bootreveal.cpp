#include "app/bootreveal.h"

BootRevealStep BootReveal::onFrame(int frameCounter)
{
    BootRevealStep step;
    if (frameCounter <= 79) {
        ++m_percent;
        return step;
    }
    step.keepHidden = false;
    step.show = m_percent > 119;
    step.emitProgress100 = m_percent == 100;
    ++m_percent;
    return step;
}
