// The answers of the bank-futures transfer panel: the start answer, a balance, a transfer and
// the transfer history.
#include "account/transfer_rules.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view answer = fuzz::Text(data, size);
    const TransferStart start = ParseTransferStart(answer);
    CardLine(kBanks[0], kBanks[0], start.cardNumber);
    const BalanceOutcome balance = ParseBalanceAnswer(answer);
    FUZZ_CHECK(!(balance.balance && balance.message));
    TransferAnswerMessage(answer);
    for (const TransferRow& row : ParseTransferHistory(answer)) {
        FUZZ_CHECK(row[TransferCol::Time].size() <= size);
    }
    return 0;
}
