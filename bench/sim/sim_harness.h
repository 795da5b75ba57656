// The back-end under measurement: one in-process futures-sim on free loopback ports, shared by
// every benchmark of the program so that start-up and seeding are paid once.
#pragma once

#include <cstddef>
#include <string>

#include "simulator.h"

namespace simbench {

// The demo account's custom list, the request a quote board sends on every poll.
inline constexpr const char* kCustomCodes =
    "rb2705,hc2705,cu2702,au2706,ag2706,i2705,m2705,MA705,IF2701,sc2702";
inline constexpr std::size_t kCustomCount = 10;

// Started on first use; null with `error` set when it could not start or be seeded.
fsim::Simulator* SharedSimulator(std::string* error);

// "user_name=demo&user_pwd=demo&sign=..." for the demo account.
std::string DemoCredentials();

std::string ActionUrl(int port, const std::string& action);

// CURLOPT_WRITEFUNCTION appending to the std::string given as CURLOPT_WRITEDATA.
std::size_t AppendToString(char* data, std::size_t size, std::size_t n, void* out);

}  // namespace simbench
