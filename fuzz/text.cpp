// The code-page conversions (GBK <-> UTF-8) and the fixed-width field rules.
#include <cstring>

#include "core/record_format.h"
#include "core/text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view input = fuzz::Text(data, size);
    const std::string gbk = Utf8ToGbk(input);
    const std::string utf8 = GbkToUtf8(input);
    // Whatever GBK gives as UTF-8 converts back without loss where it held no zero byte or
    // malformed sequence (a replacement character has no GBK form).
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos && input.find('\0') == std::string::npos) {
        FUZZ_CHECK(Utf8ToGbk(utf8) == input);
    }
    GbkToUtf8(gbk);
    for (std::size_t width : {1u, 2u, 8u, 16u}) {
        const std::size_t fit = GbkFitLength(input, width);
        FUZZ_CHECK(fit <= width && fit <= size);
        char field[16];
        CopyField(field, width, input);
        FUZZ_CHECK(field[width - 1] == '\0' && std::strlen(field) < width);
    }
    Trim(input);
    TrimZeros(input);
    return 0;
}
