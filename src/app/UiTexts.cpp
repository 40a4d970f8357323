#include "app/UiTexts.h"

#include "app/LanguageFile.h"

namespace quorfw {

UiTexts::UiTexts(std::filesystem::path languageFolder, std::string localeName)
    : folder_(std::move(languageFolder)), language_(SelectUiLanguage(localeName))
{
    EnsureLoaded();
}

bool UiTexts::EnsureLoaded() const
{
    if (loaded_.load(std::memory_order_acquire))
        return true;
    std::lock_guard lock(loadMutex_);
    if (loaded_.load(std::memory_order_relaxed))
        return true;
    for (const std::string_view name : {language_.fileName, kEnglishLanguage.fileName}) {
        const std::filesystem::path file = folder_ / name;
        // A file without a single text is as good as missing: better English than nothing.
        if (auto parsed = ReadLanguageFile(file); parsed && !parsed->texts.empty()) {
            texts_ = std::move(parsed->texts);
            loadedFile_ = file;
            loaded_.store(true, std::memory_order_release);
            return true;
        }
    }
    return false;
}

std::string UiTexts::Text(std::uint32_t id) const
{
    if (!EnsureLoaded())
        return {};
    const auto it = texts_.find(id);
    return it != texts_.end() ? it->second : std::string();
}

std::filesystem::path UiTexts::LoadedFile() const
{
    if (!Loaded())
        return {};
    return loadedFile_;
}

}  // namespace quorfw
