#include "model/UQualityGoals.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "model/UAnsiText.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/ULists.h"

namespace tervanix {

bool TAnalyteGoals::Empty() const {
    if (TeaPercent) return false;
    for (const auto& target : Targets)
        if (target) return false;
    return true;
}

const TAnalyteGoals* TQualityGoals::Find(std::string_view name) const {
    const auto found = entries_.find(UpperAscii(name));
    return found == entries_.end() ? nullptr : &found->second.Goals;
}

void TQualityGoals::Set(std::string_view name, const TAnalyteGoals& goals) {
    if (goals.Empty()) return Remove(name);
    entries_[UpperAscii(name)] = {std::string(name), goals};
}

void TQualityGoals::Remove(std::string_view name) { entries_.erase(UpperAscii(name)); }

void TQualityGoals::Carry(const std::vector<TRename>& renamed, const std::vector<std::string>& deleted) {
    // All renames at once, so that two analytes that swap names swap their goals.
    std::vector<std::pair<std::string, std::optional<TAnalyteGoals>>> moving;
    for (const TRename& r : renamed) {
        const TAnalyteGoals* goals = Find(r.From);
        moving.emplace_back(r.To, goals ? std::optional(*goals) : std::nullopt);
    }
    for (const TRename& r : renamed) Remove(r.From);
    for (const std::string& name : deleted) Remove(name);
    for (const auto& [to, goals] : moving)
        if (goals) Set(to, *goals);
}

std::vector<std::pair<std::string, TAnalyteGoals>> TQualityGoals::Entries() const {
    std::vector<std::pair<std::string, TAnalyteGoals>> list;
    for (const auto& [key, entry] : entries_) list.emplace_back(entry.Name, entry.Goals);
    return list;
}

// ---- The file ----

namespace {

void AppendNumber(std::string& out, const std::optional<double>& value) {
    if (!value) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, *value);
    out.append(buffer, written.ptr);
}

// A JSON value as the goals file needs it: objects keep their members in file order.
struct TJson {
    enum class TKind { Null, Bool, Number, Text, Array, Object } Kind = TKind::Null;
    double Number = 0;
    std::string Text;
    std::vector<TJson> Items;                // of an array; of an object, its members' values
    std::vector<std::string> Names;          // of an object, its members' names in file order
};

// A strict reader of one JSON text. Nesting is bounded, so that a hostile file cannot exhaust the stack.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : text_(text) {}

    TJson Document() {
        TJson value = Value(0);
        SkipBlanks();
        if (pos_ != text_.size()) Fail("text after the end");
        return value;
    }

private:
    static constexpr int MaxDepth = 16;

