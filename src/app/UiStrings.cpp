#include "app/UiStrings.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace quorfw {

namespace {

struct ProcessTable {
    std::once_flag once;
    std::unique_ptr<UiTexts> texts;
    std::atomic<const UiTexts*> published{nullptr};
};

// Never destroyed: a worker still running while the process exits may ask for a text.
ProcessTable& Table()
{
    static ProcessTable* table = new ProcessTable;
    return *table;
}

}  // namespace

bool SetUpUiStrings(const std::filesystem::path& languageFolder, const std::string& localeName)
{
    ProcessTable& table = Table();
    bool done = false;
    std::call_once(table.once, [&] {
        table.texts = std::make_unique<UiTexts>(languageFolder, localeName);
        table.published.store(table.texts.get(), std::memory_order_release);
        done = true;
    });
    return done;
}

bool SetUpUiStrings(const std::filesystem::path& languageFolder)
{
    return SetUpUiStrings(languageFolder, LocaleNameFromEnvironment(SystemEnvironment()));
}

const UiTexts* ProcessUiTexts()
{
    return Table().published.load(std::memory_order_acquire);
}

std::string LoadUiString(std::uint32_t id)
{
    const UiTexts* texts = ProcessUiTexts();
    return texts ? texts->Text(id) : std::string();
}

}  // namespace quorfw
