// The state of one trading session: who is logged in, which back-end, and the tables that
// mirror the account as the back-end last reported it. No Qt here.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace ft {

// The login dialog's server-list index; selects hosts, ports, titles and a few rules.
enum class ServerMode : int {
    IntradayFirstRound = 0,   // "内盘日内初赛"
    OvernightFirstRound = 1,  // "内盘隔夜初赛"
    SecondRound = 2,          // "复赛与实盘"
    Cooperation = 3,          // "合作赛"
};
inline constexpr int kServerModeCount = 4;

struct ServerProfile {
    std::string quoteHost;  // dotted IPv4 text, empty when the name could not be resolved
    std::string quotePort;  // decimal text
    std::string webHost;
    std::string webPort;
};

// Records: every field is a fixed-width zero-terminated GBK text; kWidths counts the
// terminator. The fields follow each other without padding, so field i starts at the sum of
// the widths before it.
// Each record's fields by name, in record order, for column tables and FieldText.
struct ProductField {
    enum : int {
        VarietyCode,
        ContractCode,
        ContractName,
        Exchange,
        Multiplier,
        TickSize,
        ProductType,
        LastDate,
        Margin,
        Commission
    };
};
struct OrderField {
    enum : int {
        OrderNo,
        ContractCode,
        Direction,
        OpenClose,
        Volume,
        UnfilledVolume,
        Price,
        OrderTime,
        Status,
        FilledVolume,
        AvgFillPrice
    };
};
struct PositionField {
    enum : int {
        ContractCode,
        Direction,
        TotalVolume,
        YesterdayVolume,
        TodayVolume,
        ClosableVolume,
        AvgPrice,
        Profit,
        Margin,
        Exchange,
        Extra1,
        Extra2,
        PositionNo
    };
};
struct TradeField {
    enum : int { TradeNo, ContractCode, Direction, OpenClose, Price, Volume, TradeTime };
};

struct ProductRecord {
    static constexpr std::array<std::size_t, 10> kWidths{8, 16, 32, 16, 8, 8, 16, 16, 16, 16};
    char varietyCode[8];
    char contractCode[16];
    char contractName[32];
    char exchange[16];
    char multiplier[8];
    char tickSize[8];
    char productType[16];
    char lastDate[16];
    char margin[16];
    char commission[16];
};

struct OrderRecord {
    static constexpr std::array<std::size_t, 11> kWidths{32, 16, 8, 8, 8, 8, 16, 32, 16, 8, 16};
    char orderNo[32];
    char contractCode[16];
    char direction[8];
    char openClose[8];
    char volume[8];
    char unfilledVolume[8];
    char price[16];
    char orderTime[32];
    char status[16];
    char filledVolume[8];
    char avgFillPrice[16];
};

struct PositionRecord {
    static constexpr std::array<std::size_t, 13> kWidths{16, 8,  8,  8, 8, 8, 16,
                                                         16, 16, 32, 8, 8, 16};
    char contractCode[16];
    char direction[8];
    char totalVolume[8];
    char yesterdayVolume[8];
    char todayVolume[8];
    char closableVolume[8];
    char avgPrice[16];
    char profit[16];
    char margin[16];
    char exchange[32];
    char extra1[8];
    char extra2[8];
    char positionNo[16];
};

struct TradeRecord {
    static constexpr std::array<std::size_t, 7> kWidths{16, 16, 8, 8, 16, 8, 16};
    char tradeNo[16];
    char contractCode[16];
    char direction[8];
    char openClose[8];
    char price[16];
    char volume[8];
    char tradeTime[16];
};

struct MoneyRecord {
    static constexpr std::array<std::size_t, 7> kWidths{32, 32, 32, 32, 16, 8, 32};
    char staticEquity[32];
    char closeProfit[32];
    char frozen[32];
    char money3[32];
    char commission[16];
    char stopLossCloseCount[8];
    char riskBase[32];
};

// Start of field `index` inside a record.
template <typename Record>
char* FieldData(Record& record, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i) {
        offset += Record::kWidths[i];
    }
    return reinterpret_cast<char*>(&record) + offset;
}
template <typename Record>
const char* FieldData(const Record& record, std::size_t index) {
    return FieldData(const_cast<Record&>(record), index);
}

// The text of a fixed-width field, up to its terminator (or its whole width without one).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}
template <typename Record>
std::string_view FieldText(const Record& record, std::size_t index) {
    const char* data = FieldData(record, index);
    return std::string_view(data, strnlen(data, Record::kWidths[index]));
}

