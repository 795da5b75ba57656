// Clock, process and machine facts the terminal reads from the platform.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace ft::platform {

// Milliseconds of a monotonic clock (never goes back; unrelated to the wall clock).
std::uint64_t TickCount();
// Moves TickCount forward by `ms` for the rest of the process, so that tests advance the
// terminal's gates and timeouts instead of sleeping through them. Qt's own timers do not see it.
void AdvanceTickCount(std::uint64_t ms);
// Local broken-down time of `t` (default: now).
std::tm LocalTime(std::time_t t);
std::tm LocalNow();
int ProcessId();

// Machine fingerprint sources.
// Hardware addresses of the network adapters, in the system's list order.
std::vector<std::vector<unsigned char>> AdapterHardwareAddresses();
// The 4 bytes (little-endian) of the processor's leaf-1 feature flags (EDX); empty where the
// processor has no such instruction.
std::vector<unsigned char> ProcessorFeatureBytes();
// The computer's host name.
std::string ComputerName();

// Starts `program` with exactly one argument (no shell, no waiting). False when it could not
// be started.
bool StartProgram(const std::string& program, const std::string& argument);
// Opens a web address with the desktop's default handler.
bool OpenWithDesktop(const std::string& url);

}  // namespace ft::platform
