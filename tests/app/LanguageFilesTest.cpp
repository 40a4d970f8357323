#include "app/LanguageFile.h"
#include "app/UiFormat.h"
#include "app/UiLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace quorfw {
namespace {

TEST(ParseLanguageFile, ReadsTextsEscapesAndVersion)
{
    const LanguageFile file = ParseLanguageFile(
        "\xEF\xBB\xBF# comment\r\n"
        "#version 2.4.0.17\r\n"
        "\n"
        "2198\tDone.\\n\\nUsers: %d\\tback\\\\slash\r\n"
        "2120\tScan\n"
        "3101\t  padded  \n"
        "2104\tKonverter:");
    EXPECT_TRUE(file.problems.empty());
    EXPECT_EQ(file.version, "2.4.0.17");
    ASSERT_EQ(file.texts.size(), 4u);
    EXPECT_EQ(file.texts.at(2198), "Done.\n\nUsers: %d\tback\\slash");
    EXPECT_EQ(file.texts.at(2120), "Scan");
    EXPECT_EQ(file.texts.at(3101), "  padded  ");
    EXPECT_EQ(file.texts.at(2104), "Konverter:");
}

TEST(ParseLanguageFile, ReportsWhatATranslatorMustFix)
{
    const LanguageFile file = ParseLanguageFile(
        "2120 Scan without a tab\n"
        "21x0\tnot a number\n"
        "99999999999\ttoo large\n"
        "2101\tfirst\n"
        "2101\tsecond\n"
        "2102\tunknown \\q escape\n"
        "2103\tLatin-1 \xE4\n"
        "#versions are not a version line\n");
    EXPECT_EQ(file.problems.size(), 6u);
    EXPECT_EQ(file.texts.at(2101), "first");
    EXPECT_EQ(file.texts.at(2102), "unknown \\q escape");
    EXPECT_EQ(file.texts.count(2120), 0u);
    EXPECT_EQ(file.version, "");
}

// Every string ID the program uses, with the conversions its callers fill in, in order.
struct RequiredText {
    std::uint32_t id;
    const char* placeholders;
};

std::vector<RequiredText> RequiredTexts()
{
    std::vector<RequiredText> texts = {
        {2134, "sss"}, {2135, "sss"}, {2138, "s"}, {2141, "d"}, {2142, "s"}, {2149, "dd"}, {2168, "s"},
        {2198, "dddd"}, {40001, "ss"}, {40002, "s"}, {40003, "sss"},
        {40023, "s"}, {40024, "d"},
    };
    const std::uint32_t plain[] = {
        2101, 2102, 2103, 2104, 2106, 2107, 2108, 2109, 2110, 2111, 2112, 2113, 2117, 2118, 2119, 2120,
        2123, 2125, 2126, 2127, 2128, 2129, 2130, 2131, 2132, 2133, 2137, 2139, 2144, 2145, 2146, 2147,
        2148, 2150, 2153, 2154, 2156, 2157, 2159, 2160, 2161, 2162, 2163, 2165, 2166, 2169, 2170, 2171,
        2173, 2190, 2191, 2192, 2193, 2194, 2195, 2196, 2197, 2199, 2200, 2201, 2202, 2203, 2204, 2999,
        3000, 3100, 3781, 3782, 61703, 40004, 40005,
        40020, 40021, 40022, 40025,
    };
    for (std::uint32_t id : plain)
        texts.push_back({id, ""});
    for (std::uint32_t id = 3001; id <= 3012; ++id)
        texts.push_back({id, ""});
    for (std::uint32_t id = 3050; id <= 3058; ++id)
        texts.push_back({id, ""});
    for (std::uint32_t id = 3101; id <= 3115; ++id)
        texts.push_back({id, ""});
    for (std::uint32_t id = 40141; id <= 40155; ++id)
        texts.push_back({id, ""});
    return texts;
}

// Texts written to the update log: they bring their own line break.
const std::set<std::uint32_t> kLogTexts = {2130, 2131, 2132, 2133, 2134, 2135, 2137, 2138, 2139,
                                           2141, 2142, 2144, 2145, 40001, 40002, 40003, 40010, 40011};

LanguageFile ShippedFile(const UiLanguage& language)
{
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    const std::filesystem::path file = std::filesystem::path(source ? source : ".") / "lang" / language.fileName;
    auto parsed = ReadLanguageFile(file);
    EXPECT_TRUE(parsed.has_value()) << file;
    return parsed.value_or(LanguageFile{});
}

TEST(ShippedLanguageFiles, EnglishHoldsEveryTextWithItsConversions)
{
    const LanguageFile english = ShippedFile(kEnglishLanguage);
    for (const std::string& problem : english.problems)
        ADD_FAILURE() << problem;
    for (const RequiredText& required : RequiredTexts()) {
        const auto it = english.texts.find(required.id);
        ASSERT_NE(it, english.texts.end()) << "missing text " << required.id;
        EXPECT_FALSE(it->second.empty()) << required.id;
        EXPECT_EQ(UiPlaceholders(it->second), required.placeholders) << required.id;
        if (*required.placeholders == '\0') {
            EXPECT_EQ(it->second.find('%'), std::string::npos) << "a text without arguments holds '%': " << required.id;
        }
    }
}

TEST(ShippedLanguageFiles, EveryLanguageMatchesEnglish)
{
    const LanguageFile english = ShippedFile(kEnglishLanguage);
    ASSERT_FALSE(english.texts.empty());
    EXPECT_FALSE(english.version.empty());
    for (const UiLanguage& language : {kGermanLanguage, kItalianLanguage, kHungarianLanguage}) {
        SCOPED_TRACE(std::string(language.fileName));
        const LanguageFile file = ShippedFile(language);
        for (const std::string& problem : file.problems)
            ADD_FAILURE() << problem;
        EXPECT_EQ(file.version, english.version);
        EXPECT_EQ(file.texts.size(), english.texts.size());
        for (const auto& [id, text] : english.texts) {
            const auto it = file.texts.find(id);
            if (it == file.texts.end()) {
                ADD_FAILURE() << "missing text " << id;
                continue;
            }
            EXPECT_FALSE(it->second.empty()) << id;
            EXPECT_EQ(UiPlaceholders(it->second), UiPlaceholders(text)) << id;
        }
    }
}

TEST(ShippedLanguageFiles, LineBreaksAndSeparatorsWhereTheTextsGo)
{
    for (const UiLanguage& language : {kEnglishLanguage, kGermanLanguage, kItalianLanguage, kHungarianLanguage}) {
        SCOPED_TRACE(std::string(language.fileName));
        for (const auto& [id, text] : ShippedFile(language).texts) {
            const bool endsWithBreak = !text.empty() && text.back() == '\n';
            EXPECT_EQ(endsWithBreak, kLogTexts.count(id) == 1) << id;
            const bool csvText = (id >= 3001 && id <= 3012) || (id >= 3050 && id <= 3058);
            if (csvText) {
                EXPECT_EQ(text.find_first_of(";\r\n\""), std::string::npos) << "CSV fields are not quoted: " << id;
            }
        }
    }
}

}  // namespace
}  // namespace quorfw
