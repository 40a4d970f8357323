#include "app/MemorySettingsStore.h"

#include <charconv>

namespace quorfw {

std::optional<MemorySettingsStore::Value> MemorySettingsStore::Find(std::string_view name) const
{
    std::lock_guard lock(mutex_);
    const auto it = values_.find(name);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

int MemorySettingsStore::ReadInt(std::string_view name, int defaultValue) const
{
    const auto value = Find(name);
    if (!value)
        return defaultValue;
    if (const int* number = std::get_if<int>(&*value))
        return *number;
    const std::string& text = std::get<std::string>(*value);
    int number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || text.empty())
        return defaultValue;
    return number;
}

std::string MemorySettingsStore::ReadString(std::string_view name, std::string_view defaultValue) const
{
    const auto value = Find(name);
    if (!value)
        return std::string(defaultValue);
    if (const int* number = std::get_if<int>(&*value))
        return std::to_string(*number);
    return std::get<std::string>(*value);
}

bool MemorySettingsStore::WriteInt(std::string_view name, int value)
{
    std::lock_guard lock(mutex_);
    values_.insert_or_assign(std::string(name), value);
    return true;
}

bool MemorySettingsStore::WriteString(std::string_view name, std::string_view value)
{
    std::lock_guard lock(mutex_);
    values_.insert_or_assign(std::string(name), std::string(value));
    return true;
}

bool MemorySettingsStore::Contains(std::string_view name) const
{
    return Find(name).has_value();
}

void MemorySettingsStore::Remove(std::string_view name)
{
    std::lock_guard lock(mutex_);
    if (const auto it = values_.find(name); it != values_.end())
        values_.erase(it);
}

}  // namespace quorfw
