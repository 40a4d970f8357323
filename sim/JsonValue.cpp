#include "sim/JsonValue.h"

#include <utility>

namespace quorfw {

JsonValue JsonValue::MakeBool(bool value)
{
    JsonValue v;
    v.type_ = Type::Bool;
    v.bool_ = value;
    return v;
}

JsonValue JsonValue::MakeNumber(double value, std::optional<std::int64_t> integer)
{
    JsonValue v;
    v.type_ = Type::Number;
    v.number_ = value;
    v.integer_ = integer;
    return v;
}

JsonValue JsonValue::MakeString(std::string value)
{
    JsonValue v;
    v.type_ = Type::String;
    v.string_ = std::move(value);
    return v;
}

JsonValue JsonValue::MakeArray(std::vector<JsonValue> items)
{
    JsonValue v;
    v.type_ = Type::Array;
    v.items_ = std::move(items);
    return v;
}

JsonValue JsonValue::MakeObject(std::vector<std::string> keys, std::vector<JsonValue> values)
{
    JsonValue v;
    v.type_ = Type::Object;
    v.keys_ = std::move(keys);
    v.items_ = std::move(values);
    return v;
}

const JsonValue* JsonValue::Find(std::string_view key) const
{
    if (type_ != Type::Object) {
        return nullptr;
    }
    for (std::size_t i = 0; i < keys_.size() && i < items_.size(); ++i) {
        if (keys_[i] == key) {
            return &items_[i];
        }
    }
    return nullptr;
}

}  // namespace quorfw
