// The one reader of JSON texts in the core, for the files of our own beside the data file (the
// audit trail's lines, the quality goals): strict, with bounded nesting so that a hostile file
// cannot exhaust the stack.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervanix {

// A JSON value; objects keep their members in file order.
struct TJson {
    enum class TKind { Null, Bool, Number, Text, Array, Object } Kind = TKind::Null;
    double Number = 0;
    std::string Text;               // UTF-8
    std::vector<TJson> Items;       // of an array; of an object, its members' values
    std::vector<std::string> Names; // of an object, its members' names in file order
    std::string_view Raw;           // the value's own text, within the text read
};

// The one value `text` holds. Throws EQCError("<what> at byte <n>") for anything else: a number
// that is not finite, a control character or a lone surrogate in a text, text after the value,
// nesting deeper than `maxDepth`.
TJson ReadJson(std::string_view text, int maxDepth);

// The value of the object's member of that name (the last one when it is named twice); null when
// it has none.
const TJson* JsonMember(const TJson& object, std::string_view name);

} // namespace tervanix
