// The orders and trades panels' ticks over full tables, and the 下单 click until the request's
// first bytes reach a loopback back-end, on the offscreen platform, painting included.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/trading/all_orders_panel.h"
#include "ui/trading/order_entry_panel.h"
#include "ui/trading/trade_records_panel.h"
#include "ui/trading/working_orders_panel.h"

namespace {

using namespace ft;
using Clock = std::chrono::steady_clock;

OrderRecord Order(int i, const char* status, int unfilled) {
    OrderRecord o{};
    CopyField(o.orderNo, 32, std::to_string(100000 + i));
    CopyField(o.contractCode, 16, "rb27" + std::to_string(10 + i % 90));
    CopyField(o.direction, 8, Ansi(i % 2 ? "卖" : "买"));
    CopyField(o.openClose, 8, Ansi("开仓"));
    CopyField(o.volume, 8, "3");
    CopyField(o.unfilledVolume, 8, std::to_string(unfilled));
    CopyField(o.price, 16, std::to_string(3000 + i) + ".000");
    CopyField(o.orderTime, 32, "2026-12-07 09:30:00");
    CopyField(o.status, 16, Ansi(status));
    CopyField(o.filledVolume, 8, std::to_string(3 - unfilled));
    CopyField(o.avgFillPrice, 16, unfilled == 3 ? "0.000" : "3001.000");
    return o;
}

std::shared_ptr<OrderTable> WorkingTable() {
    auto table = std::make_shared<OrderTable>();
    for (int i = 0; i < 1024; ++i) {
        table->rows[static_cast<std::size_t>(i)] = Order(i, "未成交", 3);
    }
    return table;
}

// A session whose requests go nowhere (a refused port), so funds reloads cost nothing here.
struct Session {
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    Session() {
        for (auto& p : session.profiles) {
            p.webHost = "127.0.0.1";
            p.webPort = "1";
        }
    }
    ui::PaneContext Context() { return {session, loader, quotes, nullptr}; }
};

struct CellCounter {
    std::size_t cells = 0;
    explicit CellCounter(const ui::CListCtrlCl& list) {
        QObject::connect(list.model(), &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             cells += static_cast<std::size_t>(to.column() - from.column() + 1);
                         });
    }
};

template <typename Panel>
void OrdersTick(benchmark::State& state) {
    // 0: the same table; 1: a reload in which one order changed; 2: a reload that changed
    // nothing.
    const int variant = static_cast<int>(state.range(0));
    Session s;
    auto table = WorkingTable();
    s.session.orders.Publish(table);
    Panel panel(s.Context());
    panel.resize(900, 400);
    panel.show();
    QCoreApplication::processEvents();
    s.loader.WaitIdle();
    CellCounter counter(*panel.List());
    std::size_t written = 0;
    int round = 0;
    for (auto _ : state) {
        if (variant != 0) {
            state.PauseTiming();
            // Order 500 fills one lot, then another, and so on: one row changes per tick.
            auto next = std::make_shared<OrderTable>(*table);
            if (variant == 1) {
                const int unfilled = 2 - (round++ % 2);
                next->rows[500] = Order(500, "部分成交", unfilled);
            }
            s.session.orders.Publish(next);
            state.ResumeTiming();
        }
        written += static_cast<std::size_t>(panel.Tick());
        QCoreApplication::processEvents();  // the repaint of what changed
    }
    state.counters["rows"] = panel.List()->GetItemCount();
    state.counters["texts_written_per_tick"] =
        static_cast<double>(written) / static_cast<double>(state.iterations());
    state.counters["cells_announced"] = static_cast<double>(counter.cells);
    s.loader.WaitIdle();
}

