#include "net/table_loaders.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"
#include "net/request_client.h"
#include "platform/system.h"

namespace ft {
namespace {

constexpr const char* kProductsPath = "index.php?m=client&a=getallproduct";
constexpr const char* kOrdersPath = "index.php?m=client&a=weituodetail";
constexpr const char* kPositionsPath = "index.php?m=client&a=lcdetail";
constexpr const char* kTradesPath = "index.php?m=client&a=tradedetail";
constexpr const char* kMoneyPath = "index.php?m=client&a=getusermoneyinfo";

using Fields = std::vector<std::string_view>;

// Copies the fields of one record into a zeroed row; fields beyond the record stay empty.
template <typename Record>
void StoreFields(Record& row, const std::vector<std::string_view>& fields, std::size_t count) {
    for (std::size_t i = 0; i < count && i < fields.size(); ++i) {
        CopyField(FieldData(row, i), Record::kWidths[i], fields[i]);
    }
}

template <typename TableT, typename OnStored>
std::shared_ptr<TableT> ParseTable(std::string_view answer, OnStored onStored) {
    using Record = typename decltype(TableT::rows)::value_type;
    auto table = std::make_shared<TableT>();
    auto records = SplitView("|", answer);
    const std::size_t n = std::min(records.size(), TableT::kCapacity);
    for (std::size_t i = 0; i < n; ++i) {
        auto fields = SplitView(",", records[i]);
        if (fields.size() <= 2) {
            continue;  // the row stays empty and ends the table for readers
        }
        Record& row = table->rows[i];
        StoreFields(row, fields, Record::kWidths.size());
        onStored(row, fields);
    }
    return table;
}

std::string FormatStart(const char* format, std::time_t start) {
    std::tm t = platform::LocalTime(start);
    return Format(format, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

}  // namespace

std::shared_ptr<ProductTable> ParseProducts(std::string_view answer) {
    return ParseTable<ProductTable>(answer, [](ProductRecord&, const Fields&) {});
}

std::shared_ptr<OrderTable> ParseOrders(std::string_view answer) {
    return ParseTable<OrderTable>(answer, [](OrderRecord&, const Fields&) {});
}

std::shared_ptr<TradeTable> ParseTrades(std::string_view answer) {
    return ParseTable<TradeTable>(answer, [](TradeRecord&, const Fields&) {});
}

std::shared_ptr<PositionTable> ParsePositions(std::string_view answer, QuoteBook* subscribe) {
    auto table = ParseTable<PositionTable>(answer, [](PositionRecord& row, const Fields& fields) {
        // A cut id could name another position, whose rules and closing orders it would then
        // take: an id that does not fit is no id at all.
        constexpr std::size_t kId = 12;
        if (fields.size() > kId && FieldText(row.positionNo) != fields[kId]) {
            std::memset(row.positionNo, 0, sizeof row.positionNo);
        }
    });
    if (subscribe) {
        HoldPositionQuotes(*table, *subscribe);
    }
    return table;
}

void HoldPositionQuotes(const PositionTable& table, QuoteBook& quotes) {
    // Every held contract is quoted from the moment its position is known until it is gone,
    // whoever else lets go of it.
    std::vector<std::string> codes;
    for (const PositionRecord& row : table.rows) {
        if (row.contractCode[0] != '\0') {
            codes.emplace_back(FieldText(row.contractCode));
        }
    }
    quotes.HoldOnly(kPositionsOwner, codes);
}

std::shared_ptr<MoneyRecord> ParseMoney(std::string_view answer, bool withRiskBase) {
    auto money = std::make_shared<MoneyRecord>();
    std::memset(money.get(), 0, sizeof(MoneyRecord));
    auto fields = SplitView(",", answer);
    if (fields.size() > 3) {
        StoreFields(*money, fields, withRiskBase ? 7 : 6);
    }
    return money;
}

std::time_t TradingDayStart(std::time_t now) {
    std::tm local = platform::LocalTime(now);
    const bool afterSwitch = local.tm_hour >= 17 || (local.tm_hour == 16 && local.tm_min >= 30);
    std::tm switchTime{};
    switchTime.tm_year = local.tm_year;
    switchTime.tm_mon = local.tm_mon;
    switchTime.tm_mday = local.tm_mday;
    switchTime.tm_hour = 16;
    switchTime.tm_min = 40;
    switchTime.tm_sec = 0;
    switchTime.tm_isdst = -1;  // the calendar conversion decides
    std::time_t today = std::mktime(&switchTime);
    return afterSwitch ? today : today - 86400;
}

std::string OrderStartField(std::time_t start) {
    return FormatStart("&start=%d-%02d-%02d %02d:%02d:%02d", start);
}

std::string TradeStartField(std::time_t start) {
    return FormatStart("start=%04d-%02d-%02d %02d:%02d:%02d", start);
}

TableLoader::~TableLoader() {
    CutPauses();
    WaitIdle();
}

void TableLoader::CutPauses() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
}

int TableLoader::LoadProducts() {
    const std::uint64_t ticket = session_.products.Ticket();
    std::string answer;
    if (!PostForm(session_, kProductsPath, "", answer)) {
        return 0;
    }
    session_.products.Publish(ParseProducts(answer), ticket);
    return 1;
}

int TableLoader::LoadOrders() {
    const std::string body = FormBody()
                                 .Add("user_name", session_.Login().userName)
                                 .AppendRaw(OrderStartField(TradingDayStart(std::time(nullptr))))
                                 .Text();
    const std::uint64_t ticket = session_.orders.Ticket();
    std::string answer;
    if (!PostForm(session_, kOrdersPath, body, answer)) {
        return 0;
    }
    session_.orders.Publish(ParseOrders(answer), ticket);
    return 1;
}

int TableLoader::LoadPositions() {
    const std::uint64_t ticket = session_.positions.Ticket();
    std::string answer;
    if (!PostForm(session_, kPositionsPath, "", answer)) {
        return 0;
    }
    session_.positions.Publish(
        ParsePositions(answer, nullptr), ticket,
        [this](const PositionTable& shown) { HoldPositionQuotes(shown, quotes_); });
    return 1;
}

int TableLoader::LoadTrades() {
    const std::string body = TradeStartField(TradingDayStart(std::time(nullptr)));
    const std::uint64_t ticket = session_.trades.Ticket();
    std::string answer;
    if (!PostForm(session_, kTradesPath, body, answer)) {
        return 0;
    }
    session_.trades.Publish(ParseTrades(answer), ticket);
    return 1;
}

int TableLoader::LoadMoney() {
    // The mode is read when the loader starts.
    const bool withRiskBase = session_.serverMode() == ServerMode::Cooperation;
    const std::uint64_t ticket = session_.money.Ticket();
    std::string answer;
    if (!PostForm(session_, kMoneyPath, "", answer)) {
        return 0;
    }
    session_.money.Publish(ParseMoney(answer, withRiskBase), ticket);
    return 1;
}

int TableLoader::Twice(int (TableLoader::*load)()) {
    int result = (this->*load)();
    if (result == 0) {
        result = (this->*load)();
    }
    if (result == 0) {
        session_.web.Lost(static_cast<std::int64_t>(std::time(nullptr)));
    }
    return result;
}

int TableLoader::LoadAllTables() {
    Twice(&TableLoader::LoadProducts);
    Twice(&TableLoader::LoadOrders);
    Twice(&TableLoader::LoadPositions);
    Twice(&TableLoader::LoadTrades);
    Twice(&TableLoader::LoadMoney);
    session_.tablesLoading = 0;
    return 1;
}

int TableLoader::ReloadTables(int pause) {
    auto pass = [this] {
        Twice(&TableLoader::LoadOrders);
        Twice(&TableLoader::LoadPositions);
        Twice(&TableLoader::LoadTrades);
        Twice(&TableLoader::LoadMoney);
    };
    pass();
    if (pause > 10) {
        std::unique_lock lock(mutex_);
        if (changed_.wait_for(lock, std::chrono::milliseconds(2000),
                              [this] { return stopping_; })) {
            return 1;
        }
        lock.unlock();
        pass();
    }
    return 1;
}

int TableLoader::ReloadMoney() {
    return LoadMoney();
}

bool TableLoader::Answers() {
    std::string answer;
    return PostForm(session_, kMoneyPath, "", answer);
}

bool TableLoader::ReloadWhenAnswering() {
    if (LoadOrders() == 0) {
        return false;
    }
    LoadPositions();
    LoadTrades();
    LoadMoney();
    return true;
}

template <typename Fn>
void TableLoader::StartWorker(Fn fn) {
    jobs_.Run(fn);
}

void TableLoader::StartLoadAllTables() {
    StartWorker([this] { LoadAllTables(); });
}

void TableLoader::StartReloadTables(int pause) {
    StartWorker([this, pause] { ReloadTables(pause); });
}

void TableLoader::StartReloadMoney() {
    StartWorker([this] { ReloadMoney(); });
}

void TableLoader::WaitIdle() {
    jobs_.WaitIdle();
}

}  // namespace ft
