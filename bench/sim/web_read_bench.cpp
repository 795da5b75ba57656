// The terminal's refresh traffic against the web API: every read action in turn from one client
// on one kept-alive connection, so the figure is the back-end's answer rate, not connect cost.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>
#include <vector>

#include "sim_harness.h"

namespace {

struct ReadRequest {
    std::string url;
    std::string body;
};

std::vector<ReadRequest> ReadRequests(int port) {
    const std::string credentials = simbench::DemoCredentials();
    const std::string since = "start=2000-01-01 00:00:00&";
    std::vector<ReadRequest> requests;
    for (const char* action : {"getallproduct", "lcdetail", "getusermoneyinfo", "getuserfutures"}) {
        requests.push_back({simbench::ActionUrl(port, action), credentials});
    }
    for (const char* action : {"weituodetail", "tradedetail"}) {
        requests.push_back({simbench::ActionUrl(port, action), since + credentials});
    }
    return requests;
}

// One iteration is one pass over all read actions, so the mix does not depend on the count.
// Argument 1 opens a new connection per request, as the terminal's request client does.
void BM_WebReadActions(benchmark::State& state) {
    std::string error;
    fsim::Simulator* sim = simbench::SharedSimulator(&error);
    if (sim == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::vector<ReadRequest> requests = ReadRequests(sim->WebPort(0));
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        state.SkipWithError("curl_easy_init failed");
        return;
    }
    std::string answer;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, simbench::AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, state.range(0) ? 1L : 0L);

    long connections = 0;
    for (auto _ : state) {
        for (const ReadRequest& request : requests) {
            answer.clear();
            curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
            const CURLcode rc = curl_easy_perform(curl);
            long opened = 0;
            curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &opened);
            connections += opened;
            // A refusal or an empty answer is cheap to produce; counting it would flatter the
            // back-end.
            if (rc != CURLE_OK || answer.empty() || answer.rfind("1,", 0) == 0) {
                error = request.url + ": " +
                        (rc != CURLE_OK ? std::string(curl_easy_strerror(rc))
                                        : "bad answer \"" + answer.substr(0, 80) + "\"");
                break;
            }
        }
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    curl_easy_cleanup(curl);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(requests.size()));
    // More than one means the connection was not kept alive and connect time is in the figure.
    state.counters["connections"] = static_cast<double>(connections);
}
BENCHMARK(BM_WebReadActions)->Arg(0)->Arg(1)->ArgName("new_connection")->UseRealTime();

}  // namespace
