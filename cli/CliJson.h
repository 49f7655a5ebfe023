// A small JSON writer for the command-line tool: compact output, texts converted from the stored
// 8-bit Windows-1252 to UTF-8, numbers in their shortest round-trip form, null for NaN and infinities.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervanix::cli {

class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    TJsonWriter& Key(std::string_view name); // ASCII names only

    TJsonWriter& Text(std::string_view ansi); // an 8-bit text of the files
    TJsonWriter& Int(long long value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();
    TJsonWriter& Number(float value);
    TJsonWriter& Number(double value);
    TJsonWriter& Number(long double value);

    const std::string& str() const { return out_; }

private:
    void BeforeValue();
    void Quoted(std::string_view utf8);
    template <class T> TJsonWriter& Real(T value);

    std::string out_;
    std::vector<bool> hasItems_; // per open container: a comma goes before the next item
    bool afterKey_ = false;
};

} // namespace tervanix::cli
