// One 100 ms step of the positions panel on the offscreen platform: 64 positions, 100
// stop-loss / take-profit rules evaluated, repaint included.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <QApplication>

#include <filesystem>

#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "platform/system.h"
#include "positions/stop_rules.h"
#include "positions/trading_state.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/list_ctrl.h"
#include "ui/positions/positions_panel.h"

namespace {

using namespace ft;

constexpr int kPositions = 64;
constexpr int kRules = 100;

std::string Code(int i) {
    return "c" + std::to_string(1000 + i);
}

std::string Record(int i, double last) {
    return "20261207," + Code(i) + "," + Code(i) + ",v," + FormatFixed(last, 1) +
           ",3500,3490,0,3495,3600,3400,12000,41880000,5600,0,0,9770,130," +
           FormatFixed(last - 1, 1) + ",12," + FormatFixed(last + 1, 1) + ",7,09:30:00";
}

std::string Quotes(double base) {
    std::string text;
    for (int i = 0; i < kPositions; ++i) {
        text += (i ? "**" : "") + Record(i, base + i);
    }
    return text;
}

struct Positions {
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    std::unique_ptr<TradingState> state;
    std::unique_ptr<ui::TradingStepper> stepper;
    std::unique_ptr<ui::CLcSubDlg1> panel;
    std::size_t cellsWritten = 0;
    int fired = 0;

    Positions() {
        auto products = std::make_shared<ProductTable>();
        auto positions = std::make_shared<PositionTable>();
        for (int i = 0; i < kPositions; ++i) {
            const auto n = static_cast<std::size_t>(i);
            CopyField(products->rows[n].contractCode, 16, Code(i));
            CopyField(products->rows[n].multiplier, 8, "10");
            PositionRecord& p = positions->rows[n];
            CopyField(p.contractCode, 16, Code(i));
            CopyField(p.direction, 8, Ansi(i % 2 ? "卖" : "买"));
            CopyField(p.totalVolume, 8, "5");
            CopyField(p.yesterdayVolume, 8, "2");
            CopyField(p.todayVolume, 8, "3");
            CopyField(p.closableVolume, 8, "5");
            CopyField(p.avgPrice, 16, "3000.000");
            CopyField(p.profit, 16, "0.00");
            CopyField(p.margin, 16, "15000.00");
            CopyField(p.exchange, 32, Ansi("上期所"));
            CopyField(p.positionNo, 16, std::to_string(5000 + i));
        }
        session.products.Publish(products);
        session.positions.Publish(positions);
        std::vector<std::string> codes;
        codes.reserve(kPositions);
        for (int i = 0; i < kPositions; ++i) {
            codes.push_back(Code(i));
        }
        quotes.HoldOnly(kPositionsOwner, codes);
        state = std::make_unique<TradingState>(session, quotes);
        state->RestoreRules((std::filesystem::temp_directory_path() / "bench-rules.txt").string(),
                            0);
        stepper = std::make_unique<ui::TradingStepper>(*state, loader);
        panel = std::make_unique<ui::CLcSubDlg1>(
            ui::PaneContext{session, loader, quotes, nullptr, stepper.get()});
        // Rules far from the market: every leg is armed and checked, none fires. One rule per
        // position, and a second one for the first 36.
        for (int i = 0; i < kPositions; ++i) {
            SaveStopRules(
                state->Rules(), Code(i), Ansi(i % 2 ? "卖" : "买"), std::to_string(5000 + i),
                Record(i, 3000),
                {RuleGridRow{"", i % 2 ? "9000" : "200", "1", i % 2 ? "200" : "9000", "1"}}, 0);
        }
        for (std::size_t s = kPositions; s < kRules; ++s) {
            state->Rules().Slots()[s] = state->Rules().Slots()[s - kPositions];
        }
        panel->resize(1200, 1600);
        panel->show();
        quotes.SetQuoteText(Quotes(3000));
        Step();
        QCoreApplication::processEvents();
        QObject::connect(panel->List()->model(), &QAbstractItemModel::dataChanged,
                         [this] { ++cellsWritten; });
    }
    // What the stepper's timer does, without the money reload and the order sending.
    int Step() {
        if (!state->Step(platform::TickCount()).fired.empty()) {
            ++fired;
        }
        return panel->Render();
    }
};

void Report(benchmark::State& state, const Positions& p, std::size_t written) {
    state.counters["cells_written_per_step"] =
        benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
    state.counters["row_updates_per_step"] =
        benchmark::Counter(static_cast<double>(p.cellsWritten), benchmark::Counter::kAvgIterations);
}

void BM_PositionsStepUnchanged(benchmark::State& state) {
    Positions p;
    const std::string text = Quotes(3000);
    std::size_t written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The same answer again: fresh quotes (rules evaluated), nothing to rewrite.
        p.quotes.SetQuoteText(text);
        state.ResumeTiming();
        written += static_cast<std::size_t>(p.Step());
        QCoreApplication::processEvents();
    }
    Report(state, p, written);
    if (p.fired != 0) {
        state.SkipWithError("a rule fired");
    }
}
BENCHMARK(BM_PositionsStepUnchanged)->Unit(benchmark::kMicrosecond);

void BM_PositionsStepAllPricesChanged(benchmark::State& state) {
    Positions p;
    double base = 3000;
    std::size_t written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        base = base == 3000 ? 3002 : 3000;
        p.quotes.SetQuoteText(Quotes(base));
        state.ResumeTiming();
        written += static_cast<std::size_t>(p.Step());
        QCoreApplication::processEvents();  // the repaint of what changed
    }
    Report(state, p, written);
    if (p.fired != 0) {
        state.SkipWithError("a rule fired");
    }
}
BENCHMARK(BM_PositionsStepAllPricesChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
