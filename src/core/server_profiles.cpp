#include "core/server_profiles.h"

#include "platform/network.h"

#ifndef FT_HOST_INTRADAY
#define FT_HOST_INTRADAY "localhost"
#endif
#ifndef FT_HOST_SUBACCOUNT
#define FT_HOST_SUBACCOUNT "localhost"
#endif
#ifndef FT_HOST_COOPERATION
#define FT_HOST_COOPERATION "localhost"
#endif
#ifndef FT_OPERATOR_SITE
#define FT_OPERATOR_SITE "localhost"
#endif

namespace ft {

DeploymentHosts BuiltInHosts() {
    return {FT_HOST_INTRADAY, FT_HOST_SUBACCOUNT, FT_HOST_COOPERATION};
}

std::string OperatorSite() {
    return FT_OPERATOR_SITE;
}

void FillServerProfiles(SessionState& session, const DeploymentHosts& hosts) {
    const std::array<const std::string*, kServerModeCount> hostOfMode{
        &hosts.intraday, &hosts.subAccount, &hosts.subAccount, &hosts.cooperation};
    for (std::size_t mode = 0; mode < kServerModeCount; ++mode) {
        ServerProfile& profile = session.profiles[mode];
        profile.quoteHost = platform::ResolveHostIPv4(*hostOfMode[mode]);
        profile.quotePort = kModePorts[mode].quotePort;
        profile.webPort = kModePorts[mode].webPort;
        profile.webHost = platform::ResolveHostIPv4(*hostOfMode[mode]);
    }
}

}  // namespace ft
