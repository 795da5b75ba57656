// Quote board ticks and list rewrites on the offscreen platform, painting included.
#include <benchmark/benchmark.h>
#include <QApplication>

#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "ui/controls/list_ctrl.h"
#include "ui/market/quote_board_panel.h"

namespace {

using namespace ft;

std::string Record(int i, double last) {
    return "20261207,C" + std::to_string(i) + ",C" + std::to_string(i) + ",v," +
           FormatFixed(last, 1) + ",3500,3490,0,3495,3600,3400,12000,41880000,5600,0,0,3770,3230," +
           FormatFixed(last - 1, 1) + ",12," + FormatFixed(last + 1, 1) + ",7,09:30:00";
}

void SetQuotes(QuoteBook& quotes, int rows, double base) {
    std::string text;
    for (int i = 0; i < rows; ++i) {
        text += (i ? "**" : "") + Record(i, base + i);
    }
    quotes.SetQuoteText(text);
}

struct Board {
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    ui::CPriceSubDlg1 board{ui::PaneContext{session, loader, quotes, nullptr}};
    explicit Board(int rows) {
        board.resize(1024, 600);
        board.show();
        for (int i = 0; i < rows; ++i) {
            board.EnsureRow("C" + std::to_string(i), Ansi("合约"));
        }
        QCoreApplication::processEvents();
    }
};

// 100 rows, and the whole market (1,000 rows, most of them scrolled out of sight).
void BM_QuoteBoardTickAllChanged(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Board b(rows);
    double base = 3000;
    std::size_t rowRepaints = 0;
    std::size_t cells = 0;
    QObject::connect(b.board.List()->model(), &QAbstractItemModel::dataChanged,
                     [&rowRepaints] { ++rowRepaints; });
    for (auto _ : state) {
        state.PauseTiming();
        base += 2;
        SetQuotes(b.quotes, rows, base);
        state.ResumeTiming();
        cells += static_cast<std::size_t>(b.board.Tick());
        QCoreApplication::processEvents();  // the repaint of what changed
    }
    const double ticks = static_cast<double>(state.iterations());
    state.counters["cells_per_tick"] = static_cast<double>(cells) / ticks;
    state.counters["row_updates_per_tick"] = static_cast<double>(rowRepaints) / ticks;
}
BENCHMARK(BM_QuoteBoardTickAllChanged)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_QuoteBoardTickUnchanged(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Board b(rows);
    SetQuotes(b.quotes, rows, 3000);
    b.board.Tick();
    QCoreApplication::processEvents();
    std::size_t writes = 0;
    std::size_t rowRepaints = 0;
    QObject::connect(b.board.List()->model(), &QAbstractItemModel::dataChanged,
                     [&rowRepaints] { ++rowRepaints; });
    for (auto _ : state) {
        writes += static_cast<std::size_t>(b.board.Tick());
        QCoreApplication::processEvents();
    }
    state.counters["cells_written"] = static_cast<double>(writes);
    state.counters["row_updates"] = static_cast<double>(rowRepaints);
}
BENCHMARK(BM_QuoteBoardTickUnchanged)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_List1024RowsRewrite(benchmark::State& state) {
    const bool changed = state.range(0) != 0;
    ui::CListCtrlCl list;
    for (int c = 0; c < 12; ++c)
        list.InsertColumn(c, "c", 70);
    for (int r = 0; r < 1024; ++r)
        list.AppendItem(std::to_string(r));
    list.resize(900, 600);
    list.show();
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int r = 0; r < 1024; ++r) {
            for (int c = 1; c < 12; ++c) {
                list.SetItemTextIfChanged(r, c, std::to_string(changed ? round + r + c : r + c));
            }
        }
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_List1024RowsRewrite)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
