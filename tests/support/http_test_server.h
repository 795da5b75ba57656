// A real HTTP server on loopback for the wire tests: records every request and answers with
// whatever the test scripts.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
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

    HttpTestServer() {
        server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) {
            RecordedRequest r;
            r.path = req.target;
            r.body = req.body;
            r.contentType = req.get_header_value("Content-Type");
            Responder responder;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(r);
                responder = responder_;
            }
            res.status = status_;
            res.set_content(responder ? responder(r) : std::string(), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~HttpTestServer() {
        server_.stop();
        thread_.join();
    }

    int port() const { return port_; }
    void Answer(std::string text) {
        std::lock_guard lock(mutex_);
        responder_ = [text](const RecordedRequest&) { return text; };
    }
    void AnswerWith(Responder responder) {
        std::lock_guard lock(mutex_);
        responder_ = std::move(responder);
    }
    void SetStatus(int status) { status_ = status; }
    std::vector<RecordedRequest> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }
    RecordedRequest Last() const {
        std::lock_guard lock(mutex_);
        return requests_.empty() ? RecordedRequest{} : requests_.back();
    }

    // Points the web host of `mode` at this server.
    void Serve(SessionState& session, ServerMode mode) const {
        auto& profile = session.profiles[static_cast<std::size_t>(mode)];
        profile.webHost = "127.0.0.1";
        profile.webPort = std::to_string(port_);
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> status_{200};
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    Responder responder_;
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
