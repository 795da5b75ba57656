#include "sim_harness.h"

#include <curl/curl.h>

#include <memory>

#include "wire.h"

namespace simbench {
namespace {

bool Post(int port, const std::string& action, const std::string& body, std::string* answer) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return false;
    }
    const std::string url = ActionUrl(port, action);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, answer);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok;
}

struct Shared {
    std::unique_ptr<fsim::Simulator> sim;
    std::string error;
};

Shared Launch() {
    Shared shared;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    fsim::SimOptions options;
    options.webPorts = {0, 0, 0, 0};
    options.quotePorts = {0, 0, 0, 0};
    options.dbPath = ":memory:";
    // A moving market would make the quote answers and the account's figures differ from run
    // to run; the measured work is the same without it.
    options.randomWalk = false;
    options.rngSeed = 7;
    auto sim = std::make_unique<fsim::Simulator>(options);
    if (!sim->Start(&shared.error)) {
        return shared;
    }
    // A new account has no orders, fills or positions, so half the read actions would answer
    // nothing; one filled order gives every one of them rows to produce.
    sim->control(0).SetQuote("rb2705", 3200, 3199, 3201);
    sim->control(0).FillNextOrder();
    std::string answer;
    if (!Post(sim->WebPort(0), "weituo",
              "code=rb2705&type=1&updown=1&num=1&price=3201&pricetype=2&src=tradedlg1&" +
                  DemoCredentials(),
              &answer) ||
        answer.rfind("0,", 0) != 0) {
        shared.error = "the seed order was not accepted: " + answer;
        return shared;
    }
    shared.sim = std::move(sim);
    return shared;
}

}  // namespace

fsim::Simulator* SharedSimulator(std::string* error) {
    static Shared shared = Launch();
    if (!shared.sim && error != nullptr) {
        *error = "futures-sim did not start: " + shared.error;
    }
    return shared.sim.get();
}

std::string DemoCredentials() {
    return "user_name=demo&user_pwd=demo&sign=" +
           fsim::Md5Hex("demo" + std::string("demo") + fsim::kSigningText);
}

std::string ActionUrl(int port, const std::string& action) {
    return "http://127.0.0.1:" + std::to_string(port) + "/index.php?m=client&a=" + action;
}

std::size_t AppendToString(char* data, std::size_t size, std::size_t n, void* out) {
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

}  // namespace simbench
