#include "net/quote_book.h"

#include <algorithm>
#include <atomic>

#include "core/record_format.h"
#include "platform/system.h"

namespace ft {

bool QuoteRecordMatches(std::string_view record, std::string_view code) {
    std::size_t pos = record.find(code);
    if (pos == std::string_view::npos || pos == 0) {
        return false;
    }
    std::size_t end = pos + code.size();
    return record[pos - 1] == ',' && end < record.size() && record[end] == ',';
}

QuoteOwner NewQuoteOwner() {
    static std::atomic<QuoteOwner> next{100};
    return next++;
}

void QuoteBook::AddCodeLocked(std::string_view code) {
    codes_.emplace_back(code);
    if (joined_.size() < 4) {
        joined_ = std::string(code);
    } else {
        joined_ += ',';
        joined_ += code;
    }
}

void QuoteBook::RemoveCodeLocked(std::string_view code) {
    auto it = std::find(codes_.begin(), codes_.end(), code);
    if (it != codes_.end()) {
        codes_.erase(it);
    }
    joined_.clear();
    for (std::size_t i = 0; i < codes_.size(); ++i) {
        if (i > 0) {
            joined_ += ',';
        }
        joined_ += codes_[i];
    }
}

void QuoteBook::Hold(QuoteOwner owner, std::string_view code) {
    std::lock_guard lock(lock_);
    auto it = subscriptions_.find(code);
    if (it == subscriptions_.end()) {
        it = subscriptions_.emplace(std::string(code), Subscription{}).first;
        AddCodeLocked(code);
    }
    auto& owners = it->second.owners;
    if (std::find(owners.begin(), owners.end(), owner) == owners.end()) {
        owners.push_back(owner);
    }
}

void QuoteBook::Release(QuoteOwner owner, std::string_view code) {
    std::lock_guard lock(lock_);
    auto it = subscriptions_.find(code);
    if (it == subscriptions_.end()) {
        // As an unsubscription always has: the joined text is rebuilt from the list.
        RemoveCodeLocked(code);
        return;
    }
    std::erase(it->second.owners, owner);
    if (it->second.owners.empty()) {
        subscriptions_.erase(it);
        RemoveCodeLocked(code);
    }
}

void QuoteBook::HoldOnly(QuoteOwner owner, const std::vector<std::string>& codes) {
    std::lock_guard lock(lock_);
    // Let go of what is no longer wanted first, then take the rest in the given order.
    for (std::size_t i = codes_.size(); i-- > 0;) {
        const std::string code = codes_[i];
        if (std::find(codes.begin(), codes.end(), code) != codes.end()) {
            continue;
        }
        auto it = subscriptions_.find(code);
        if (std::erase(it->second.owners, owner) > 0 && it->second.owners.empty()) {
            subscriptions_.erase(it);
            RemoveCodeLocked(code);
        }
    }
    for (const std::string& code : codes) {
        if (code.empty()) {
            continue;
        }
        auto it = subscriptions_.find(code);
        if (it == subscriptions_.end()) {
            it = subscriptions_.emplace(code, Subscription{}).first;
            AddCodeLocked(code);
        }
        auto& owners = it->second.owners;
        if (std::find(owners.begin(), owners.end(), owner) == owners.end()) {
            owners.push_back(owner);
        }
    }
}

void QuoteBook::ReleaseAll(QuoteOwner owner) {
    HoldOnly(owner, {});
}

bool QuoteBook::Holds(QuoteOwner owner, std::string_view code) const {
    std::lock_guard lock(lock_);
    auto it = subscriptions_.find(code);
    return it != subscriptions_.end() &&
           std::find(it->second.owners.begin(), it->second.owners.end(), owner) !=
               it->second.owners.end();
}

std::uint64_t QuoteBook::SeenTick(std::string_view code) const {
    std::lock_guard lock(lock_);
    auto it = subscriptions_.find(code);
    return it == subscriptions_.end() ? 0 : it->second.seenTick;
}

std::string QuoteBook::JoinedCodes() const {
    std::lock_guard lock(lock_);
    return joined_;
}

std::vector<std::string> QuoteBook::Codes() const {
    std::lock_guard lock(lock_);
    return codes_;
}

void QuoteBook::SetQuoteText(std::string text) {
    SetQuoteText(std::move(text), platform::TickCount());
}

void QuoteBook::SetQuoteText(std::string text, std::uint64_t tick) {
    const std::uint64_t now = tick;
    // Parse outside the lock; only the swap happens under it.
    auto parsed = std::make_unique<Parsed>();
    parsed->text = std::move(text);
    if (!parsed->text.empty()) {
        parsed->records = SplitView("**", parsed->text);
        // About 24 inner fields a record in a real answer; never more buckets than the text
        // has commas, or an answer of bare separators would cost hundreds of megabytes.
        const auto commas =
            static_cast<std::size_t>(std::count(parsed->text.begin(), parsed->text.end(), ','));
        parsed->byField.reserve(std::min(parsed->records.size() * 24, commas));
        for (std::size_t r = 0; r < parsed->records.size(); ++r) {
            auto fields = SplitView(",", parsed->records[r]);
            for (std::size_t f = 1; f + 1 < fields.size(); ++f) {
                auto& list = parsed->byField[fields[f]];
                if (list.empty() || list.back() != r) {
                    list.push_back(r);
                }
            }
        }
    }
    // Which subscribed codes this answer carries, for the per-contract age: the list is copied
    // under the lock, the matching runs outside it.
    std::vector<std::string> codes = Codes();
    std::erase_if(codes, [&](const std::string& code) { return !Matches(*parsed, code); });
    std::unique_ptr<const Parsed> old(std::move(parsed));
    {
        std::lock_guard lock(lock_);
        quotes_.swap(old);
        health_.lastAnswerTick = now;
        health_.downSince = 0;
        for (const std::string& code : codes) {
            if (auto it = subscriptions_.find(code); it != subscriptions_.end()) {
                it->second.seenTick = now;
            }
        }
    }
}

bool QuoteBook::Matches(const Parsed& parsed, std::string_view code) {
    if (code.empty() || code.find(',') != std::string_view::npos) {
        return std::any_of(
            parsed.records.begin(), parsed.records.end(),
            [&](std::string_view record) { return QuoteRecordMatches(record, code); });
    }
    auto it = parsed.byField.find(code);
    if (it == parsed.byField.end()) {
        return false;
    }
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](std::size_t r) { return QuoteRecordMatches(parsed.records[r], code); });
}

