// The one signed form-POST routine of the terminal and its code-page conversions.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "core/session_state.h"

namespace ft {

inline constexpr const char* kLoginPath = "index.php?m=client&a=dologin2018";
// Fixed text every request signature is computed over, after account and password.
extern const std::string kSigningText;

// ANSI (GBK) -> UTF-8 and back; stop at the first zero byte; an empty input gives an empty
// output; characters GBK cannot hold become "?".
std::string ToUtf8(const std::string& ansi);
std::string FromUtf8(const std::string& utf8);

// The request signature: 32 lowercase hex digits of MD5(userName + password + signing text)
// in UTF-8. Empty when that text (with its terminator) would not fit 256 bytes.
std::string RequestSignature(const std::string& userName, const std::string& password);

struct RequestLimits {
    std::chrono::seconds connectTimeout{15};
    std::chrono::seconds stallTimeout{30};  // no byte received for this long: fail
    std::size_t maxAnswerBytes = std::size_t{8} * 1024 * 1024;
};

// Posts `body` (built with FormBody) to `path` on the web host and port of the session's
// ServerMode, after adding the credentials (except on the login path) and the signature.
// True when the request was sent and the whole answer read, whatever the HTTP status; the
// answer is then converted to GBK into `answer`. False on any transport failure, an answer
// above the limit, or a signature input too long; `answer` is then unchanged.
bool PostForm(const SessionState& session, const std::string& path, std::string body,
              std::string& answer, const RequestLimits& limits = {});

}  // namespace ft
