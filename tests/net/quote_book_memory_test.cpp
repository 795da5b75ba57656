// What one quote answer may cost in memory. Its own program, because it replaces the global
// allocation functions to see the largest single allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "net/quote_book.h"

namespace {
std::atomic<std::size_t> largest{0};
}

void* operator new(std::size_t size) {
    std::size_t seen = largest.load();
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace ft {
namespace {

TEST(QuoteBookMemory, AnAnswerOfBareSeparatorsCostsAboutItsOwnSize) {
    // 1 MiB of "**" is half a million empty records; the lookup index once reserved 24
    // buckets for each (238 MB, 120 ms on every poll).
    const std::string answer(1 << 20, '*');
    QuoteBook book;
    largest = 0;
    book.SetQuoteText(answer);
    // The record list itself is 16 bytes a record; the index must add no more than that.
    EXPECT_LE(largest.load(), std::size_t{16} << 20);
    EXPECT_EQ(book.FindQuote("rb2705"), "");
}

TEST(QuoteBookMemory, ARealAnswerStillFindsEveryRecord) {
    std::string answer;
    for (int i = 0; i < 300; ++i) {
        answer += (i ? "**" : "") + std::string("d,c") + std::to_string(i) + ",x,1,2,3";
    }
    QuoteBook book;
    book.SetQuoteText(answer);
    EXPECT_EQ(book.FindQuote("c299"), "d,c299,x,1,2,3");
    EXPECT_EQ(book.FindQuote("c0"), "d,c0,x,1,2,3");
}

}  // namespace
}  // namespace ft