void QuoteBook::MarkFeedFailure(std::int64_t now) {
    std::lock_guard lock(lock_);
    if (health_.downSince == 0) {
        health_.downSince = now;
    }
}

FeedHealth QuoteBook::Health() const {
    std::lock_guard lock(lock_);
    return health_;
}

std::string QuoteBook::QuoteText() const {
    std::lock_guard lock(lock_);
    return quotes_->text;
}

std::string QuoteBook::FindQuote(std::string_view code) const {
    if (code.empty() || code.find(',') != std::string_view::npos) {
        return FindQuoteSlow(code);
    }
    std::lock_guard lock(lock_);
    // A match always has the code as a whole inner field, so only records holding such a
    // field can match; the first-occurrence rule is then checked on each of them in order.
    auto it = quotes_->byField.find(code);
    if (it == quotes_->byField.end()) {
        return {};
    }
    for (std::size_t r : it->second) {
        if (QuoteRecordMatches(quotes_->records[r], code)) {
            return std::string(quotes_->records[r]);
        }
    }
    return {};
}

std::string QuoteBook::FindQuoteSlow(std::string_view code) const {
    std::lock_guard lock(lock_);
    for (auto record : quotes_->records) {
        if (QuoteRecordMatches(record, code)) {
            return std::string(record);
        }
    }
    return {};
}

}  // namespace ft
