#include "net/quote_book.h"

#include <algorithm>

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

void QuoteBook::Subscribe(std::string_view code) {
    std::lock_guard lock(lock_);
    if (std::find(codes_.begin(), codes_.end(), code) != codes_.end()) {
        return;
    }
    codes_.emplace_back(code);
    if (joined_.size() < 4) {
        joined_ = std::string(code);
    } else {
        joined_ += ',';
        joined_ += code;
    }
}

void QuoteBook::Unsubscribe(std::string_view code) {
    std::lock_guard lock(lock_);
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

std::string QuoteBook::JoinedCodes() const {
    std::lock_guard lock(lock_);
    return joined_;
}

std::vector<std::string> QuoteBook::Codes() const {
    std::lock_guard lock(lock_);
    return codes_;
}

void QuoteBook::SetQuoteText(std::string text) {
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
    std::unique_ptr<const Parsed> old(std::move(parsed));
    const std::uint64_t now = platform::TickCount();
    {
        std::lock_guard lock(lock_);
        quotes_.swap(old);
        health_.lastAnswerTick = now;
        health_.downSince = 0;
    }
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
