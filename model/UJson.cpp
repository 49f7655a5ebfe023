#include "model/UJson.h"

#include <charconv>
#include <cmath>

#include "model/UTypes.h"

namespace tervanix {
namespace {

class TJsonReader {
public:
    TJsonReader(std::string_view text, int maxDepth) : text_(text), maxDepth_(maxDepth) {}

    TJson Document() {
        TJson value = Value(0);
        SkipBlanks();
        if (pos_ != text_.size()) Fail("text after the end");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EQCError(what + " at byte " + std::to_string(pos_));
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
        if (depth > maxDepth_) Fail("nested too deeply");
        SkipBlanks();
        if (pos_ >= text_.size()) Fail("value expected");
        const std::size_t start = pos_;
        TJson v;
        const char c = text_[pos_];
        if (c == '{') {
            Object(v, depth);
        } else if (c == '[') {
            Array(v, depth);
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
        v.Raw = text_.substr(start, pos_ - start);
        return v;
    }

    void Object(TJson& v, int depth) {
        v.Kind = TJson::TKind::Object;
        ++pos_;
        if (Take('}')) return;
        do {
            SkipBlanks();
            v.Names.push_back(Text());
            Expect(':');
            v.Items.push_back(Value(depth + 1));
        } while (Take(','));
        Expect('}');
    }

    void Array(TJson& v, int depth) {
        v.Kind = TJson::TKind::Array;
        ++pos_;
        if (Take(']')) return;
        do v.Items.push_back(Value(depth + 1));
        while (Take(','));
        Expect(']');
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

    // A code point of one escape or of a surrogate pair; a lone surrogate is no character.
    unsigned EscapedCode() {
        unsigned code = Hex4();
        if (code >= 0xDC00 && code < 0xE000) Fail("lone surrogate");
        if (code >= 0xD800 && code < 0xDC00) {
            if (!TakeWord("\\u")) Fail("lone surrogate");
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
    int maxDepth_;
    std::size_t pos_ = 0;
};

} // namespace

TJson ReadJson(std::string_view text, int maxDepth) { return TJsonReader(text, maxDepth).Document(); }

const TJson* JsonMember(const TJson& object, std::string_view name) {
    for (std::size_t i = object.Names.size(); i-- > 0;)
        if (object.Names[i] == name) return &object.Items[i];
    return nullptr;
}

} // namespace tervanix
