#include "ui/app/background_request.h"

#include <QEventLoop>
#include <QTimer>
#include <future>

#include "net/request_client.h"

namespace ft::ui {

bool PostFormKeepingUiAlive(const SessionState& session, const std::string& path,
                            const std::string& body, std::string& answer) {
    std::future<std::pair<bool, std::string>> result =
        std::async(std::launch::async, [&session, path, body] {
            std::string text;
            const bool ok = PostForm(session, path, body, text);
            return std::make_pair(ok, std::move(text));
        });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            loop.quit();
        }
    });
    if (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        poll.start(10);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    auto [ok, text] = result.get();
    answer = std::move(text);
    return ok;
}

}  // namespace ft::ui
