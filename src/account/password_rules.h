// The login password change: the checks of the three fields, the request and what its answer
// means. No Qt here. Texts are GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ft {

inline constexpr const char* kChangePasswordPath = "index.php?m=client&a=submodipwd";

// The first message the three fields call for, in the order the trader fills them in, or
// nothing when the request may go.
std::optional<std::string> PasswordInputMessage(std::string_view oldPassword,
                                                std::string_view newPassword,
                                                std::string_view confirmation);

// "oldpwd=<old>&pwd=<new>".
std::string PasswordChangeBody(const std::string& oldPassword, const std::string& newPassword);

// An answer starting with "0" is a success; a refusal of two fields or more shows
// "修改失败，" and field 1; anything else shows nothing.
struct PasswordOutcome {
    bool success = false;
    std::optional<std::string> message;
};
PasswordOutcome ParsePasswordAnswer(std::string_view answer);

// What the trader is told before the terminal ends after a successful change.
const std::string& PasswordChangedMessage();

}  // namespace ft
