// Where the program's files live. "Beside the program" is the executable's directory; the
// few files that lived at the system drive's root live in one system-root directory.
// FT_PROGRAM_DIR and FT_SYSTEM_ROOT override both (tests run in temporary directories).
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

}  // namespace ft::platform
