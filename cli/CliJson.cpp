#include "cli/CliJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "model/UAnsiText.h"

namespace tervanix::cli {

void TJsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (hasItems_.empty()) return;
    if (hasItems_.back()) out_ += ',';
    hasItems_.back() = true;
}

TJsonWriter& TJsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    hasItems_.push_back(false);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    out_ += '}';
    hasItems_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    hasItems_.push_back(false);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    out_ += ']';
    hasItems_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
    BeforeValue();
    Quoted(name);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

void TJsonWriter::Quoted(std::string_view utf8) {
    out_ += '"';
    for (char c : utf8) {
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out_ += escaped;
            } else {
                out_ += c;
            }
        }
    }
    out_ += '"';
}

TJsonWriter& TJsonWriter::Text(std::string_view ansi) {
    BeforeValue();
    Quoted(AnsiToUtf8(ansi));
    return *this;
}

TJsonWriter& TJsonWriter::Int(long long value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

// The shortest text that reads back as the same value of its own type.
template <class T> TJsonWriter& TJsonWriter::Real(T value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    return *this;
}

TJsonWriter& TJsonWriter::Number(float value) { return Real(value); }
TJsonWriter& TJsonWriter::Number(double value) { return Real(value); }
TJsonWriter& TJsonWriter::Number(long double value) { return Real(value); }

} // namespace tervanix::cli
