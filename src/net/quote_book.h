// The subscription list and the latest quote answer, both guarded by SessionLock. Each quote
// answer is parsed once when it arrives, so that FindQuote does not copy and re-split the
// whole text for every lookup. Contracts are subscribed by owners (the board's custom list, the
// order-entry panel, the held positions, the armed stop rules, a dialog): a contract is quoted
// while any owner holds it, so one owner letting go never silences another's prices.
#pragma once

#include <cstdint>
#include <map>
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

// Who holds a subscription. The fixed owners below; dialogs take one of their own.
using QuoteOwner = std::uint32_t;
inline constexpr QuoteOwner kCustomListOwner = 1;
inline constexpr QuoteOwner kOrderEntryOwner = 2;
inline constexpr QuoteOwner kPositionsOwner = 3;
inline constexpr QuoteOwner kStopRulesOwner = 4;
// A new owner, different from every other one of the process.
QuoteOwner NewQuoteOwner();

class QuoteBook {
public:
    // `owner` holds `code` (once; a second hold by the same owner changes nothing). A code new
    // to the list is appended; the joined text is replaced by the code while it is shorter
    // than 4 characters, else extended by "," and the code.
    void Hold(QuoteOwner owner, std::string_view code);
    // `owner` lets go of `code`; the code leaves the list (and the joined text is rebuilt)
    // only when no owner holds it any more.
    void Release(QuoteOwner owner, std::string_view code);
    // `owner` holds exactly `codes` from now on.
    void HoldOnly(QuoteOwner owner, const std::vector<std::string>& codes);
    void ReleaseAll(QuoteOwner owner);
    bool Holds(QuoteOwner owner, std::string_view code) const;
    std::string JoinedCodes() const;
    std::vector<std::string> Codes() const;
    // Millisecond tick of the last answer that held a record of `code` (by FindQuote's rule);
    // 0 when none has since the code was subscribed.
    std::uint64_t SeenTick(std::string_view code) const;

    // Replaces the latest quote text (part 0 of a quote answer body); counts as an answer
    // received at `tick` (milliseconds; the tick count by default).
    void SetQuoteText(std::string text);
    void SetQuoteText(std::string text, std::uint64_t tick);
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

    void AddCodeLocked(std::string_view code);
    void RemoveCodeLocked(std::string_view code);
    static bool Matches(const Parsed& parsed, std::string_view code);

    mutable std::mutex lock_;
    std::vector<std::string> codes_;
    // Per code in `codes_`: its owners and when an answer last carried it.
    struct Subscription {
        std::vector<QuoteOwner> owners;
        std::uint64_t seenTick = 0;
    };
    std::map<std::string, Subscription, std::less<>> subscriptions_;
    std::string joined_;
    std::unique_ptr<const Parsed> quotes_ = std::make_unique<const Parsed>();
    FeedHealth health_;
};

// The matching rule on one record.
bool QuoteRecordMatches(std::string_view record, std::string_view code);

}  // namespace ft