// A fixed-capacity table. A row whose contractCode is empty ends the table for every reader.
template <typename Record, std::size_t Capacity>
struct Table {
    static constexpr std::size_t kCapacity = Capacity;
    std::array<Record, Capacity> rows{};

    // Rows from the first up to the first empty contractCode, at most `bound`.
    std::size_t Count(std::size_t bound = Capacity) const {
        std::size_t n = 0;
        while (n < bound && n < Capacity && rows[n].contractCode[0] != '\0') {
            ++n;
        }
        return n;
    }
};

using ProductTable = Table<ProductRecord, 512>;
using OrderTable = Table<OrderRecord, 1024>;
using PositionTable = Table<PositionRecord, 128>;
using TradeTable = Table<TradeRecord, 1024>;

// A value that a loader replaces as a whole and publishes in one step. Readers take one
// snapshot and keep reading it while a newer one may be published.
template <typename T>
class Published {
public:
    Published() : value_(std::make_shared<const T>()) {}
    std::shared_ptr<const T> Snapshot() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void Publish(std::shared_ptr<const T> value) {
        std::lock_guard lock(mutex_);
        published_ = issued_;
        value_.swap(value);
    }
    // Loads overlap (a reload after an order beside the periodic one), and the answer asked
    // for first may come last. A loader takes a ticket right before it sends its request and
    // publishes with it: an answer asked for before the one already shown is dropped, so an
    // older table never replaces a newer one. False when dropped.
    std::uint64_t Ticket() {
        std::lock_guard lock(mutex_);
        return ++issued_;
    }
    // `then(value)` runs once the value is published, under the same lock, so what follows
    // from a table (the quotes its positions hold) is set in the order the tables are shown.
    template <typename Then>
    bool Publish(std::shared_ptr<const T> value, std::uint64_t ticket, Then then) {
        std::lock_guard lock(mutex_);
        if (ticket < published_) {
            return false;
        }
        published_ = ticket;
        value_.swap(value);
        then(*value_);
        return true;
    }
    bool Publish(std::shared_ptr<const T> value, std::uint64_t ticket) {
        return Publish(std::move(value), ticket, [](const T&) {});
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const T> value_;
    std::uint64_t issued_ = 0;
    std::uint64_t published_ = 0;
};

// The login fields: set by the login worker, read by every request.
struct LoginFields {
    std::string userName;
    std::string password;
    std::string displayName;
    std::string forcedCloseCount;
    std::string bankName;
    std::string priceLimitBuffer;
    ServerMode serverMode = ServerMode::IntradayFirstRound;
};

class SessionState {
public:
    LoginFields Login() const {
        std::lock_guard lock(loginMutex_);
        return login_;
    }
    void SetLogin(LoginFields fields) {
        std::lock_guard lock(loginMutex_);
        login_ = std::move(fields);
    }
    ServerMode serverMode() const { return Login().serverMode; }
    const ServerProfile& Profile(ServerMode mode) const {
        return profiles[static_cast<std::size_t>(mode)];
    }

    // Filled at start-up before any thread runs; tests point them at their own servers.
    std::array<ServerProfile, kServerModeCount> profiles;

    Published<ProductTable> products;
    Published<OrderTable> orders;
    Published<PositionTable> positions;
    Published<TradeTable> trades;
    Published<MoneyRecord> money;

    // 1 while the first loading of all tables after login runs.
    std::atomic<int> tablesLoading{0};

    // Whether the web back-end answers: a failed background reload marks it unreachable, any
    // request that succeeds clears the mark.
    struct WebHealth {
        std::atomic<bool> unreachable{false};
        std::atomic<std::int64_t> unreachableSince{0};  // seconds since 1970
        // Marks the back-end unreachable from `now` (seconds since 1970) unless it already is.
        void Lost(std::int64_t now) {
            if (!unreachable.exchange(true)) {
                unreachableSince = now;
            }
        }
    };
    mutable WebHealth web;

    int screenDpi = 0;
    bool largeFonts = false;
    std::string chatUrl;

private:
    mutable std::mutex loginMutex_;
    LoginFields login_;
};

// Product lookup by exact contract code; nullptr when there is none.
const ProductRecord* FindProduct(const ProductTable& products, std::string_view code);
// The contract's multiplier as an integer; 1 when the contract is not in the table.
long long ContractMultiplier(const ProductTable& products, std::string_view code);

}  // namespace ft
