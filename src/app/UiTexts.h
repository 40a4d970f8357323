#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "app/UiLanguage.h"

namespace quorfw {

// The user-interface texts of one process: the language file chosen by the locale, read from
// the language folder, English when the chosen file cannot be read. When no file can be read
// every text is empty and the next request tries again. Safe for concurrent readers: once a
// file is loaded its table is never changed again.
class UiTexts {
public:
    UiTexts(std::filesystem::path languageFolder, std::string localeName);

    UiTexts(const UiTexts&) = delete;
    UiTexts& operator=(const UiTexts&) = delete;

    // The text of string id; empty when the loaded file does not hold it or nothing loaded.
    std::string Text(std::uint32_t id) const;

    // Chosen by the locale alone, whichever file actually loaded.
    const UiLanguage& Language() const { return language_; }
    std::string HelpFileName() const { return quorfw::HelpFileName(language_); }

    bool Loaded() const { return loaded_.load(std::memory_order_acquire); }
    // The language file in use; empty while none is loaded.
    std::filesystem::path LoadedFile() const;

    const std::filesystem::path& LanguageFolder() const { return folder_; }

private:
    bool EnsureLoaded() const;

    std::filesystem::path folder_;
    UiLanguage language_;
    mutable std::mutex loadMutex_;
    mutable std::atomic<bool> loaded_{false};
    // Written only under loadMutex_ before loaded_ is set, read-only afterwards.
    mutable std::map<std::uint32_t, std::string> texts_;
    mutable std::filesystem::path loadedFile_;
};

}  // namespace quorfw
