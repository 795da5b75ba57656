// A real HTTP server on loopback for the wire tests: records every request and answers with
// whatever the test scripts. Compiled once into the test-support library, so that the test
// programs do not each compile the HTTP library's header.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/session_state.h"

namespace ft::testing {

struct RecordedRequest {
    std::string path;  // with the query
    std::string body;  // raw bytes as received
    std::string contentType;
};

class HttpTestServer {
public:
    // Answers a request: the raw UTF-8 body of the answer.
    using Responder = std::function<std::string(const RecordedRequest&)>;

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const;
    void Answer(std::string text);
    void AnswerWith(Responder responder);
    void SetStatus(int status);
    std::vector<RecordedRequest> Requests() const;
    void Clear();
    RecordedRequest Last() const;

    // Points the web host of `mode` at this server.
    void Serve(SessionState& session, ServerMode mode) const {
        auto& profile = session.profiles[static_cast<std::size_t>(mode)];
        profile.webHost = "127.0.0.1";
        profile.webPort = std::to_string(port());
    }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A session logged in as `user` / `password` in `mode`.
inline void LogIn(SessionState& session, const std::string& user, const std::string& password,
                  ServerMode mode = ServerMode::IntradayFirstRound) {
    LoginFields login;
    login.userName = user;
    login.password = password;
    login.serverMode = mode;
    session.SetLogin(login);
}

}  // namespace ft::testing
