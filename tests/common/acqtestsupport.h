#pragma once
// Shared by the acquisition suites: the simulated module back at power-on,
// the acquisition side's process-wide state back at its initial values, and
// the loop's pauses recorded (in the module's record of calls, as "pause N")
// instead of waited for.
#include <QString>
#include <string>
#include <vector>

namespace acqtest {

// Everything at its start value; frames come every `framePeriodUs`.
void resetAll(int framePeriodUs = 0);

// Pauses become lines "pause N" in irsim::calls(); with `sleepMs` > 0 each
// also sleeps that long (keeps a running loop from flooding its receiver).
void recordPauses(int sleepMs = 0);

// Opens the simulated module and starts its stream as the loop would.
bool openModule();

// The module's calls since the last clear, without the ones in `skip`.
std::vector<std::string> callsWithout(std::initializer_list<const char *> skip = {});

// A raw recording of frames (each 256 x 384 words), with the optional header.
QByteArray recording(const std::vector<std::vector<uint16_t>> &frames, bool header);

}   // namespace acqtest
