// The window layout the trader left behind: the main window's place and size, the splitter
// positions and the list column widths, kept in "layout.ini" beside the program. Without the
// file (or a key) the window takes its built-in sizes. No Qt here.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ft {

inline constexpr const char* kLayoutFileName = "layout.ini";

struct SavedLayout {
    std::optional<bool> maximized;
    std::vector<int> normalGeometry;  // x, y, width, height of the restored window
    std::map<std::string, std::vector<int>> splitters;  // by splitter name
    std::map<std::string, std::vector<int>> columns;    // by list name
};

// "70,90,60" -> {70, 90, 60}; anything that is not a list of integers gives an empty list.
std::vector<int> ParseIntList(const std::string& text);
std::string IntListText(const std::vector<int>& values);

// `splitterNames` and `listNames` say which keys to look for.
SavedLayout ReadLayout(const std::vector<std::string>& splitterNames,
                       const std::vector<std::string>& listNames);
// One update of the file; false when it could not be written.
bool WriteLayout(const SavedLayout& layout);

// One list's column widths ([columns] `name`), for lists that keep their own; empty when
// there are none.
std::vector<int> ReadColumnWidths(const std::string& name);
bool WriteColumnWidths(const std::string& name, const std::vector<int>& widths);

}  // namespace ft
