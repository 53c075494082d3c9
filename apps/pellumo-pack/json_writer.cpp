#include "json_writer.h"

#include <cstdio>

namespace pellumo {

void TJsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (firstInLevel_.empty()) return;
    if (!firstInLevel_.back()) text_ += ',';
    firstInLevel_.back() = false;
}

void TJsonWriter::AppendQuoted(std::string_view utf8) {
    text_ += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            text_ += escape;
        } else {
            text_ += c;
        }
    }
    text_ += '"';
}

void TJsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    firstInLevel_.push_back(true);
}

void TJsonWriter::EndObject() {
    firstInLevel_.pop_back();
    text_ += '}';
}

void TJsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    firstInLevel_.push_back(true);
}

void TJsonWriter::EndArray() {
    firstInLevel_.pop_back();
    text_ += ']';
}

void TJsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendQuoted(name);
    text_ += ':';
    afterKey_ = true;
}

void TJsonWriter::String(std::string_view utf8) {
    BeforeValue();
    AppendQuoted(utf8);
}

void TJsonWriter::Integer(std::int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
}

void TJsonWriter::Boolean(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
}

void TJsonWriter::Null() {
    BeforeValue();
    text_ += "null";
}

}  // namespace pellumo
