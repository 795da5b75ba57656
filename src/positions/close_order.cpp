#include "positions/close_order.h"

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"
#include "net/daily_log.h"
#include "net/request_client.h"

namespace ft {

std::string CloseOrderBody(const std::string& userName, const CloseOrder& order) {
    FormBody body;
    body.Add("user_name", userName)
        .Add("code", order.code)
        .Add("type", order.type)
        .Add("updown", order.updown)
        .Add("num", order.lots)
        .Add("price", order.price)
        .Add("pricetype", "3")
        .Add("src", "lctrade")
        .Add("dsid", order.positionId);
    return body.Text();
}

CloseOutcome SendCloseOrder(const SessionState& session, const CloseOrder& order) {
    const std::string body = CloseOrderBody(session.Login().userName, order);
    WriteLog("to weituo trade...,post:" + body);
    CloseOutcome out;
    std::string answer;
    if (!PostForm(session, kCloseOrderPath, body, answer)) {
        out.problem = Ansi("交易服务器无应答");
        WriteLog("to weituo trade...,failed:" + out.problem);
        return out;
    }
    WriteLog("to weituo trade...,result:" + answer);
    out.answered = true;
    out.answer = answer;
    std::vector<std::string> fields;
    SplitText(",", answer, fields);
    out.accepted = fields[0] == "0";
    if (!out.accepted) {
        // An answer that is no status record (an error page) still says the order failed.
        out.problem = fields.size() >= 2 && !fields[1].empty()
                          ? fields[1]
                          : answer.substr(0, GbkFitLength(answer, 60));
        if (out.problem.empty()) {
            out.problem = Ansi("交易服务器应答为空");
        }
    }
    return out;
}

}  // namespace ft
