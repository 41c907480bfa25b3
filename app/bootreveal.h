#pragma once
// The start-up reveal: the main window stays hidden while the first frames are
// counted and is shown on the first frame, after `percent` has passed 119,
// whose counter is above 79.

struct BootRevealStep {
    bool keepHidden = true;   // frame counter 79 or less
    bool show = false;        // show the main window now
    bool emitProgress100 = false;
};

class BootReveal {
public:
    explicit BootReveal(int startPercent = 0) : m_percent(startPercent) {}
    // One frame arriving while the main window is hidden.
    BootRevealStep onFrame(int frameCounter);
    int percent() const { return m_percent; }

private:
    int m_percent;
};
