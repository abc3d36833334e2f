// What a test sees of a running process: whether it sits waiting for input,
// the processor time it has used, and, for the test's own process, its
// resident memory. Each system answers in its own way: ProcessProbeLinux.cpp
// reads /proc, ProcessProbeWindows.cpp asks the Windows API.
#pragma once

#include <QtGlobal>

#include <optional>

namespace vellorin::testing {

struct ProcessSample {
    bool waiting = false; // blocked, waiting for something to happen
    qint64 cpuTime = 0;   // user and system time, in the system's own units
};

std::optional<ProcessSample> sampleProcess(qint64 pid);

std::optional<qint64> residentKiB();

} // namespace vellorin::testing
