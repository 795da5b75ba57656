#include "support/http_test_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace ft::testing {

struct HttpTestServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<int> status{200};
    mutable std::mutex mutex;
    std::vector<RecordedRequest> requests;
    Responder responder;
};

HttpTestServer::HttpTestServer() : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.server.Post(".*", [&s](const httplib::Request& req, httplib::Response& res) {
        RecordedRequest r;
        r.path = req.target;
        r.body = req.body;
        r.contentType = req.get_header_value("Content-Type");
        Responder responder;
        {
            std::lock_guard lock(s.mutex);
            s.requests.push_back(r);
            responder = s.responder;
        }
        res.status = s.status;
        res.set_content(responder ? responder(r) : std::string(), "text/plain");
    });
    s.port = s.server.bind_to_any_port("127.0.0.1");
    s.thread = std::thread([&s] { s.server.listen_after_bind(); });
    while (!s.server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

HttpTestServer::~HttpTestServer() {
    impl_->server.stop();
    impl_->thread.join();
}

int HttpTestServer::port() const {
    return impl_->port;
}

void HttpTestServer::Answer(std::string text) {
    std::lock_guard lock(impl_->mutex);
    impl_->responder = [text = std::move(text)](const RecordedRequest&) { return text; };
}

void HttpTestServer::AnswerWith(Responder responder) {
    std::lock_guard lock(impl_->mutex);
    impl_->responder = std::move(responder);
}

void HttpTestServer::SetStatus(int status) {
    impl_->status = status;
}

std::vector<RecordedRequest> HttpTestServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void HttpTestServer::Clear() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

RecordedRequest HttpTestServer::Last() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests.empty() ? RecordedRequest{} : impl_->requests.back();
}

}  // namespace ft::testing
