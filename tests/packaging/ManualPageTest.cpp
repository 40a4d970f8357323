#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliVerbs.h"

namespace quorfw {
namespace {

// The manual page as written, with roff's escaped hyphens and font changes taken out.
std::vector<std::string> ManualPageLines()
{
    std::ifstream in(QUORFW_MANUAL_PAGE);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        line = std::regex_replace(line, std::regex(R"(\\f[BIRP])"), "");
        line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
        lines.push_back(line);
    }
    return lines;
}

// The first word of every item tag (the line after ".TP") in the section named title.
std::set<std::string> ItemTags(const std::vector<std::string>& lines, const std::string& title)
{
    std::set<std::string> tags;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(".SH", 0) == 0) {
            inSection = lines[i] == ".SH " + title;
            continue;
        }
        if (!inSection || lines[i] != ".TP" || i + 1 >= lines.size())
            continue;
        std::string tag = std::regex_replace(lines[i + 1], std::regex(R"(^\.[A-Z]+\s*)"), "");
        tag.erase(std::remove(tag.begin(), tag.end(), '"'), tag.end());
        std::smatch word;
        if (std::regex_search(tag, word, std::regex(R"(^[-a-z0-9]+)")))
            tags.insert(word.str());
    }
    return tags;
}

struct UsageWords {
    std::set<std::string> verbs;
    std::set<std::string> options;
};

UsageWords WordsOfUsage(const std::string& usage)
{
    UsageWords words;
    std::istringstream in(usage);
    const std::regex synopsis(R"(^\s+quorfwupdate\s+([-a-z0-9]+))");
    const std::regex option(R"(--[a-z0-9][-a-z0-9]*)");
    for (std::string line; std::getline(in, line);) {
        std::smatch first;
        if (!std::regex_search(line, first, synopsis))
            continue;
        if (first[1].str().rfind("--", 0) != 0)
            words.verbs.insert(first[1].str());
        for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it)
            words.options.insert(it->str());
    }
    return words;
}

TEST(ManualPage, DescribesEveryCommandAndOptionOfTheUsage)
{
    const std::vector<std::string> page = ManualPageLines();
    ASSERT_FALSE(page.empty()) << QUORFW_MANUAL_PAGE;
    const std::set<std::string> commands = ItemTags(page, "COMMANDS");
    const std::set<std::string> options = ItemTags(page, "OPTIONS");

    const UsageWords usage = WordsOfUsage(CliUsage());
    ASSERT_EQ(usage.verbs.size(), CliVerbs().size()) << CliUsage();
    ASSERT_TRUE(usage.options.count("--json")) << CliUsage();
    for (const std::string& verb : usage.verbs)
        EXPECT_TRUE(commands.count(verb)) << "the manual page has no item for the command " << verb;
    for (const std::string& name : usage.options)
        EXPECT_TRUE(options.count(name)) << "the manual page has no item for the option " << name;
}

TEST(ManualPage, HasTheSectionsATechnicianLooksFor)
{
    const std::vector<std::string> page = ManualPageLines();
    for (const char* section : {".SH SYNOPSIS", ".SH COMMANDS", ".SH OPTIONS", ".SH \"EXIT STATUS\"", ".SH FILES"})
        EXPECT_NE(std::find(page.begin(), page.end(), section), page.end()) << section;
    EXPECT_EQ(ItemTags(page, "\"EXIT STATUS\""), (std::set<std::string>{"0", "1", "2"}));
    for (const char* file : {"UpdateLog.txt", "UpdateLog-Report.txt", "quorFWupdate.ini", "Backup.log"}) {
        const bool listed = std::any_of(page.begin(), page.end(), [&](const std::string& line) {
            return line.find(std::string(".I ") + file) == 0;
        });
        EXPECT_TRUE(listed) << file;
    }
}

}  // namespace
}  // namespace quorfw
