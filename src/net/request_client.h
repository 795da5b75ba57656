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

// A limit on the whole of every request made without limits of its own, 0 for none (the
// default). Tests set one so a stalled back-end is given up on in a second, where the stall
// time-out takes half a minute and more. Thread-safe.
std::chrono::milliseconds DefaultAnswerTimeout();
void SetDefaultAnswerTimeout(std::chrono::milliseconds timeout);

struct RequestLimits {
    std::chrono::seconds connectTimeout{15};
    std::chrono::seconds stallTimeout{30};  // no byte received for this long: fail
    std::chrono::milliseconds answerTimeout = DefaultAnswerTimeout();  // 0: none
    std::size_t maxAnswerBytes = std::size_t{8} * 1024 * 1024;
};

// How a request ended. Whether a failed request may have reached the back-end decides what the
// trader is told: a request that never left changed nothing, one that left may have been
// carried out even though no answer came.
enum class PostStatus {
    Answered,   // a 2xx answer, read whole
    NotSent,    // failed before any byte left: no host, refused, unresolved, too long to sign
    MaybeSent,  // sent, then time-out, connection lost or an answer over the limit
    HttpError,  // the back-end answered with a status other than 2xx
};

struct PostResult {
    PostStatus status = PostStatus::NotSent;
    long httpStatus = 0;  // the status line's code when one was read
    bool ok() const { return status == PostStatus::Answered; }
    // The request may have been carried out without an answer saying so.
    bool unknown() const { return status == PostStatus::MaybeSent; }
};

// "HTTP 500" and the like for a message; empty unless an HTTP error.
std::string HttpStatusText(const PostResult& result);

// Posts `body` (built with FormBody) to `path` on the web host and port of the session's
// ServerMode, after adding the credentials (except on the login path) and the signature.
// On a 2xx answer read whole the answer is converted to GBK into `answer`; otherwise `answer`
// is unchanged and the result says how far the request got.
PostResult PostRequest(const SessionState& session, const std::string& path, std::string body,
                       std::string& answer, const RequestLimits& limits = {});
// PostRequest for callers that only need to know whether an answer came.
bool PostForm(const SessionState& session, const std::string& path, std::string body,
              std::string& answer, const RequestLimits& limits = {});

}  // namespace ft