void BM_WorkingOrdersTick(benchmark::State& state) {
    OrdersTick<ui::COrderSubDlg1>(state);
}
BENCHMARK(BM_WorkingOrdersTick)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_AllOrdersTick(benchmark::State& state) {
    OrdersTick<ui::COrderSubDlg2>(state);
}
BENCHMARK(BM_AllOrdersTick)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// A full table of fills.
std::shared_ptr<TradeTable> FullTrades() {
    auto full = std::make_shared<TradeTable>();
    for (std::size_t i = 0; i < TradeTable::kCapacity; ++i) {
        TradeRecord& t = full->rows[i];
        CopyField(t.tradeNo, 16, std::to_string(i));
        CopyField(t.contractCode, 16, "rb2705");
        CopyField(t.direction, 8, Ansi(i % 2 ? "卖" : "买"));
        CopyField(t.openClose, 8, Ansi("开仓"));
        CopyField(t.price, 16, "3216.000");
        CopyField(t.volume, 8, "2");
        CopyField(t.tradeTime, 16, "09:30:01");
    }
    return full;
}

// A fill arriving (1023 to 1024 rows and back) changes the list; otherwise a tick only counts.
void BM_TradeRecordsTick(benchmark::State& state) {
    const bool oneMore = state.range(0) != 0;
    Session s;
    auto full = FullTrades();
    auto fewer = std::make_shared<TradeTable>(*full);
    fewer->rows[1023] = TradeRecord{};
    s.session.trades.Publish(full);
    ui::CTDetailSubDlg1 panel(s.Context());
    panel.resize(600, 400);
    panel.show();
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        if (oneMore) {
            state.PauseTiming();
            s.session.trades.Publish(round++ % 2 ? full : fewer);
            state.ResumeTiming();
        }
        panel.Tick();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = panel.List()->GetItemCount();
}
BENCHMARK(BM_TradeRecordsTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A list lays itself out and repaints on zero-time timers after its rows change: one call of
// processEvents runs only what was posted before it, so the work of a change is finished (and
// timed) only after a few.
void DrainEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

// One new fill arriving over 1,023 shown (the list at its 1,024 capacity afterwards); the step
// back to 1,023 is not timed.
void BM_TradeRecordsNewFill(benchmark::State& state) {
    Session s;
    auto full = FullTrades();
    auto fewer = std::make_shared<TradeTable>(*full);
    fewer->rows[1023] = TradeRecord{};
    s.session.trades.Publish(fewer);
    ui::CTDetailSubDlg1 panel(s.Context());
    panel.resize(600, 400);
    panel.show();
    QCoreApplication::processEvents();
    std::size_t rebuilt = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.session.trades.Publish(fewer);
        panel.Tick();
        DrainEvents();
        s.session.trades.Publish(full);
        state.ResumeTiming();
        rebuilt += panel.Tick() ? 1 : 0;
        DrainEvents();
    }
    state.counters["rows"] = panel.List()->GetItemCount();
    state.counters["ticks_that_changed_the_list"] = static_cast<double>(rebuilt);
}
BENCHMARK(BM_TradeRecordsNewFill)->Unit(benchmark::kMicrosecond);

// A loopback back-end that notes when the first byte of each order request arrives and accepts
// every order; the table reloads an accepted order starts get empty answers.
class LoopbackBackEnd {
public:
    LoopbackBackEnd() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0) {
            throw std::runtime_error("the loopback back-end cannot listen");
        }
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackBackEnd() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    int Port() const { return port_; }
    // Waits for the next order request; the nanoseconds (steady clock) of its first byte.
    std::int64_t WaitOrderArrival() {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [this] { return orderArrival_ != 0; });
        return std::exchange(orderArrival_, 0);
    }

