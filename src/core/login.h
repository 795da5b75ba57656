// The window-free rules of logging in: the request, the answer, the machine fingerprint and
// the INI files that remember the account.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/session_state.h"

namespace ft {

inline constexpr const char* kClientVersion = "20210426";
// Sent instead of a typed password when the auto-login file triggers.
inline constexpr const char* kAutoLoginPassword = "Qv#7)m(Rp*2!k&Z8";

// Decimal fingerprint: each byte of adapters + processor bytes + computer name written as a
// signed 8-bit number ("%d"), no separators. The adapter bytes stop before 4096.
std::string MachineCode(const std::vector<std::vector<unsigned char>>& adapters,
                        const std::vector<unsigned char>& processor, const std::string& name);
// The same from this machine's sources.
std::string MachineCode();

std::string LoginBody(const std::string& account, const std::string& password,
                      const std::string& machineCode);

struct LoginAnswer {
    enum class Kind { Refused, VersionMismatch, Accepted, TooFewFields };
    Kind kind = Kind::Refused;
    std::string message;         // Refused: the text after the first ","
    std::string updaterCommand;  // VersionMismatch
    std::string displayName;
    std::string priceLimitBuffer;
    std::string bankName;
    std::string userName;
    std::string forcedCloseCount;  // ServerMode 1 only
};
// `answer` is not empty (an empty answer is a connection failure).
LoginAnswer ParseLoginAnswer(const std::string& answer, ServerMode mode);

// Which INI file and section keep a mode's per-day accounts and heartbeat.
struct ModeProfileKey {
    std::string file;  // full path in the system root
    std::string section;
};
// Empty file for a mode outside 0..3.
ModeProfileKey ModeProfile(int mode);

// After a successful login: today's account per mode, the saved account and the last mode.
void SaveLoginInfo(ServerMode mode, const std::string& typedAccount, bool saveAccount,
                   std::time_t now);

struct AutoLogin {
    bool triggered = false;
    std::string userName;
    int serverIndex = 0;
};
// Reads the auto-login trigger; when it triggers the file is deleted.
AutoLogin TakeAutoLogin();

struct SavedLogin {
    bool saveAccount = false;
    std::string userName;
    int serverIndex = 0;
};
SavedLogin ReadSavedLogin();

// The heartbeat: "lasttime" = seconds since 1970 in the mode's section.
void WriteHeartbeat(ServerMode mode, std::time_t now);

// Registration and chat page addresses on the operator's site for a server-list index.
std::string RegistrationUrl(int serverIndex);
std::string ChatUrl(int serverIndex);

}  // namespace ft
