#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "dialogs/WiegandSettings.h"

namespace quorfw {

// The edits of the Wiegand settings dialog that hold a value.
enum class WiegandField {
    OemCodeLength,
    OemCode,
    FacilityCodeLength,
    UserIdLength,
    FacilityCode,
    ScannerSerial,
    ScannerFacilityCode,
};

// One edit: a field, and for the scanner fields the scanner 0-3.
struct WiegandFieldRef {
    WiegandField field = WiegandField::OemCodeLength;
    std::size_t scanner = 0;

    friend bool operator==(const WiegandFieldRef&, const WiegandFieldRef&) = default;
};

// The texts of the dialog's edits.
struct WiegandEdits {
    std::string oemCodeLength;
    std::string oemCode;
    std::string facilityCodeLength;
    std::string userIdLength;
    std::string facilityCode;
    std::array<std::string, kWiegandScanners> scannerSerial{};
    std::array<std::string, kWiegandScanners> scannerFacilityCode{};
};

// What the Wiegand settings dialog decides, without the dialog: the edits filled from the
// settings, the mode, the live rules while the user types, and the check of OK. A dialog
// copies `edits` to and from its widgets and asks the form what to enable and show.
//
// Numbers are read from an edit as decimal integers and kept in the field's width (a
// length of 260 becomes 4); an empty edit reads 0. A text that is not a decimal number
// (blanks around it aside) reads 0 while the user types and fails the check of OK.
class WiegandForm {
public:
    // The dialog's initialisation: lengths and OEM code shown, the mode of the settings
    // applied.
    explicit WiegandForm(const WiegandSettings& settings);

    WiegandEdits edits;

    [[nodiscard]] bool PerScannerMode() const { return perScanner_; }
    // A radio button: single-code mode shows the one facility code and empties the scanner
    // edits; per-scanner mode empties the one facility code and shows the scanners.
    void SelectMode(bool perScanner);
    // The OEM code edit is enabled while the OEM code length is not 0.
    [[nodiscard]] bool OemCodeEnabled() const { return settings_.oemCodeLength != 0; }
    // The one facility code edit in single-code mode, the scanner edits in per-scanner mode.
    [[nodiscard]] bool FacilityCodeEnabled() const { return !perScanner_; }
    [[nodiscard]] bool ScannerEditsEnabled() const { return perScanner_; }

    // Live rules, after the edit's text has changed. A length of 0 forces the OEM code to 0.
    void OemCodeLengthEdited();
    void FacilityCodeLengthEdited();
    void UserIdLengthEdited();
    [[nodiscard]] std::string TotalFrameLengthText() const { return quorfw::TotalFrameLengthText(settings_.totalBits); }

    // OK: reads every edit and checks them in the dialog's order (the three lengths at
    // most 33; the OEM code and, in single-code mode, the facility code at most 2^length
    // - 1 in signed 32-bit arithmetic; each scanner's serial empty or 14 characters and
    // its facility code at most 256). The first failing edit, or nothing when all passed:
    // Settings() then holds the values read. On a failure the settings are unchanged.
    [[nodiscard]] std::optional<WiegandFieldRef> Accept();

    [[nodiscard]] const WiegandSettings& Settings() const { return settings_; }

private:
    WiegandSettings settings_;
    bool perScanner_ = false;
};

}  // namespace quorfw
