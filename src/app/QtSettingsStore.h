#pragma once

#include "app/SettingsStore.h"

namespace quorfw {

// The desktop settings: QSettings("quor", "quorFWupdate"), group "Settings". Each call uses
// its own QSettings object, so the store may be used from any thread.
class QtSettingsStore final : public SettingsStore {
public:
    int ReadInt(std::string_view name, int defaultValue) const override;
    std::string ReadString(std::string_view name, std::string_view defaultValue) const override;
    [[nodiscard]] bool WriteInt(std::string_view name, int value) override;
    [[nodiscard]] bool WriteString(std::string_view name, std::string_view value) override;
};

}  // namespace quorfw
