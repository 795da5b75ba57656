// Builds form bodies. Values are inserted as they are (blanks, colons and raw bytes stay),
// except the four characters that would change the form or its decoding: "&", "=", "+" and
// "%" become %XX. A PHP back-end decodes both forms of every other byte identically.
#pragma once

#include <string>
#include <string_view>

namespace ft {

std::string EscapeFormValue(std::string_view value);

class FormBody {
public:
    FormBody() = default;
    // Appends "name=value" ("&" first unless the body is empty).
    FormBody& Add(std::string_view name, std::string_view value);
    // Appends a piece of the body as it is (already-built fields).
    FormBody& AppendRaw(std::string_view raw);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace ft
