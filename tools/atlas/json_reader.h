// A small JSON reader, enough for the boundary file the atlas is drawn
// from: the whole text is parsed into a tree of values. Malformed text
// raises std::runtime_error naming the byte offset.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace atlas {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;                             // Array
    std::vector<std::pair<std::string, JsonValue>> members;  // Object, in file order

    // Member lookup; null when absent or when this is not an object.
    const JsonValue* find(std::string_view key) const;
    bool is_array() const { return kind == Kind::Array; }
    bool is_object() const { return kind == Kind::Object; }
};

JsonValue parse_json(std::string_view text);

}  // namespace atlas
