// Wire helpers of the back-end: PHP-style form decoding, the request signature, splitting.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fsim {

inline const std::string kSigningText = "Tz7#pq!!Lm@@x9&&wR$$k2^^Bn**c4%%Yd((e6))Hs++u8==";

// Decodes "%XX" and '+' as PHP's urldecode does; malformed escapes stay as they are.
std::string UrlDecode(std::string_view text);
// Parses "a=1&b=2" (query or form body); a repeated name keeps its last value, as PHP does.
std::map<std::string, std::string> ParseForm(std::string_view body);
std::string Md5Hex(std::string_view text);
std::vector<std::string> Split(std::string_view text, std::string_view separator);
// Decimal parsing that never throws: false on anything but a plain number.
bool ParseInt(const std::string& text, long long& value);
bool ParseNumber(const std::string& text, double& value);
// "%.Nf" without locale.
std::string Fixed(double value, int decimals);

}  // namespace fsim