    [[noreturn]] void Fail(const std::string& what) const {
        throw EQCError("not a goals file: " + what + " at byte " + std::to_string(pos_));
    }
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool Take(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("'") + c + "' expected");
    }
    bool TakeWord(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    TJson Value(int depth) {
        if (depth > MaxDepth) Fail("nested too deeply");
        SkipBlanks();
        if (pos_ >= text_.size()) Fail("value expected");
        TJson v;
        const char c = text_[pos_];
        if (c == '{') {
            v.Kind = TJson::TKind::Object;
            ++pos_;
            if (Take('}')) return v;
            do {
                SkipBlanks();
                v.Names.push_back(Text());
                Expect(':');
                v.Items.push_back(Value(depth + 1));
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            v.Kind = TJson::TKind::Array;
            ++pos_;
            if (Take(']')) return v;
            do v.Items.push_back(Value(depth + 1));
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            v.Kind = TJson::TKind::Text;
            v.Text = Text();
        } else if (TakeWord("null")) {
            v.Kind = TJson::TKind::Null;
        } else if (TakeWord("true") || TakeWord("false")) {
            v.Kind = TJson::TKind::Bool;
        } else {
            v.Kind = TJson::TKind::Number;
            v.Number = Number();
        }
        return v;
    }

    double Number() {
        const std::size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        while (pos_ < text_.size() && std::string_view("0123456789.eE+-").find(text_[pos_]) != std::string_view::npos) ++pos_;
        const std::string_view digits = text_.substr(start, pos_ - start);
        double value = 0;
        const auto read = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || read.ec != std::errc() || read.ptr != digits.data() + digits.size() || !std::isfinite(value))
            Fail("number expected");
        return value;
    }

    unsigned Hex4() {
        if (text_.size() - pos_ < 4) Fail("escape cut short");
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[pos_++];
            const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            if (digit < 0) Fail("bad escape");
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return code;
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    unsigned EscapedCode() {
        unsigned code = Hex4();
        if (code >= 0xD800 && code < 0xDC00 && TakeWord("\\u")) {
            const unsigned low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        return code;
    }

    std::string Text() {
        if (pos_ >= text_.size() || text_[pos_] != '"') Fail("text expected");
        ++pos_;
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) Fail("text not closed");
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a text");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) Fail("escape cut short");
            const char e = text_[pos_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': AppendUtf8(out, EscapedCode()); break;
            default: Fail("bad escape");
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

const TJson* Member(const TJson& object, std::string_view name) {
    for (std::size_t i = 0; i < object.Names.size(); ++i)
        if (object.Names[i] == name) return &object.Items[i];
    return nullptr;
}

[[noreturn]] void Refuse(const std::string& name, const std::string& what) {
    throw EQCError("goals of \"" + name + "\": " + what);
}

std::optional<double> OptionalNumber(const TJson* value, const std::string& name, const char* what) {
    if (!value || value->Kind == TJson::TKind::Null) return std::nullopt;
    if (value->Kind != TJson::TKind::Number) Refuse(name, std::string(what) + " is not a number");
    return value->Number;
}

TAnalyteGoals ReadAnalyteGoals(const std::string& name, const TJson& value) {
    if (value.Kind != TJson::TKind::Object) Refuse(name, "not an object");
    TAnalyteGoals goals;
    goals.TeaPercent = OptionalNumber(Member(value, "tea_percent"), name, "tea_percent");
    if (goals.TeaPercent && !(*goals.TeaPercent > 0)) Refuse(name, "tea_percent is not above 0");
    const TJson* targets = Member(value, "targets");
    if (!targets || targets->Kind == TJson::TKind::Null) return goals;
    if (targets->Kind != TJson::TKind::Array) Refuse(name, "targets is not a list");
    if (targets->Items.size() > MaxLevels) Refuse(name, "more than three targets");
    for (std::size_t level = 0; level < targets->Items.size(); ++level) {
        goals.Targets[level] = OptionalNumber(&targets->Items[level], name, "a target");
        if (goals.Targets[level] && !IsStorableResult(*goals.Targets[level])) Refuse(name, "a target is out of range");
    }
    return goals;
}

} // namespace

std::string EncodeGoalsFile(const TQualityGoals& goals) {
    std::string out = "{\"analytes\": {";
    bool first = true;
    for (const auto& [name, g] : goals.Entries()) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += JsonQuoted(AnsiToUtf8(name));
        out += ": {\"tea_percent\": ";
        AppendNumber(out, g.TeaPercent);
        out += ", \"targets\": [";
        for (std::size_t level = 0; level < MaxLevels; ++level) {
            if (level > 0) out += ", ";
            AppendNumber(out, g.Targets[level]);
        }
        out += "]}";
    }
    out += first ? "}}\n" : "\n}}\n";
    return out;
}

TQualityGoals DecodeGoalsFile(std::string_view text) {
    const TJson document = TJsonReader(text).Document();
    if (document.Kind != TJson::TKind::Object) throw EQCError("not a goals file: no object");
    const TJson* analytes = Member(document, "analytes");
    if (!analytes || analytes->Kind != TJson::TKind::Object) throw EQCError("not a goals file: no \"analytes\"");
    TQualityGoals goals;
    for (std::size_t i = 0; i < analytes->Names.size(); ++i) {
        const std::string& utf8Name = analytes->Names[i];
        const TJson& value = analytes->Items[i];
        const std::string name = Utf8ToAnsi(utf8Name);
        if (goals.Find(name)) Refuse(utf8Name, "the analyte is named twice");
        TAnalyteGoals read = ReadAnalyteGoals(utf8Name, value);
        // An entry without a single goal says nothing.
        if (read.Empty()) continue;
        goals.Set(name, read);
    }
    return goals;
}

std::string GoalsPathBeside(const std::string& dataPath) { return PathWithExtension(dataPath, ".goals"); }

} // namespace tervanix
