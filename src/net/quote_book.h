// The subscription list and the latest quote answer, both guarded by SessionLock. Each quote
// answer is parsed once when it arrives, so that FindQuote does not copy and re-split the
// whole text for every lookup.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ft {

// How the quote feed is doing, for the trader to see and for rules that must not act on
// frozen prices.
struct FeedHealth {
    std::uint64_t lastAnswerTick = 0;  // millisecond tick of the last answer; 0 before any
    std::int64_t downSince = 0;        // seconds since 1970 of the first failed poll since
                                       // the last answer; 0 while the feed answers
};

class QuoteBook {
public:
    // Adds the code once; the joined text is replaced by the code while it is shorter than 4
    // characters, else extended by "," and the code.
    void Subscribe(std::string_view code);
    // Removes the first entry equal to the code and rebuilds the joined text.
    void Unsubscribe(std::string_view code);
    std::string JoinedCodes() const;
    std::vector<std::string> Codes() const;

    // Replaces the latest quote text (part 0 of a quote answer body); counts as an answer.
    void SetQuoteText(std::string text);
    // A poll that got no answer (`now`: seconds since 1970).
    void MarkFeedFailure(std::int64_t now);
    FeedHealth Health() const;
    std::string QuoteText() const;

    // The record of `code` from the latest answer, or an empty text. A record matches when the
    // first occurrence of the code in it starts after its first character and has a "," on
    // both sides; a later occurrence in the same record is not examined.
    std::string FindQuote(std::string_view code) const;

    // The lock of the quote text and the subscription list (held for short copies only).
    std::mutex& SessionLock() const { return lock_; }

private:
    std::string FindQuoteSlow(std::string_view code) const;

    // One answer with its index; the views point into `text`, so it never moves once built.
    struct Parsed {
        std::string text;
        std::vector<std::string_view> records;
        // Field text -> indices of the records holding it as an inner field (neither the
        // first nor the last field), in record order.
        std::unordered_map<std::string_view, std::vector<std::size_t>> byField;
    };

    mutable std::mutex lock_;
    std::vector<std::string> codes_;
    std::string joined_;
    std::unique_ptr<const Parsed> quotes_ = std::make_unique<const Parsed>();
    FeedHealth health_;
};

// The matching rule on one record.
bool QuoteRecordMatches(std::string_view record, std::string_view code);

}  // namespace ft
