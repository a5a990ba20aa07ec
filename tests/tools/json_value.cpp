#include "json_value.h"

#include <cstdlib>

namespace {

const JsonValue kMissing;

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool document(JsonValue& out) {
        skipBlanks();
        if (!value(out, 0))
            return false;
        skipBlanks();
        return pos_ == s_.size() || fail("text after the value");
    }
    std::string error() const { return why_ + " at offset " + std::to_string(pos_); }

private:
    bool fail(const char* why) {
        if (why_.empty())
            why_ = why;
        return false;
    }
    void skipBlanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t'))
            ++pos_;
    }
    bool literal(const char* word) {
        const std::string w = word;
        if (s_.compare(pos_, w.size(), w) != 0)
            return fail("bad literal");
        pos_ += w.size();
        return true;
    }
    bool value(JsonValue& out, int depth) {
        if (depth > 64)
            return fail("nested too deeply");
        if (pos_ >= s_.size())
            return fail("value expected");
        const char c = s_[pos_];
        if (c == '{')
            return object(out, depth);
        if (c == '[')
            return array(out, depth);
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return string(out.text);
        }
        if (c == 't' || c == 'f') {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            out.kind = JsonValue::Kind::Null;
            return literal("null");
        }
        return number(out);
    }
    bool number(JsonValue& out) {
        const std::size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-')
            ++pos_;
        if (pos_ >= s_.size() || !isDigit(s_[pos_]))
            return fail("number expected");
        if (s_[pos_] == '0')
            ++pos_;
        else
            while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            if (pos_ >= s_.size() || !isDigit(s_[pos_]))
                return fail("digit expected after the point");
            while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-'))
                ++pos_;
            if (pos_ >= s_.size() || !isDigit(s_[pos_]))
                return fail("digit expected in the exponent");
            while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        }
        out.kind = JsonValue::Kind::Number;
        out.number = std::strtod(s_.substr(start, pos_ - start).c_str(), nullptr);
        return true;
    }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool string(std::string& out) {
        ++pos_;   // the opening quote
        out.clear();
        while (pos_ < s_.size()) {
            const unsigned char c = static_cast<unsigned char>(s_[pos_++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return fail("control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (pos_ >= s_.size())
                break;
            const char e = s_[pos_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                for (int k = 0; k < 4; ++k) {
                    const int h = pos_ < s_.size() ? hexValue(s_[pos_++]) : -1;
                    if (h < 0)
                        return fail("bad \\u escape");
                    code = code * 16 + static_cast<unsigned>(h);
                }
                appendUtf8(out, code);
                break;
            }
            default:
                return fail("bad escape");
            }
        }
        return fail("unterminated string");
    }
    bool array(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Array;
        ++pos_;
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipBlanks();
            JsonValue item;
            if (!value(item, depth + 1))
                return false;
            out.items.push_back(std::move(item));
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("',' or ']' expected");
        }
    }
    bool object(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Object;
        ++pos_;
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"')
                return fail("member name expected");
            std::string name;
            if (!string(name))
                return false;
            if (out.members.count(name) > 0)
                return fail("duplicate member name");
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != ':')
                return fail("':' expected");
            ++pos_;
            skipBlanks();
            JsonValue member;
            if (!value(member, depth + 1))
                return false;
            out.members.emplace(std::move(name), std::move(member));
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("',' or '}' expected");
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
    std::string why_;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
    const auto it = members.find(name);
    return it == members.end() ? kMissing : it->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
    return index < items.size() ? items[index] : kMissing;
}

std::optional<JsonValue> parseJson(const std::string& text, std::string* error) {
    Reader reader(text);
    JsonValue value;
    if (!reader.document(value)) {
        if (error != nullptr)
            *error = reader.error();
        return std::nullopt;
    }
    return value;
}
