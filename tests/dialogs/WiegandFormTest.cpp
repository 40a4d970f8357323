#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <optional>
#include <string>

#include "dialogs/WiegandForm.h"

namespace quorfw {

// Failures name the edit readably.
void PrintTo(const WiegandFieldRef& ref, std::ostream* os)
{
    *os << "field " << static_cast<int>(ref.field) << " scanner " << ref.scanner;
}

namespace {

using Field = WiegandField;

// Starts from a unit in single-code mode with 0/8/16 bits.
WiegandSettings SingleCode()
{
    WiegandSettings s;
    s.facilityCodeLength = 8;
    s.userIdLength = 16;
    s.facilityCode = 12;
    s.RecomputeTotalBits();
    return s;
}

WiegandSettings PerScanner()
{
    WiegandSettings s = SingleCode();
    s.scannerSerial[0] = "93245500001111";
    s.scannerFacilityCode[0] = 17;
    return s;
}

struct Case {
    const char* what;
    WiegandSettings start;
    std::function<void(WiegandEdits&)> edit;
    // The edit that fails, or nothing when OK passes.
    std::optional<WiegandFieldRef> failed;
    // For a passing case: what the settings read.
    std::function<void(const WiegandSettings&)> then = {};
};

TEST(WiegandForm, OkChecksTheEditsInOrderAndNamesTheFirstFailure)
{
    const Case cases[] = {
        {"8/16/0 passes as 26 bit", SingleCode(), [](WiegandEdits&) {}, std::nullopt,
         [](const WiegandSettings& s) { EXPECT_EQ(TotalFrameLengthText(s.totalBits), "26 bit"); }},
        {"all lengths 0 give no frame length", SingleCode(),
         [](WiegandEdits& e) { e.facilityCodeLength = e.userIdLength = "0"; e.facilityCode = "0"; }, std::nullopt,
         [](const WiegandSettings& s) { EXPECT_EQ(TotalFrameLengthText(s.totalBits), ""); }},
        {"OEM code length 34", SingleCode(), [](WiegandEdits& e) { e.oemCodeLength = "34"; },
         WiegandFieldRef{Field::OemCodeLength}},
        {"facility code length 34", SingleCode(), [](WiegandEdits& e) { e.facilityCodeLength = "34"; },
         WiegandFieldRef{Field::FacilityCodeLength}},
        {"user ID length 34", SingleCode(), [](WiegandEdits& e) { e.userIdLength = "34"; },
         WiegandFieldRef{Field::UserIdLength}},
        {"the first of two bad lengths is named", SingleCode(),
         [](WiegandEdits& e) { e.userIdLength = "40"; e.facilityCodeLength = "99"; },
         WiegandFieldRef{Field::FacilityCodeLength}},
        {"user ID length 33 passes", SingleCode(), [](WiegandEdits& e) { e.userIdLength = "33"; }, std::nullopt},
        {"OEM code length 32 passes the length check, fails every code", SingleCode(),
         [](WiegandEdits& e) { e.oemCodeLength = "32"; e.oemCode = "0"; }, WiegandFieldRef{Field::OemCode}},
        {"OEM code length 33 likewise", SingleCode(),
         [](WiegandEdits& e) { e.oemCodeLength = "33"; e.oemCode = "0"; }, WiegandFieldRef{Field::OemCode}},
        {"facility code length 32 fails every code", SingleCode(),
         [](WiegandEdits& e) { e.facilityCodeLength = "32"; e.facilityCode = "0"; },
         WiegandFieldRef{Field::FacilityCode}},
        {"facility code length 33 likewise", SingleCode(), [](WiegandEdits& e) { e.facilityCodeLength = "33"; },
         WiegandFieldRef{Field::FacilityCode}},
        {"facility code length 31 allows every code", SingleCode(),
         [](WiegandEdits& e) { e.facilityCodeLength = "31"; e.facilityCode = "65535"; }, std::nullopt},
        {"a length of 260 is 4 in 8 bits and passes", SingleCode(),
         [](WiegandEdits& e) { e.oemCodeLength = "260"; e.oemCode = "15"; }, std::nullopt,
         [](const WiegandSettings& s) {
             EXPECT_EQ(s.oemCodeLength, 4);
             EXPECT_EQ(s.oemCode, 15);
             EXPECT_EQ(s.totalBits, 28u);
         }},
        {"OEM code 16 does not fit 4 bits", SingleCode(),
         [](WiegandEdits& e) { e.oemCodeLength = "4"; e.oemCode = "16"; }, WiegandFieldRef{Field::OemCode}},
        {"OEM code 255 fits 8 bits", SingleCode(), [](WiegandEdits& e) { e.oemCodeLength = "8"; e.oemCode = "255"; },
         std::nullopt, [](const WiegandSettings& s) { EXPECT_EQ(s.oemCode, 255); }},
        {"OEM code 256 is 0 in 8 bits", SingleCode(),
         [](WiegandEdits& e) { e.oemCodeLength = "8"; e.oemCode = "256"; }, std::nullopt,
         [](const WiegandSettings& s) { EXPECT_EQ(s.oemCode, 0); }},
        {"facility code 65535 with 16 bits", SingleCode(),
         [](WiegandEdits& e) { e.facilityCodeLength = "16"; e.facilityCode = "65535"; }, std::nullopt,
         [](const WiegandSettings& s) { EXPECT_EQ(s.facilityCode, 65535); }},
        {"facility code 256 with 8 bits in single-code mode", SingleCode(),
         [](WiegandEdits& e) { e.facilityCode = "256"; }, WiegandFieldRef{Field::FacilityCode}},
        {"a scanner's facility code of 256 with 8 bits", PerScanner(),
         [](WiegandEdits& e) { e.scannerFacilityCode[0] = "256"; }, std::nullopt,
         [](const WiegandSettings& s) {
             EXPECT_EQ(s.scannerFacilityCode[0], 256);
             EXPECT_EQ(s.facilityCode, 0);  // per-scanner mode: the one code is 0
         }},
        {"a scanner's facility code of 257", PerScanner(), [](WiegandEdits& e) { e.scannerFacilityCode[0] = "257"; },
         WiegandFieldRef{Field::ScannerFacilityCode, 0}},
        {"per-scanner mode still checks the one facility code, 0, against its length", PerScanner(),
         [](WiegandEdits& e) { e.facilityCodeLength = "32"; }, WiegandFieldRef{Field::FacilityCode}},
        {"a 13-character serial", PerScanner(), [](WiegandEdits& e) { e.scannerSerial[2] = "9324550000333"; },
         WiegandFieldRef{Field::ScannerSerial, 2}},
        {"a 15-character serial", PerScanner(), [](WiegandEdits& e) { e.scannerSerial[1] = "932455000022220"; },
         WiegandFieldRef{Field::ScannerSerial, 1}},
        {"scanners are checked in their order, serial before code", PerScanner(),
         [](WiegandEdits& e) {
             e.scannerFacilityCode[1] = "300";
             e.scannerSerial[2] = "1";
         },
         WiegandFieldRef{Field::ScannerFacilityCode, 1}},
        {"a text that is not a decimal number fails on its edit", SingleCode(),
         [](WiegandEdits& e) { e.userIdLength = "1x"; }, WiegandFieldRef{Field::UserIdLength}},
        {"a negative number is not a decimal number", PerScanner(),
         [](WiegandEdits& e) { e.scannerFacilityCode[3] = "-1"; }, WiegandFieldRef{Field::ScannerFacilityCode, 3}},
        {"a number beyond 32 bits is no number", SingleCode(),
         [](WiegandEdits& e) { e.facilityCode = "4294967296"; }, WiegandFieldRef{Field::FacilityCode}},
        {"empty edits read 0, blanks around a number are allowed", SingleCode(),
         [](WiegandEdits& e) { e.facilityCodeLength = " 8 "; e.facilityCode = ""; }, std::nullopt,
         [](const WiegandSettings& s) {
             EXPECT_EQ(s.facilityCodeLength, 8);
             EXPECT_EQ(s.facilityCode, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WiegandForm form(c.start);
        c.edit(form.edits);
        const WiegandSettings before = form.Settings();
        const auto failed = form.Accept();
        EXPECT_EQ(failed, c.failed);
        if (failed) {
            EXPECT_EQ(form.Settings(), before);  // a refused OK changes nothing
        } else if (c.then) {
            c.then(form.Settings());
        }
    }
}

TEST(WiegandForm, OemCodeLengthZeroForcesTheCodeToZeroAndTheTotalFollows)
{
    WiegandSettings start = SingleCode();
    start.oemCodeLength = 8;
    start.oemCode = 77;
    start.RecomputeTotalBits();
    WiegandForm form(start);
    EXPECT_EQ(form.edits.oemCode, "77");
    EXPECT_TRUE(form.OemCodeEnabled());
    EXPECT_EQ(form.TotalFrameLengthText(), "34 bit");

    form.edits.oemCodeLength = "0";
    form.OemCodeLengthEdited();
    EXPECT_FALSE(form.OemCodeEnabled());
    EXPECT_EQ(form.edits.oemCode, "0");
    EXPECT_EQ(form.Settings().oemCode, 0);
    EXPECT_EQ(form.TotalFrameLengthText(), "26 bit");

    form.edits.userIdLength = "abc";  // no number yet: counts 0 while typing
    form.UserIdLengthEdited();
    EXPECT_EQ(form.TotalFrameLengthText(), "10 bit");
}

TEST(WiegandForm, TheModeDecidesWhichEditsShowValues)
{
    WiegandSettings start = PerScanner();
    start.facilityCode = 99;  // kept in the unit, not shown in per-scanner mode
    start.scannerFacilityCode[3] = 5;  // an unset entry keeps its code
    WiegandForm form(start);
    ASSERT_TRUE(form.PerScannerMode());
    EXPECT_EQ(form.edits.facilityCode, "");
    EXPECT_EQ(form.edits.scannerSerial[0], "93245500001111");
    EXPECT_EQ(form.edits.scannerFacilityCode[0], "17");
    EXPECT_EQ(form.edits.scannerFacilityCode[3], "5");

    form.SelectMode(false);
    EXPECT_EQ(form.edits.facilityCode, "99");
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        EXPECT_EQ(form.edits.scannerSerial[i], "");
        EXPECT_EQ(form.edits.scannerFacilityCode[i], "");
    }
    ASSERT_EQ(form.Accept(), std::nullopt);
    EXPECT_FALSE(form.Settings().PerScannerMode());
    EXPECT_EQ(form.Settings().facilityCode, 99);
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        EXPECT_EQ(form.Settings().scannerSerial[i], "");
        EXPECT_EQ(form.Settings().scannerFacilityCode[i], 0);
    }
}

}  // namespace
}  // namespace quorfw
