#include "platform/ini_file.h"

#include <algorithm>

// GBK bytes are stored as they are.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace ft::platform {
namespace {

// Writers of the same file in this process (login and heartbeat) must not interleave their
// read-modify-write cycles.
std::mutex& FileMutex() {
    static std::mutex mutex;
    return mutex;
}

// SimpleIni sizes its buffer from the file length, which is garbage for a directory or a
// device; only a regular file is read.
enum class Load { Missing, Loaded, Unusable };
Load LoadIni(CSimpleIniA& ini, const std::string& file) {
    std::error_code ec;
    auto status = std::filesystem::status(file, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found) {
        return Load::Missing;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return Load::Unusable;
    }
    return ini.LoadFile(file.c_str()) < 0 ? Load::Unusable : Load::Loaded;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file) {
    std::lock_guard lock(FileMutex());
    CSimpleIniA ini(false, false, false);
    if (LoadIni(ini, file) != Load::Loaded) {
        return defaultValue;
    }
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? std::string(value) : defaultValue;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file) {
    const std::string missing = "\x01missing";
    std::string value = GetPrivateProfileString(section, key, missing, file);
    if (value == missing) {
        return defaultValue;
    }
    // As the Windows function: the leading decimal digits, with an optional sign.
    std::size_t i = value.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return 0;
    }
    const bool negative = value[i] == '-';
    if (value[i] == '-' || value[i] == '+') {
        ++i;
    }
    long long number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        number = std::min<long long>(number * 10 + (value[i] - '0'), 2147483647LL);
    }
    return static_cast<int>(negative ? -number : number);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
    return WritePrivateProfileStrings({{section, key, value}}, file);
}

bool WritePrivateProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& file) {
    std::lock_guard lock(FileMutex());
    CSimpleIniA ini(false, false, false);
    if (LoadIni(ini, file) == Load::Unusable) {
        return false;  // never replace what could not be read
    }
    for (const ProfileEntry& e : entries) {
        ini.SetValue(e.section.c_str(), e.key.c_str(), e.value.c_str());
    }
    std::string temporary = file + ".tmp" + std::to_string(::getpid());
    if (ini.SaveFile(temporary.c_str(), false) < 0) {
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace ft::platform
