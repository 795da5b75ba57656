// Where the program's files live. A run from a build folder keeps the settings, stop rules and
// logs beside the program; an installed program never writes beside itself and uses the XDG
// folders instead. The few files that lived at the system drive's root live in one system-root
// directory. FT_PROGRAM_DIR and FT_SYSTEM_ROOT override both (tests run in temporary
// directories).
#pragma once

#include <string>

namespace ft::platform {

// Directory of the executable (or FT_PROGRAM_DIR), without a trailing slash.
std::string ProgramDir();
// System-root directory (or FT_SYSTEM_ROOT; default ~/.config/futures-terminal), created on
// first use, without a trailing slash.
std::string SystemRoot();
// Path of a file in the program directory / the system root.
std::string ProgramFile(const std::string& name);
std::string SystemFile(const std::string& name);

// True when `dir` is a folder CMake generated (it holds CMakeFiles) and can be written: a
// program started from there is a developer's run, not an installed one.
bool IsWritableBuildFolder(const std::string& dir);
// True when the program keeps its files beside itself: FT_PROGRAM_DIR is set, or the
// executable runs from a writable build folder.
bool FilesBesideProgram();
// $XDG_CONFIG_HOME/futures-terminal and $XDG_DATA_HOME/futures-terminal (by default under
// ~/.config and ~/.local/share), created on first use.
std::string XdgConfigDir();
std::string XdgDataDir();
// Where the program writes: settings (client.ini, layout.ini) and data (stop rules, daily
// logs). Both are the program directory when FilesBesideProgram(), else the XDG folders;
// created on first use, without a trailing slash.
std::string SettingsDir();
std::string DataDir();
std::string SettingsFile(const std::string& name);
std::string DataFile(const std::string& name);

}  // namespace ft::platform
