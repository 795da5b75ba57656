#include "account/transfer_rules.h"

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"
#include "trading/number_input.h"

namespace ft {

const std::array<ColumnSpec, TransferCol::Count> kTransferColumns{{
    // Wide enough for "YYYY-MM-DD hh:mm:ss" in the fonts that stand in for 宋体.
    {"转账时间", 150, Align::Center, TransferField::Time},
    {"转账类型", 90, Align::Center, TransferField::Kind},
    {"转账金额", 90, Align::Center, TransferField::Amount},
    {"状态", 90, Align::Center, TransferField::Status},
}};

int BankIndex(std::string_view bankName) {
    for (std::size_t i = 0; i < kBanks.size(); ++i) {
        if (Ansi(kBanks[i]) == bankName) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string CardLine(std::string_view selectedBank, std::string_view bankName,
                     std::string_view cardNumber) {
    std::string line = Ansi("银行卡号:");
    if (selectedBank == bankName) {
        line += cardNumber;
    }
    return line;
}

TransferStart ParseTransferStart(std::string_view answer) {
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    TransferStart start;
    if (fields.size() >= 2) {
        start.creditLine = Ansi("信用资产：") + fields[0];
        start.transferableLine = Ansi("可转金额：") + fields[1];
    }
    if (fields.size() >= 3) {
        start.cardNumber = fields[2];
    }
    return start;
}

std::string FuturesFundsBody(const std::string& userName, const std::string& fundPassword) {
    FormBody body;
    body.Add("username", userName).Add("pwd", fundPassword);
    return body.Text();
}

std::string BankFundsBody(const std::string& userName, const std::string& bankPassword) {
    return FuturesFundsBody(userName, bankPassword);
}

std::string TransferBody(TransferKind kind, const std::string& userName, const std::string& amount,
                         const std::string& password) {
    FormBody body;
    body.Add("username", userName).Add("money", amount).Add("pwd", password);
    if (kind == TransferKind::ToFutures) {
        body.Add("type", "1");
    }
    return body.Text();
}

std::string TransferHistoryBody(const std::string& userName) {
    FormBody body;
    body.Add("username", userName);
    return body.Text();
}

std::optional<std::string> TransferInputMessage(TransferKind kind, std::string_view amount,
                                                std::string_view password) {
    if (amount.empty()) {
        return Ansi("请输入转账金额");
    }
    if (password.empty()) {
        return kind == TransferKind::ToBank ? Ansi("请输入期货密码") : MissingPasswordMessage();
    }
    if (std::string problem = CheckTransferAmount(amount); !problem.empty()) {
        return problem;
    }
    return std::nullopt;
}

const std::string& MissingPasswordMessage() {
    return Ansi("请输入密码");
}

BalanceOutcome ParseBalanceAnswer(std::string_view answer) {
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    BalanceOutcome outcome;
    if (fields.size() < 2) {
        outcome.balance = std::string(answer);
    } else {
        outcome.message = fields[1];
    }
    return outcome;
}

TransferVerdict TransferAnswerVerdict(std::string_view answer) {
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    if (fields.size() >= 2) {
        return TransferVerdict::Refused;
    }
    // Only the back-end's own status says the money moved; an empty answer or a proxy's page
    // says nothing of the kind.
    return Trim(answer) == "0" ? TransferVerdict::Done : TransferVerdict::Unknown;
}

std::string TransferAnswerMessage(std::string_view answer) {
    switch (TransferAnswerVerdict(answer)) {
        case TransferVerdict::Done:
            return Ansi("转账成功");
        case TransferVerdict::Unknown:
            return TransferUnknownMessage();
        case TransferVerdict::Refused:
            break;
    }
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    return fields[1];
}

std::string TransferUnknownMessage() {
    return Ansi("转账结果未知，请勿重复转账；将重新读取可转金额，也可在“查转帐记录”中核对");
}

std::string TransferReconcileReport(std::string_view before, std::string_view after) {
    return Ansi("转账结果核对：原") + std::string(before) + Ansi("，现") + std::string(after) +
           Ansi("；请在“查转帐记录”中核对");
}

std::vector<TransferRow> ParseTransferHistory(std::string_view answer) {
    std::vector<TransferRow> rows;
    int leftOut = 0;
    ForEachRecordFields(answer, [&](std::span<const std::string_view> fields) {
        if (fields.size() < 3) {
            return;
        }
        if (rows.size() == kMaxTransferRows) {
            ++leftOut;
            return;
        }
        TransferRow& row = rows.emplace_back();
        for (int c = 0; c < TransferCol::Count; ++c) {
            const int field = kTransferColumns[static_cast<std::size_t>(c)].field;
            if (static_cast<std::size_t>(field) < fields.size()) {
                row[static_cast<std::size_t>(c)] = fields[static_cast<std::size_t>(field)];
            }
        }
    });
    if (leftOut > 0) {
        TransferRow& note = rows.emplace_back();
        note[TransferCol::Time] = Ansi("另有") + std::to_string(leftOut) + Ansi("条未列出");
    }
    return rows;
}

}  // namespace ft
