// The positions answer (lcdetail) into the positions table, the quote subscriptions it adds,
// and the positions list's rows: a row filled from a record must then be settled, or the
// panel would rewrite it and reload the funds on every tick.
#include <array>

#include "core/record_format.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "net/table_loaders.h"
#include "positions/positions_rules.h"
#include "positions/stop_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view answer = fuzz::Text(data, size);
    QuoteBook quotes;
    const auto table = ParsePositions(answer, &quotes);
    const auto records = SplitView("|", answer);
    std::vector<CellWrite> writes;
    for (std::size_t i = 0; i < table->Count() && i < kMaxPositionRows; ++i) {
        const PositionRecord& record = table->rows[i];
        FUZZ_CHECK(fuzz::Terminated(record.positionNo));
        // An id is the record's whole id or none, so two positions never share a cut one.
        const std::string_view id = FieldText(record.positionNo);
        if (!id.empty()) {
            const auto fields = SplitView(",", records[i]);
            FUZZ_CHECK(fields.size() > 12 && fields[12] == id && UsablePositionId(id));
        }
        PositionRowFill(record, writes);
        std::array<std::string, PositionCol::Count> cells;
        for (const CellWrite& write : writes) {
            cells[static_cast<std::size_t>(write.column)] = write.text;
        }
        ShownPositionRow shown;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            shown[c] = cells[c];
        }
        const PositionRowSync sync = PositionRowWrites(shown, record, writes);
        FUZZ_CHECK(!sync.otherPosition && !sync.fundsChanged && writes.empty());
        FloatingProfit(shown[PositionCol::Direction], ToInt(shown[PositionCol::TotalVolume]),
                       ToDouble(shown[PositionCol::AvgPrice]), ToDouble(shown[PositionCol::Profit]),
                       ToInt(shown[PositionCol::Margin]));
        ProfitWrite(shown[PositionCol::Profit], ToDouble(shown[PositionCol::Margin]));
    }
    return 0;
}
