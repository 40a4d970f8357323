#include "app/UiStrings.h"
#include "app/UiTexts.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

TEST(UiLanguage, OnlyThePrimaryLanguageCounts)
{
    struct Case {
        const char* locale;
        std::string_view code;
        const char* help;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "de", "quorFWupdateDE.html"}, {"de_CH.UTF-8", "de", "quorFWupdateDE.html"},
        {"de_LU", "de", "quorFWupdateDE.html"},       {"de", "de", "quorFWupdateDE.html"},
        {"DE_AT", "de", "quorFWupdateDE.html"},       {"hu_HU.UTF-8", "hu", "quorFWupdateHU.html"},
        {"it_IT@euro", "it", "quorFWupdateIT.html"},  {"it_CH.UTF-8", "it", "quorFWupdateIT.html"},
        {"fr_FR.UTF-8", "en", "quorFWupdateEN.html"}, {"en_US.UTF-8", "en", "quorFWupdateEN.html"},
        {"C", "en", "quorFWupdateEN.html"},           {"C.UTF-8", "en", "quorFWupdateEN.html"},
        {"POSIX", "en", "quorFWupdateEN.html"},       {"", "en", "quorFWupdateEN.html"},
        {"dev_XX", "en", "quorFWupdateEN.html"},
    };
    for (const Case& c : cases) {
        const UiLanguage language = SelectUiLanguage(c.locale);
        EXPECT_EQ(language.code, c.code) << c.locale;
        EXPECT_EQ(HelpFileName(language), c.help) << c.locale;
    }
}

TEST(UiLanguage, LocaleComesFromTheFirstSetVariable)
{
    const auto lookup = [](std::map<std::string, std::string> vars) -> EnvironmentLookup {
        return [vars](const char* name) -> std::optional<std::string> {
            const auto it = vars.find(name);
            return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
    };
    EXPECT_EQ(LocaleNameFromEnvironment(lookup({{"LC_ALL", "it_IT"}, {"LC_MESSAGES", "hu_HU"}, {"LANG", "de_DE"}})), "it_IT");
    EXPECT_EQ(LocaleNameFromEnvironment(lookup({{"LC_ALL", ""}, {"LC_MESSAGES", "hu_HU"}, {"LANG", "de_DE"}})), "hu_HU");
    EXPECT_EQ(LocaleNameFromEnvironment(lookup({{"LC_ALL", ""}, {"LANG", "de_DE"}})), "de_DE");
    EXPECT_EQ(LocaleNameFromEnvironment(lookup({})), "");
}

class UiTextsTest : public ::testing::Test {
protected:
    void WriteGerman() const { folder_.Write("quorfwupdateresde.lang", "#version 1.2.3.4\n2145\tProgramm beendet.\\n\n"); }
    void WriteEnglish() const
    {
        folder_.Write("quorfwupdateresen.lang", "#version 1.2.3.5\n2145\tProgram closed.\\n\n2149\tStep %d of %d\n");
    }

    test::ScratchFolder folder_;
};

TEST_F(UiTextsTest, ChosenLanguageIsLoaded)
{
    WriteGerman();
    WriteEnglish();
    const UiTexts texts(folder_.Path(), "de_LU.UTF-8");
    EXPECT_TRUE(texts.Loaded());
    EXPECT_EQ(texts.Text(2145), "Programm beendet.\n");
    EXPECT_EQ(texts.Text(2149), "") << "an ID the loaded file lacks is empty, not taken from English";
    EXPECT_EQ(texts.Text(99999), "");
}

TEST_F(UiTextsTest, MissingLanguageFallsBackToEnglishButHelpKeepsTheLanguage)
{
    WriteEnglish();
    const UiTexts texts(folder_.Path(), "de_CH.UTF-8");
    EXPECT_EQ(texts.Text(2145), "Program closed.\n");
    EXPECT_EQ(texts.LoadedFile(), folder_ / "quorfwupdateresen.lang");
    EXPECT_EQ(texts.HelpFileName(), "quorFWupdateDE.html");
}

TEST_F(UiTextsTest, LanguageFileWithoutTextsCountsAsMissing)
{
    folder_.Write("quorfwupdateresit.lang", "# only a comment\n#version 1.0.0.0\n");
    WriteEnglish();
    const UiTexts texts(folder_.Path(), "it_IT.UTF-8");
    EXPECT_EQ(texts.Text(2145), "Program closed.\n");
}

TEST_F(UiTextsTest, NothingLoadedGivesEmptyTextsAndIsRetriedAtTheNextRequest)
{
    const UiTexts texts(folder_.Path(), "hu_HU.UTF-8");
    EXPECT_FALSE(texts.Loaded());
    EXPECT_EQ(texts.Text(2145), "");
    EXPECT_EQ(texts.LoadedFile(), std::filesystem::path());

    WriteEnglish();
    EXPECT_EQ(texts.Text(2145), "Program closed.\n");
    EXPECT_TRUE(texts.Loaded());
}

TEST_F(UiTextsTest, ConcurrentFirstRequestsAllSeeTheTexts)
{
    const UiTexts texts(folder_.Path(), "en_GB.UTF-8");
    WriteEnglish();
    std::vector<std::string> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            for (int n = 0; n < 200; ++n)
                seen[i] = texts.Text(2149);
        });
    for (auto& thread : threads)
        thread.join();
    for (const std::string& text : seen)
        EXPECT_EQ(text, "Step %d of %d");
}

// The one process-wide table: nothing before set-up, the first set-up stays.
TEST(UiStrings, ProcessTableIsSetUpOnce)
{
    EXPECT_EQ(ProcessUiTexts(), nullptr);
    EXPECT_EQ(LoadUiString(2145), "");

    const std::filesystem::path languages = std::filesystem::path(std::getenv("QUORFW_SOURCE_DIR")) / "lang";
    EXPECT_TRUE(SetUpUiStrings(languages, "de_DE.UTF-8"));
    EXPECT_FALSE(SetUpUiStrings(languages, "it_IT.UTF-8"));

    ASSERT_NE(ProcessUiTexts(), nullptr);
    EXPECT_EQ(ProcessUiTexts()->Language().code, "de");
    EXPECT_EQ(LoadUiString(2145), "Programm beendet.\n");
    EXPECT_EQ(FormatUiString(2149, 3, 5), "Schritt 3 von 5");
    EXPECT_EQ(FormatUiString(2134, "20050100005678", "6.4.9.1", "6.4.10.0"),
              "Modul 20050100005678: installierte Version 6.4.9.1, Paketversion 6.4.10.0\n");
}

}  // namespace
}  // namespace quorfw
