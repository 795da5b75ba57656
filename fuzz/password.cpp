// The password change answer (submodipwd).
#include "account/password_rules.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view answer = fuzz::Text(data, size);
    const PasswordOutcome outcome = ParsePasswordAnswer(answer);
    // Success is only ever an answer starting with "0", and says nothing else.
    if (outcome.success) {
        FUZZ_CHECK(!answer.empty() && answer[0] == '0');
    }
    return 0;
}
