#include "account/password_rules.h"

#include <vector>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"

namespace ft {

std::optional<std::string> PasswordInputMessage(std::string_view oldPassword,
                                                std::string_view newPassword,
                                                std::string_view confirmation) {
    if (oldPassword.empty()) {
        return Ansi("请输入原密码");
    }
    if (newPassword.empty()) {
        return Ansi("请输入新密码");
    }
    if (confirmation.empty()) {
        return Ansi("请输入确认密码");
    }
    if (newPassword != confirmation) {
        return Ansi("新密码和确认密码不一致");
    }
    return std::nullopt;
}

std::string PasswordChangeBody(const std::string& oldPassword, const std::string& newPassword) {
    FormBody body;
    body.Add("oldpwd", oldPassword).Add("pwd", newPassword);
    return body.Text();
}

PasswordOutcome ParsePasswordAnswer(std::string_view answer) {
    PasswordOutcome outcome;
    if (!answer.empty() && answer.front() == '0') {
        outcome.success = true;
        return outcome;
    }
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    if (fields.size() >= 2) {
        outcome.message = Ansi("修改失败，") + fields[1];
    }
    return outcome;
}

const std::string& PasswordChangedMessage() {
    return Ansi("密码修改成功,请重新登录系统");
}

}  // namespace ft
