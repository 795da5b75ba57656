#include "core/text.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace ft {
namespace {

std::string_view UpToZero(std::string_view s) {
    auto pos = s.find('\0');
    return pos == std::string_view::npos ? s : s.substr(0, pos);
}

// Opening a converter costs far more than a short conversion, so each thread keeps its two.
iconv_t Descriptor(const char* to, const char* /*from*/) {
    struct Cache {
        iconv_t toGbk = iconv_open("CP936", "UTF-8");
        iconv_t toUtf8 = iconv_open("UTF-8", "CP936");
        ~Cache() {
            for (iconv_t cd : {toGbk, toUtf8}) {
                if (cd != reinterpret_cast<iconv_t>(-1)) {
                    iconv_close(cd);
                }
            }
        }
    };
    thread_local Cache cache;
    return std::strcmp(to, "CP936") == 0 ? cache.toGbk : cache.toUtf8;
}

// One conversion through iconv; `replacement` is written for every input sequence that cannot
// be converted, after which conversion resumes `skip(...)` bytes later.
template <typename SkipFn>
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, SkipFn skip) {
    input = UpToZero(input);
    std::string out;
    if (input.empty()) {
        return out;
    }
    iconv_t cd = Descriptor(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return out;
    }
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ (not representable or malformed) or EINVAL (truncated sequence at the end).
        out.append(replacement);
        std::size_t n = std::min(inLeft, skip(in, inLeft));
        in += n;
        inLeft -= n;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state for the next use
    return out;
}

std::size_t Utf8SequenceLength(const char* p, std::size_t left) {
    auto c = static_cast<unsigned char>(p[0]);
    std::size_t n = 1;
    if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
    } else if (c >= 0xE0) {
        n = 3;
    } else if (c >= 0xC2 && c < 0xE0) {
        n = 2;
    }
    // Never skip over bytes that are not continuation bytes.
    std::size_t i = 1;
    while (i < n && i < left && (static_cast<unsigned char>(p[i]) & 0xC0) == 0x80) {
        ++i;
    }
    return i;
}

std::size_t GbkSequenceLength(const char* p, std::size_t left) {
    auto c = static_cast<unsigned char>(p[0]);
    if (c >= 0x81 && c <= 0xFE && left >= 2) {
        auto t = static_cast<unsigned char>(p[1]);
        if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
            return 2;
        }
    }
    return 1;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert("CP936", "UTF-8", utf8, "?", Utf8SequenceLength);
}

std::string GbkToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "CP936", gbk, "\xEF\xBF\xBD", GbkSequenceLength);
}

const std::string& Ansi(const char* utf8Literal) {
    static std::mutex mutex;
    static std::map<const char*, std::string> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(utf8Literal);
    if (it == cache.end()) {
        it = cache.emplace(utf8Literal, Utf8ToGbk(utf8Literal)).first;
    }
    return it->second;
}

std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) ? 2 : 1;
        if (i + n > maxBytes) {
            break;
        }
        i += n;
    }
    return i;
}

void CopyField(char* dst, std::size_t width, std::string_view text) {
    if (width == 0) {
        return;
    }
    text = UpToZero(text);
    std::size_t n = GbkFitLength(text, width - 1);
    std::memcpy(dst, text.data(), n);
    std::memset(dst + n, 0, width - n);
}

namespace {

// Leading blanks and one sign, as atoi and atof take them; `i` ends on the first digit.
bool SkipBlanksAndSign(std::string_view text, std::size_t& i) {
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return negative;
}

}  // namespace

long long ToInt(std::string_view text) {
    std::size_t i = 0;
    const bool negative = SkipBlanksAndSign(text, i);
    // Accumulated unsigned so that every digit counts; beyond the range the value saturates,
    // as strtoll does.
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    unsigned long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        const auto digit = static_cast<unsigned long long>(text[i] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
        ++i;
    }
    if (negative) {
        return value == limit ? std::numeric_limits<long long>::min()
                              : -static_cast<long long>(value);
    }
    return static_cast<long long>(value);
}

double ToDouble(std::string_view text) {
    std::size_t i = 0;
    const bool negative = SkipBlanksAndSign(text, i);
    // Only digits or a point may follow the sign: from_chars would take a second sign, "nan"
    // and "inf", none of which is a price.
    if (i == text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) {
        return 0;
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here; atof gives HUGE_VAL or a value near 0. The
        // matched text holds only digits, '.', and an exponent, so the C locale's strtod reads
        // it the same way.
        value = std::strtod(std::string(text.data() + i, ptr).c_str(), nullptr);
    } else if (ec != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals) {
    char buffer[512];
    auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        return "0";
    }
    return std::string(buffer, ptr);
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    }
    va_end(args);
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace ft
