// Hosts and fixed ports of the four back-ends.
#pragma once

#include <array>
#include <string>

#include "core/session_state.h"

namespace ft {

// Host names of the deployment (build-time values, "localhost" by default).
struct DeploymentHosts {
    std::string intraday;     // ServerMode 0
    std::string subAccount;   // ServerModes 1 and 2
    std::string cooperation;  // ServerMode 3
};
DeploymentHosts BuiltInHosts();
// The operator's web site of the registration and chat pages.
std::string OperatorSite();

struct ModePorts {
    const char* quotePort;
    const char* webPort;
};
inline constexpr std::array<ModePorts, kServerModeCount> kModePorts{{
    {"9292", "9090"},
    {"2173", "2073"},
    {"2186", "2086"},
    {"9293", "9092"},
}};

// Fills the four profiles: for each mode, resolve the host for the quote host, store both
// port texts, resolve the host again for the web host. An unresolvable host leaves an empty
// text, and every later connection to it fails.
void FillServerProfiles(SessionState& session, const DeploymentHosts& hosts);

}  // namespace ft
