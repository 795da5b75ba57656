// What every list panel is made of, without Qt: a column table (title, width, alignment, the
// record field a column shows) and cell writes, which a panel's row rule produces from a
// record and the texts a row shows. The widgets' list kit builds and updates lists from these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ft {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colours shared by the lists: contract codes, rising values and buys, falling values and
// sells.
inline constexpr Rgb kCodeColour{111, 94, 16};
inline constexpr Rgb kUpColour{255, 0, 0};
inline constexpr Rgb kDownColour{0, 187, 0};

enum class Align : char { Left = '0', Center = '1', Right = '2' };

// A column that shows no record field of its own (computed, or filled from elsewhere).
inline constexpr int kNoField = -1;

struct ColumnSpec {
    const char* title;  // UTF-8
    int width;          // pixels
    Align align;
    int field = kNoField;  // the record field the column shows
    // The width the column grows to while the list has room beside its columns (texts such
    // as names, turnover and times are cut at `width`); 0 keeps `width`.
    int roomyWidth = 0;
};

// One cell to rewrite; a colour, when given, becomes the cell's text colour.
struct CellWrite {
    int column = 0;
    std::string text;
    std::optional<Rgb> colour;
};

// The header's alignment string: one character per column, '0' left, '1' centre, '2' right.
std::string AlignmentText(std::span<const ColumnSpec> columns);

// One step of bringing a list of keyed rows into a new order.
struct RowStep {
    enum Kind : char { Remove, Insert, Move };
    Kind kind;
    int row;         // Remove: the row deleted; Insert: the new row's index; Move: the row moved
    int before = 0;  // Move: the row it then stands before, counted before the move
    friend bool operator==(const RowStep&, const RowStep&) = default;
};

// The steps, applied in order, that turn rows keyed `shown` into rows keyed `wanted`: rows
// whose key is gone are removed (bottom first), new keys are inserted, and only the rows that
// leave the longest run kept in order are moved. Rows with equal keys pair up in order.
std::vector<RowStep> PlanKeyedRows(std::span<const std::string> shown,
                                   std::span<const std::string_view> wanted);

}  // namespace ft
