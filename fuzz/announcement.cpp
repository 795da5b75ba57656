// The announcement answer (givemelastgonggao) as the wire carries it: UTF-8 into the ANSI
// code page, then the check whether it is an announcement at all.
#include "core/frame_rules.h"
#include "fuzz_support.h"
#include "net/request_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string answer = FromUtf8(std::string(fuzz::Text(data, size)));
    if (IsAnnouncement(answer)) {
        FUZZ_CHECK(!answer.empty() && answer != "0");
    }
    return 0;
}
