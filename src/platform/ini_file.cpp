#include "platform/ini_file.h"

// GBK bytes are stored as they are.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "core/text.h"

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
    return static_cast<int>(ToInt(value));
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
    std::lock_guard lock(FileMutex());
    CSimpleIniA ini(false, false, false);
    if (LoadIni(ini, file) == Load::Unusable) {
        return false;  // never replace what could not be read
    }
    ini.SetValue(section.c_str(), key.c_str(), value.c_str());
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
