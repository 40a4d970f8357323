#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "app/SettingsStore.h"

namespace quorfw {

// Settings held in memory: for tests, the simulator and the command line without a desktop.
// Integers and strings convert into each other as the desktop store does: a string value is
// read as an integer when it is a decimal number.
class MemorySettingsStore final : public SettingsStore {
public:
    int ReadInt(std::string_view name, int defaultValue) const override;
    std::string ReadString(std::string_view name, std::string_view defaultValue) const override;
    [[nodiscard]] bool WriteInt(std::string_view name, int value) override;
    [[nodiscard]] bool WriteString(std::string_view name, std::string_view value) override;

    bool Contains(std::string_view name) const;
    void Remove(std::string_view name);

private:
    using Value = std::variant<int, std::string>;
    std::optional<Value> Find(std::string_view name) const;

    mutable std::mutex mutex_;
    std::map<std::string, Value, std::less<>> values_;
};

}  // namespace quorfw
