#include "core/login.h"

#include <cstdio>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/server_profiles.h"
#include "core/text.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace ft {

std::string MachineCode(const std::vector<std::vector<unsigned char>>& adapters,
                        const std::vector<unsigned char>& processor, const std::string& name) {
    std::vector<unsigned char> bytes;
    for (const auto& address : adapters) {
        if (bytes.size() + address.size() >= 4096) {
            break;
        }
        bytes.insert(bytes.end(), address.begin(), address.end());
    }
    bytes.insert(bytes.end(), processor.begin(), processor.end());
    bytes.insert(bytes.end(), name.begin(), name.end());
    std::string code;
    for (unsigned char b : bytes) {
        code += std::to_string(static_cast<int>(static_cast<signed char>(b)));
    }
    return code;
}

std::string MachineCode() {
    return MachineCode(platform::AdapterHardwareAddresses(), platform::ProcessorFeatureBytes(),
                       platform::ComputerName());
}

std::string LoginBody(const std::string& account, const std::string& password,
                      const std::string& machineCode) {
    return FormBody()
        .Add("user_name", account)
        .Add("user_pwd", password)
        .Add("pwd", password)
        .Add("ver", "20150906")
        .Add("yjm", machineCode)
        .Text();
}

LoginAnswer ParseLoginAnswer(const std::string& answer, ServerMode mode) {
    LoginAnswer result;
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    if (fields[0] != "0") {
        result.kind = LoginAnswer::Kind::Refused;
        auto comma = answer.find(',');
        result.message = comma == std::string::npos ? answer : answer.substr(comma + 1);
        return result;
    }
    if (fields.size() > 2 && fields[2] != kClientVersion) {
        result.kind = LoginAnswer::Kind::VersionMismatch;
        result.updaterCommand = fields.size() > 3 ? fields[3] : std::string();
        return result;
    }
    const std::size_t needed = mode == ServerMode::OvernightFirstRound ? 10 : 9;
    if (fields.size() < needed) {
        result.kind = LoginAnswer::Kind::TooFewFields;
        return result;
    }
    result.kind = LoginAnswer::Kind::Accepted;
    result.displayName = fields[1];
    result.priceLimitBuffer = fields[4];
    result.bankName = fields[5];
    result.userName = fields[8];
    if (mode == ServerMode::OvernightFirstRound) {
        result.forcedCloseCount = fields[9];
    }
    return result;
}

ModeProfileKey ModeProfile(int mode) {
    switch (mode) {
        case 0:
            return {platform::SystemFile("fs.ini"), "login_rn"};
        case 1:
            return {platform::SystemFile("fs.ini"), "login_gy"};
        case 2:
            return {platform::SystemFile("fs.ini"), "login_sp"};
        case 3:
            return {platform::SystemFile("hz.ini"), "login_np"};
        default:
            return {};
    }
}

void SaveLoginInfo(ServerMode mode, const std::string& typedAccount, bool saveAccount,
                   std::time_t now) {
    const std::tm t = platform::LocalTime(now);
    const std::string today = Format("%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    const ModeProfileKey key = ModeProfile(static_cast<int>(mode));
    if (!key.file.empty()) {
        platform::WritePrivateProfileString(key.section, today, typedAccount, key.file);
    }
    const std::string client = platform::SettingsFile("client.ini");
    if (saveAccount) {
        platform::WritePrivateProfileString("loginfo", "saveuser", "1", client);
        platform::WritePrivateProfileString("loginfo", "user", typedAccount, client);
    }
    platform::WritePrivateProfileString("loginfo", "td", std::to_string(static_cast<int>(mode)),
                                        client);
}

AutoLogin TakeAutoLogin() {
    const std::string file = platform::SystemFile("autologinsvrfutres.ini");
    AutoLogin result;
    result.userName = platform::GetPrivateProfileString("user", "username", "0", file);
    // The platform read at most 127 bytes into its buffer.
    result.userName.resize(GbkFitLength(result.userName, 127));
    if (result.userName == "0") {
        return result;
    }
    result.triggered = true;
    result.serverIndex =
        static_cast<int>(ToInt(platform::GetPrivateProfileString("user", "nsel", "0", file)));
    std::remove(file.c_str());
    return result;
}

SavedLogin ReadSavedLogin() {
    const std::string file = platform::SettingsFile("client.ini");
    SavedLogin saved;
    saved.saveAccount = platform::GetPrivateProfileInt("loginfo", "saveuser", 0, file) == 1;
    saved.userName = platform::GetPrivateProfileString("loginfo", "user", "", file);
    saved.serverIndex =
        static_cast<int>(ToInt(platform::GetPrivateProfileString("loginfo", "td", "", file)));
    return saved;
}

void WriteHeartbeat(ServerMode mode, std::time_t now) {
    const ModeProfileKey key = ModeProfile(static_cast<int>(mode));
    if (key.file.empty()) {
        return;
    }
    platform::WritePrivateProfileString(key.section, "lasttime",
                                        std::to_string(static_cast<long long>(now)), key.file);
}

std::string RegistrationUrl(int serverIndex) {
    return "http://" + OperatorSite() + (serverIndex == 4 ? "/hezuo/reg-1.html" : "/reg-1.html");
}

std::string ChatUrl(int serverIndex) {
    return "http://" + OperatorSite() + (serverIndex == 4 ? "/hezuo/chat.php" : "/chat.php");
}

}  // namespace ft
