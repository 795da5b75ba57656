// Bank-futures transfers: the requests of the transfer panel, what their answers mean, the bank
// list and card line, and the transfer history list. No Qt here. Texts are GBK.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"

namespace ft {

inline constexpr const char* kTransferStartPath = "index.php?m=client&a=getbzjwithcangetvalue";
inline constexpr const char* kFuturesFundsPath = "index.php?m=client&a=getmoney";
inline constexpr const char* kBankFundsPath = "index.php?m=client&a=getbankmoney";
inline constexpr const char* kToBankPath = "index.php?m=client&a=futuresmoneytobankmoney";
inline constexpr const char* kToFuturesPath = "index.php?m=Bank&a=tobankmoney";
inline constexpr const char* kTransferHistoryPath = "index.php?m=client&a=qryinoutdetail";

// The banks of the bank list, in their order (UTF-8).
inline constexpr std::array<const char*, 5> kBanks{"招商银行", "工商银行", "建设银行", "农业银行",
                                                   "中国银行"};
// The index of the session's bank in the list; -1 when it is none of them.
int BankIndex(std::string_view bankName);
// The card line: "银行卡号:" and the card number only while the selected bank is the
// session's bank.
std::string CardLine(std::string_view selectedBank, std::string_view bankName,
                     std::string_view cardNumber);

// What the start answer gives: the two labels' texts (with their captions) when it has two
// fields, and the card number when it has three.
struct TransferStart {
    std::optional<std::string> creditLine;        // "信用资产：" + field 0
    std::optional<std::string> transferableLine;  // "可转金额：" + field 1
    std::string cardNumber;
};
TransferStart ParseTransferStart(std::string_view answer);

enum class TransferKind { ToBank, ToFutures };

// Request bodies; values go in as typed (FormBody keeps the form intact).
std::string FuturesFundsBody(const std::string& userName, const std::string& fundPassword);
std::string BankFundsBody(const std::string& userName, const std::string& bankPassword);
std::string TransferBody(TransferKind kind, const std::string& userName, const std::string& amount,
                         const std::string& password);
std::string TransferHistoryBody(const std::string& userName);

// The message that stops a transfer before it is sent (empty amount first, then the
// password, then an amount that is no plain number: CheckTransferAmount), or nothing when it
// may go. `amount` is the text that will be sent.
std::optional<std::string> TransferInputMessage(TransferKind kind, std::string_view amount,
                                                std::string_view password);
// The message for an empty password of a balance query.
const std::string& MissingPasswordMessage();

// A balance answer: one field is the balance itself; more fields are a refusal whose field 1
// is the message.
struct BalanceOutcome {
    std::optional<std::string> balance;
    std::optional<std::string> message;
};
BalanceOutcome ParseBalanceAnswer(std::string_view answer);
// A transfer answer: the success status "0" alone, a refusal with its reason in field 1, or
// anything else (empty, an error page), after which nobody knows whether the money moved.
enum class TransferVerdict { Done, Refused, Unknown };
TransferVerdict TransferAnswerVerdict(std::string_view answer);
// "转账成功", the refusal's field 1, or what an answer of unknown meaning tells the trader.
std::string TransferAnswerMessage(std::string_view answer);
// A transfer sent without an answer, or with an answer nobody understands.
std::string TransferUnknownMessage();
// Once the balance is read again: the transferable line ("可转金额：...") before and now.
std::string TransferReconcileReport(std::string_view before, std::string_view after);

// The history list's columns.
// The fields of a qryinoutdetail record.
struct TransferField {
    enum : int { Time, Kind, Amount, Status };
};
struct TransferCol {
    enum : int { Time, Kind, Amount, Status, Count };
};
extern const std::array<ColumnSpec, TransferCol::Count> kTransferColumns;
using TransferRow = std::array<std::string, TransferCol::Count>;
// The rows of a qryinoutdetail answer: every record with at least three fields, in order; the
// status is empty when the record has only three. Past kMaxTransferRows (far more than any
// account's history) the rest is counted in one last row, "另有N条未列出", so a hostile answer
// never hands the window millions of rows.
inline constexpr std::size_t kMaxTransferRows = 10000;
std::vector<TransferRow> ParseTransferHistory(std::string_view answer);

}  // namespace ft
