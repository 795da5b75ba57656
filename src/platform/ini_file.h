// Private-profile INI reads and writes with the semantics of the Windows functions: a missing
// file, section or key gives the default; a write updates the whole file, through a temporary
// file and a rename so that a crash never leaves half a file.
#pragma once

#include <string>
#include <vector>

namespace ft::platform {

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file);
// Integer value of the key (leading digits), or `defaultValue` when the key is missing.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file);
// Creates the file and the section when needed. False when the file cannot be written.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};
// Several keys in one update of the file.
bool WritePrivateProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& file);

}  // namespace ft::platform
