#include "core/form_body.h"

namespace ft {

std::string EscapeFormValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '&':
                out += "%26";
                break;
            case '=':
                out += "%3D";
                break;
            case '+':
                out += "%2B";
                break;
            case '%':
                out += "%25";
                break;
            default:
                out += c;
        }
    }
    return out;
}

FormBody& FormBody::Add(std::string_view name, std::string_view value) {
    if (!text_.empty()) {
        text_ += '&';
    }
    text_.append(name);
    text_ += '=';
    text_ += EscapeFormValue(value);
    return *this;
}

FormBody& FormBody::AppendRaw(std::string_view raw) {
    text_.append(raw);
    return *this;
}

}  // namespace ft
