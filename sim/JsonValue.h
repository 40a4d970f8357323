#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// One value of a JSON document as the installation files use them. Objects keep their
// members in file order so that error messages and round trips follow the file.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue MakeBool(bool value);
    // integer is set only when the literal had no fraction or exponent and fits 64 bits.
    static JsonValue MakeNumber(double value, std::optional<std::int64_t> integer);
    static JsonValue MakeString(std::string value);
    static JsonValue MakeArray(std::vector<JsonValue> items);
    static JsonValue MakeObject(std::vector<std::string> keys, std::vector<JsonValue> values);

    [[nodiscard]] Type type() const { return type_; }
    [[nodiscard]] bool IsNull() const { return type_ == Type::Null; }
    [[nodiscard]] bool IsBool() const { return type_ == Type::Bool; }
    [[nodiscard]] bool IsNumber() const { return type_ == Type::Number; }
    [[nodiscard]] bool IsString() const { return type_ == Type::String; }
    [[nodiscard]] bool IsArray() const { return type_ == Type::Array; }
    [[nodiscard]] bool IsObject() const { return type_ == Type::Object; }

    // Accessors return the neutral value when the type differs; callers check the type.
    [[nodiscard]] bool AsBool() const { return bool_; }
    [[nodiscard]] double AsNumber() const { return number_; }
    [[nodiscard]] std::optional<std::int64_t> AsInteger() const { return integer_; }
    [[nodiscard]] const std::string& AsString() const { return string_; }
    // Array items, or object member values in file order.
    [[nodiscard]] const std::vector<JsonValue>& Items() const { return items_; }
    // Object member names, parallel to Items().
    [[nodiscard]] const std::vector<std::string>& Keys() const { return keys_; }
    // The member of that name, or null when absent or this is not an object.
    [[nodiscard]] const JsonValue* Find(std::string_view key) const;

    friend bool operator==(const JsonValue&, const JsonValue&) = default;

private:
    Type type_ = Type::Null;
    bool bool_ = false;
    double number_ = 0.0;
    std::optional<std::int64_t> integer_;
    std::string string_;
    std::vector<std::string> keys_;
    std::vector<JsonValue> items_;
};

}  // namespace quorfw
