// "layout.ini" as the window reads it back, and the INI reader under it: any file on disk
// gives a layout of plain integers or nothing.
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "core/layout_store.h"
#include "fuzz_support.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace {

std::string ProgramDir() {
    std::string dir = ft::fuzz::ScratchDir();
    ::setenv("FT_PROGRAM_DIR", dir.c_str(), 1);
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    static const std::string dir = ProgramDir();
    const std::string path = platform::ProgramFile(kLayoutFileName);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    const SavedLayout layout = ReadLayout({"main", "right"}, {"quotes", "positions"});
    if (!layout.normalGeometry.empty()) {
        FUZZ_CHECK(layout.normalGeometry.size() == 4);
    }
    platform::GetPrivateProfileString("window", "maximized", "d", path);
    platform::GetPrivateProfileInt("window", "x", 7, path);
    ParseIntList(std::string(fuzz::Text(data, size)));
    // A write keeps what the file held in other keys readable.
    if (platform::WritePrivateProfileString("fuzz", "key", "v", path)) {
        FUZZ_CHECK(platform::GetPrivateProfileString("fuzz", "key", "", path) == "v");
    }
    return 0;
}
