#include "core/list_table.h"

namespace ft {

std::string AlignmentText(std::span<const ColumnSpec> columns) {
    std::string text;
    text.reserve(columns.size());
    for (const ColumnSpec& column : columns) {
        text += static_cast<char>(column.align);
    }
    return text;
}

}  // namespace ft
