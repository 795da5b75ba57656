#include "net/request_client.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>

#include "core/form_body.h"
#include "core/text.h"

namespace ft {

const std::string kSigningText = "Tz7#pq!!Lm@@x9&&wR$$k2^^Bn**c4%%Yd((e6))Hs++u8==";

std::string ToUtf8(const std::string& ansi) {
    return GbkToUtf8(ansi);
}
std::string FromUtf8(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

std::string RequestSignature(const std::string& userName, const std::string& password) {
    std::string utf8 = ToUtf8(userName + password + kSigningText);
    // The signing buffer holds 256 bytes with the terminator; a longer input cannot be signed
    // as the back-end signs it, so the request is not sent at all.
    if (utf8.size() + 1 > 256) {
        return {};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(utf8.data(), utf8.size(), digest, &length, EVP_md5(), nullptr) != 1) {
        return {};
    }
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0F];
    }
    return hex;
}

namespace {

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct AnswerBuffer {
    std::string bytes;
    std::size_t limit = 0;
    bool overflow = false;
};

std::size_t WriteAnswer(char* data, std::size_t size, std::size_t count, void* user) {
    auto* buffer = static_cast<AnswerBuffer*>(user);
    std::size_t n = size * count;
    if (buffer->bytes.size() + n > buffer->limit) {
        buffer->overflow = true;
        return 0;  // makes curl fail the transfer
    }
    buffer->bytes.append(data, n);
    return n;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::atomic<long long> defaultAnswerMs{0};

// Errors curl reports before anything of the request can have left this machine.
bool FailedBeforeSending(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_FAILED_INIT:
        case CURLE_OUT_OF_MEMORY:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::chrono::milliseconds DefaultAnswerTimeout() {
    return std::chrono::milliseconds(defaultAnswerMs.load());
}

void SetDefaultAnswerTimeout(std::chrono::milliseconds timeout) {
    defaultAnswerMs = timeout.count();
}

std::string HttpStatusText(const PostResult& result) {
    if (result.status != PostStatus::HttpError) {
        return {};
    }
    return "HTTP " + std::to_string(result.httpStatus);
}

bool PostForm(const SessionState& session, const std::string& path, std::string body,
              std::string& answer, const RequestLimits& limits) {
    return PostRequest(session, path, std::move(body), answer, limits).ok();
}

PostResult PostRequest(const SessionState& session, const std::string& path, std::string body,
                       std::string& answer, const RequestLimits& limits) {
    const LoginFields login = session.Login();
    // A per-call copy of the web host: concurrent requests never see each other's host.
    const ServerProfile profile = session.Profile(login.serverMode);
    if (profile.webHost.empty()) {
        return {};
    }
    const long port = static_cast<long>(ToInt(profile.webPort));

    if (path != kLoginPath) {
        body += body.empty() ? "user_name=" : "&user_name=";
        body += EscapeFormValue(login.userName);
        body += "&user_pwd=";
        body += EscapeFormValue(login.password);
    }
    std::string signature = RequestSignature(login.userName, login.password);
    if (signature.empty()) {
        return {};
    }
    body += "&sign=";
    body += signature;
    const std::string wireBody = ToUtf8(body);

    GlobalInit();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        return {};
    }
    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
    // No "Expect: 100-continue" round trip: the body goes with the request.
    headers.reset(curl_slist_append(headers.release(), "Expect:"));

    const std::string url = "http://" + profile.webHost + ":" + std::to_string(port) + "/" + path;
    AnswerBuffer buffer;
    buffer.limit = limits.maxAnswerBytes;
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, "futures-terminal");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, wireBody.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(wireBody.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count() * 1000));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.answerTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteAnswer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &buffer);
    const CURLcode code = curl_easy_perform(h);
    PostResult result;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    if (code != CURLE_OK || buffer.overflow) {
        // A connect time-out also ends as a time-out; only the bytes sent tell it apart.
        long sent = 0;
        curl_easy_getinfo(h, CURLINFO_REQUEST_SIZE, &sent);
        result.status = FailedBeforeSending(code) || (sent == 0 && !buffer.overflow)
                            ? PostStatus::NotSent
                            : PostStatus::MaybeSent;
        // Any request that got no answer (an order or a cancellation as much as a reload) says
        // so in the status pane until the next answer; an over-long answer was an answer.
        if (!buffer.overflow) {
            session.web.Lost(static_cast<std::int64_t>(std::time(nullptr)));
        }
        return result;
    }
    // The back-end answered: it is reachable, whatever it said.
    session.web.unreachable = false;
    if (result.httpStatus < 200 || result.httpStatus > 299) {
        result.status = PostStatus::HttpError;
        return result;
    }
    answer = FromUtf8(buffer.bytes);
    result.status = PostStatus::Answered;
    return result;
}

}  // namespace ft
