#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "bus/CUSBD2xx.h"

namespace quorfw {
namespace {

TEST(CUSBD2xxListedSerial, ListsOnlyConverterSerials)
{
    struct Case {
        const char* serial;
        std::optional<std::string> listed;
    };
    const Case cases[] = {
        {"CT000123", "CT000123"},
        {"CT0123456789ABCDEFGH", "CT0123456789ABCD"},  // cut to 16 characters
        {"CT0123456789ABCD", "CT0123456789ABCD"},
        {"CT", "CT"},
        {"0815A", "0815A"},                            // a digit: listed in full
        {"9X0123456789ABCDEFGH", "9X0123456789ABCDEFGH"},  // and never cut
        {"*A", "*A"},                                  // '*' and '?' bound the range
        {"?A", "?A"},
        {")A", std::nullopt},                          // just below '*'
        {"@A", std::nullopt},                          // just above '?'
        {"FT4ZQ1", std::nullopt},                      // another letter
        {"C1", std::nullopt},
        {"ct0001", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CUSBD2xx::ListedSerial(c.serial), c.listed) << "serial \"" << c.serial << "\"";
    }
}

}  // namespace
}  // namespace quorfw