private:
    void Serve() {
        while (!stop_) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            std::string request;
            char buffer[4096];
            std::int64_t first = 0;
            std::size_t wanted = std::string::npos;
            while (true) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                if (first == 0) {
                    first = Clock::now().time_since_epoch().count();
                }
                request.append(buffer, static_cast<std::size_t>(n));
                const std::size_t headerEnd = request.find("\r\n\r\n");
                if (headerEnd != std::string::npos && wanted == std::string::npos) {
                    const std::size_t at = request.find("Content-Length: ");
                    const std::size_t length =
                        at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
                    wanted = headerEnd + 4 + length;
                }
                if (request.size() >= wanted) {
                    break;
                }
            }
            const bool order = request.find("a=weituo ") != std::string::npos;
            const std::string body = order ? "0,ok,1" : "";
            const std::string answer =
                "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                "Connection: close\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\n\r\n" + body;
            ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            ::close(client);
            if (order) {
                std::lock_guard lock(mutex_);
                orderArrival_ = first;
                arrived_.notify_all();
            }
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::int64_t orderArrival_ = 0;
    std::thread thread_;
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

// The click on 下单 with the confirmation off, in ServerMode 0 (the limit check runs), until the
// order request's first byte reaches the back-end. The window's part is the click's handling on
// the UI thread (the snapshot of the form and the start of the worker).
// With the argument 1 the order comes from code (as the quote board's double-click sends it),
// without the mouse events of the click.
void BM_OrderClickToRequest(benchmark::State& state) {
    const bool fromCode = state.range(0) != 0;
    LoopbackBackEnd backEnd;
    Session s;
    for (auto& p : s.session.profiles) {
        p.webPort = std::to_string(backEnd.Port());
    }
    LoginFields login;
    login.userName = "demo";
    login.password = "demo";
    login.priceLimitBuffer = "10";
    s.session.SetLogin(login);
    auto products = std::make_shared<ProductTable>();
    CopyField(products->rows[0].contractCode, 16, "rb2705");
    CopyField(products->rows[0].tickSize, 8, "1");
    s.session.products.Publish(products);
    std::string record = "20261207,rb2705";
    for (int i = 2; i < 23; ++i) {
        const char* field = i == 16 ? "3440" : i == 17 ? "2990" : i == 18 ? "3214" : "3216";
        record += std::string(",") + field;
    }
    s.quotes.SetQuoteText(record);

    ui::CTradeDlg1 panel(s.Context());
    panel.resize(300, 210);
    panel.show();
    panel.SelectContract("rb2705", "", 1);
    QCoreApplication::processEvents();
    ui::CXPButton* button = panel.OrderButton();

    std::vector<double> total, window;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (fromCode) {
            panel.SubmitOrder(ui::SubmitFrom::Code);
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        const auto clicked = Clock::now();
        const std::int64_t arrival = backEnd.WaitOrderArrival();
        state.PauseTiming();
        while (panel.OrderOut()) {
            QCoreApplication::processEvents();
        }
        s.loader.WaitIdle();
        state.ResumeTiming();
        window.push_back(std::chrono::duration<double, std::micro>(clicked - start).count());
        total.push_back(static_cast<double>(arrival - start.time_since_epoch().count()) / 1000.0);
    }
    state.counters["click_to_bytes_median_us"] = Percentile(total, 0.5);
    state.counters["click_to_bytes_p99_us"] = Percentile(total, 0.99);
    state.counters["window_median_us"] = Percentile(window, 0.5);
    state.counters["window_p99_us"] = Percentile(window, 0.99);
}
BENCHMARK(BM_OrderClickToRequest)->Arg(0)->Arg(1)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// For comparison: the same click on a button of the same size that does nothing (the mouse
// events and the button's repaint alone).
void BM_ClickOnAnIdleButton(benchmark::State& state) {
    QWidget window;
    window.resize(300, 210);
    ui::CXPButton button(QStringLiteral("下单"), &window);
    button.setGeometry(3, 148, 195, 54);
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = Clock::now();
        QTest::mouseClick(&button, Qt::LeftButton);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    state.counters["median_us"] = Percentile(times, 0.5);
    state.counters["p99_us"] = Percentile(times, 0.99);
}
BENCHMARK(BM_ClickOnAnIdleButton)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
