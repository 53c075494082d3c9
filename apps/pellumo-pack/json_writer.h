#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellumo {

// Writes one JSON text on a single line, placing the commas itself. Strings must be UTF-8;
// quotes, backslashes and control characters are escaped, everything else passes as is.
class TJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the current object.
    void Key(std::string_view name);

    void String(std::string_view utf8);
    void Integer(std::int64_t value);
    void Boolean(bool value);
    void Null();

    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void AppendQuoted(std::string_view utf8);

    std::string text_;
    std::vector<bool> firstInLevel_;  // one per open object or array
    bool afterKey_ = false;
};

}  // namespace pellumo
