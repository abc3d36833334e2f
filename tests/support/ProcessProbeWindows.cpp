#include "tests/support/ProcessProbe.h"

#include <windows.h>
#include <psapi.h>

namespace vellorin::testing {

namespace {

qint64 ticks(const FILETIME& time)
{
    return qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

} // namespace

// Windows has no process state to read; a program that waits for the user
// is what WaitForInputIdle answers at once, and its time in 100 ns units.
std::optional<ProcessSample> sampleProcess(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return std::nullopt;
    FILETIME created, exited, kernel, user;
    const bool timed = GetProcessTimes(process, &created, &exited, &kernel, &user);
    const bool waiting = WaitForInputIdle(process, 0) == 0;
    CloseHandle(process);
    if (!timed)
        return std::nullopt;
    return ProcessSample{waiting, ticks(kernel) + ticks(user)};
}

std::optional<qint64> residentKiB()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return std::nullopt;
    return qint64(counters.WorkingSetSize / 1024);
}

} // namespace vellorin::testing
