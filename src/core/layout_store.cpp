#include "core/layout_store.h"

#include <cerrno>
#include <cstdlib>

#include "platform/ini_file.h"
#include "platform/paths.h"

namespace ft {
namespace {

constexpr const char* kWindow = "window";
constexpr const char* kSplitters = "splitters";
constexpr const char* kColumns = "columns";

std::string LayoutFile() {
    return platform::SettingsFile(kLayoutFileName);
}

}  // namespace

std::vector<int> ParseIntList(const std::string& text) {
    std::vector<int> values;
    const char* p = text.c_str();
    while (*p != '\0') {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(p, &end, 10);
        if (end == p || errno != 0 || value < -100000 || value > 100000) {
            return {};
        }
        values.push_back(static_cast<int>(value));
        p = end;
        if (*p == ',') {
            ++p;
            if (*p == '\0') {
                return {};
            }
        } else if (*p != '\0') {
            return {};
        }
    }
    return values;
}

std::string IntListText(const std::vector<int>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i ? "," : "") + std::to_string(values[i]);
    }
    return text;
}

SavedLayout ReadLayout(const std::vector<std::string>& splitterNames,
                       const std::vector<std::string>& listNames) {
    const std::string file = LayoutFile();
    const std::string missing = "\x01";
    SavedLayout layout;
    const std::string maximized =
        platform::GetPrivateProfileString(kWindow, "maximized", missing, file);
    if (maximized == "0" || maximized == "1") {
        layout.maximized = maximized == "1";
    }
    layout.normalGeometry =
        ParseIntList(platform::GetPrivateProfileString(kWindow, "geometry", "", file));
    if (layout.normalGeometry.size() != 4) {
        layout.normalGeometry.clear();
    }
    for (const std::string& name : splitterNames) {
        auto sizes = ParseIntList(platform::GetPrivateProfileString(kSplitters, name, "", file));
        if (!sizes.empty()) {
            layout.splitters[name] = std::move(sizes);
        }
    }
    for (const std::string& name : listNames) {
        auto widths = ReadColumnWidths(name);
        if (!widths.empty()) {
            layout.columns[name] = std::move(widths);
        }
    }
    return layout;
}

bool WriteLayout(const SavedLayout& layout) {
    std::vector<platform::ProfileEntry> entries;
    if (layout.maximized) {
        entries.push_back({kWindow, "maximized", *layout.maximized ? "1" : "0"});
    }
    if (layout.normalGeometry.size() == 4) {
        entries.push_back({kWindow, "geometry", IntListText(layout.normalGeometry)});
    }
    for (const auto& [name, sizes] : layout.splitters) {
        entries.push_back({kSplitters, name, IntListText(sizes)});
    }
    for (const auto& [name, widths] : layout.columns) {
        entries.push_back({kColumns, name, IntListText(widths)});
    }
    return platform::WritePrivateProfileStrings(entries, LayoutFile());
}

std::vector<int> ReadColumnWidths(const std::string& name) {
    return ParseIntList(platform::GetPrivateProfileString(kColumns, name, "", LayoutFile()));
}

bool WriteColumnWidths(const std::string& name, const std::vector<int>& widths) {
    return platform::WritePrivateProfileString(kColumns, name, IntListText(widths), LayoutFile());
}

}  // namespace ft
