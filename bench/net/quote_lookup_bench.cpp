// One quote-board tick: a lookup for each of 100 contracts in a 100-contract answer, through
// the parsed index and through the copy-and-split lookup it replaces.
#include <benchmark/benchmark.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/record_format.h"
#include "core/text.h"
#include "net/quote_book.h"

namespace {

constexpr int kContracts = 100;

std::string Code(int i) {
    return ft::Format("c%02d%04d", i % 7, 2401 + i);
}

// 22 fields per record, the code in field 2, prices around 3650.
std::string Answer() {
    std::string text;
    for (int i = 0; i < kContracts; ++i) {
        if (i > 0) {
            text += "**";
        }
        text += ft::Format("%d,SHFE,%s,name%d", 90000 + i, Code(i).c_str(), i);
        for (int f = 4; f < 22; ++f) {
            text += ft::Format(",%d.%d", 3600 + i + f, f % 10);
        }
    }
    return text;
}

// The lookup without an index: copy the text under the lock, split it, scan the records.
class CopyAndSplitBook {
public:
    void SetQuoteText(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    std::string FindQuote(const std::string& code) const {
        std::string copy;
        {
            std::lock_guard lock(mutex_);
            copy = text_;
        }
        if (copy.empty()) {
            return {};
        }
        std::vector<std::string> records;
        ft::SplitText("**", copy, records);
        for (const auto& record : records) {
            if (ft::QuoteRecordMatches(record, code)) {
                return record;
            }
        }
        return {};
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

std::vector<std::string> Codes() {
    std::vector<std::string> codes;
    codes.reserve(kContracts);
    for (int i = 0; i < kContracts; ++i) {
        codes.push_back(Code(i));
    }
    return codes;
}

void BM_BoardTick_FindQuote(benchmark::State& state) {
    ft::QuoteBook book;
    book.SetQuoteText(Answer());
    const auto codes = Codes();
    for (auto _ : state) {
        for (const auto& code : codes) {
            benchmark::DoNotOptimize(book.FindQuote(code));
        }
    }
    state.SetItemsProcessed(state.iterations() * kContracts);
}
BENCHMARK(BM_BoardTick_FindQuote);

void BM_BoardTick_CopyAndSplit(benchmark::State& state) {
    CopyAndSplitBook book;
    book.SetQuoteText(Answer());
    const auto codes = Codes();
    for (auto _ : state) {
        for (const auto& code : codes) {
            benchmark::DoNotOptimize(book.FindQuote(code));
        }
    }
    state.SetItemsProcessed(state.iterations() * kContracts);
}
BENCHMARK(BM_BoardTick_CopyAndSplit);

// The price of the index: paid once per answer (every 300 ms), not per lookup.
void BM_SetQuoteText_100Contracts(benchmark::State& state) {
    ft::QuoteBook book;
    const std::string answer = Answer();
    for (auto _ : state) {
        book.SetQuoteText(answer);
    }
}
BENCHMARK(BM_SetQuoteText_100Contracts);

}  // namespace

BENCHMARK_MAIN();
