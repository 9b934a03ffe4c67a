#include "json_reader.h"

#include <cstdlib>
#include <stdexcept>

namespace atlas {

const JsonValue* JsonValue::find(std::string_view key) const {
    if (kind != Kind::Object) return nullptr;
    for (const auto& m : members)
        if (m.first == key) return &m.second;
    return nullptr;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view t) : text_(t) {}

    JsonValue document() {
        JsonValue v = value(0);
        skip_space();
        if (pos_ != text_.size()) fail("unexpected text after the JSON value");
        return v;
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at byte " + std::to_string(pos_));
    }

    void skip_space() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
            ++pos_;
        }
    }

    char peek() {
        skip_space();
        if (pos_ >= text_.size()) fail("unexpected end of text");
        return text_[pos_];
    }

    void expect(char c) {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    void literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) fail("unknown literal");
        pos_ += word.size();
    }

    JsonValue value(int depth) {
        if (depth > kMaxDepth) fail("nesting too deep");
        JsonValue v;
        char c = peek();
        if (c == '{') {
            v.kind = JsonValue::Kind::Object;
            ++pos_;
            if (peek() == '}') { ++pos_; return v; }
            for (;;) {
                if (peek() != '"') fail("expected a member name");
                std::string key = string_body();
                expect(':');
                v.members.emplace_back(std::move(key), value(depth + 1));
                char d = peek();
                ++pos_;
                if (d == '}') break;
                if (d != ',') { --pos_; fail("expected ',' or '}'"); }
            }
        } else if (c == '[') {
            v.kind = JsonValue::Kind::Array;
            ++pos_;
            if (peek() == ']') { ++pos_; return v; }
            for (;;) {
                v.items.push_back(value(depth + 1));
                char d = peek();
                ++pos_;
                if (d == ']') break;
                if (d != ',') { --pos_; fail("expected ',' or ']'"); }
            }
        } else if (c == '"') {
            v.kind = JsonValue::Kind::String;
            v.text = string_body();
        } else if (c == 't') {
            literal("true");
            v.kind = JsonValue::Kind::Bool;
            v.boolean = true;
        } else if (c == 'f') {
            literal("false");
            v.kind = JsonValue::Kind::Bool;
        } else if (c == 'n') {
            literal("null");
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            v.kind = JsonValue::Kind::Number;
            v.number = number();
        } else {
            fail("unexpected character");
        }
        return v;
    }

    double number() {
        size_t start = pos_;
        if (text_[pos_] == '-') ++pos_;
        auto digits = [&] {
            size_t s = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            if (pos_ == s) fail("malformed number");
        };
        digits();
        if (pos_ < text_.size() && text_[pos_] == '.') { ++pos_; digits(); }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            digits();
        }
        std::string token(text_.substr(start, pos_ - start));
        return std::strtod(token.c_str(), nullptr);
    }

    void append_utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    unsigned hex4() {
        if (pos_ + 4 > text_.size()) fail("short \\u escape");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f') v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= unsigned(c - 'A' + 10);
            else fail("bad \\u escape");
        }
        return v;
    }

    std::string string_body() {
        ++pos_;  // opening quote
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            char c = text_[pos_++];
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in string");
            if (c != '\\') { out += c; continue; }
            if (pos_ >= text_.size()) fail("unterminated string");
            char e = text_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00) {
                        if (text_.substr(pos_, 2) != "\\u") fail("lone surrogate");
                        pos_ += 2;
                        unsigned lo = hex4();
                        if (lo < 0xDC00 || lo >= 0xE000) fail("bad surrogate pair");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    }
                    append_utf8(out, cp);
                    break;
                }
                default: fail("unknown escape");
            }
        }
        return out;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

JsonValue parse_json(std::string_view text) { return Parser(text).document(); }

}  // namespace atlas
