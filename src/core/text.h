// Text helpers for the system's ANSI code page (GBK) and the number rules of the back-end's
// decimal texts. No Qt here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ft {

// Converts UTF-8 to GBK. Characters GBK cannot hold (and malformed input) become '?'.
// Stops at the first zero byte, as the platform conversion did.
std::string Utf8ToGbk(std::string_view utf8);
// Converts GBK to UTF-8. A malformed byte becomes U+FFFD. Stops at the first zero byte.
std::string GbkToUtf8(std::string_view gbk);

// A UTF-8 source literal as ANSI (GBK) text, so Chinese data stays readable in the source:
// Ansi("通知"). Converted once per call site through a small cache.
const std::string& Ansi(const char* utf8Literal);

// Length of the longest prefix of `text` that fits in `maxBytes` without splitting a
// two-byte GBK character.
std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes);

// Copies `text` into a fixed-width zero-terminated field of `width` bytes (terminator
// included), cut at a character boundary. The rest of the field is zero-filled.
void CopyField(char* dst, std::size_t width, std::string_view text);

// atoi / atof rules: leading blanks skipped, leading digits converted, anything else ends the
// number; an empty or non-numeric text is 0. Independent of the process locale.
long long ToInt(std::string_view text);
double ToDouble(std::string_view text);

// "%0.Nf" of a double, independent of the process locale.
std::string FormatFixed(double value, int decimals);

// printf-style formatting for integer and text arguments (never use it for %f: see FormatFixed).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Removes blanks (space, tab) at both ends.
std::string_view Trim(std::string_view text);

}  // namespace ft
