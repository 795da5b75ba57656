// The login answer in every server mode, with its version check (a mismatch names the
// updater's command line).
#include "core/login.h"

#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    if (size == 0) {
        return 0;  // an empty answer is a connection failure and never parsed
    }
    const std::string answer(fuzz::Text(data, size));
    for (int mode = 0; mode < kServerModeCount; ++mode) {
        const LoginAnswer result = ParseLoginAnswer(answer, static_cast<ServerMode>(mode));
        // Only an answer of this client's version ever logs in.
        if (result.kind == LoginAnswer::Kind::Accepted) {
            FUZZ_CHECK(answer.rfind("0,", 0) == 0);
            FUZZ_CHECK(answer.find(std::string(",") + kClientVersion + ",") != std::string::npos);
        }
    }
    return 0;
}
