#include "dialogs/WiegandForm.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace quorfw {

namespace {

constexpr std::uint32_t kMaxLength = 33;
constexpr std::uint32_t kMaxScannerFacilityCode = 256;

std::string Number(std::uint32_t value)
{
    return std::to_string(value);
}

// A decimal integer with optional blanks around it; an empty text is 0. Nothing for any
// other text, and for numbers beyond 32 bits.
std::optional<std::uint32_t> ReadDecimal(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return 0;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

// What the user sees while typing: a text that is no number counts as 0 until OK.
std::uint32_t ReadLive(std::string_view text)
{
    return ReadDecimal(text).value_or(0);
}

// 2^length - 1 as the unit's tool has always computed it, in signed 32 bits: a length of
// 31 allows every code, 32 and 33 none.
std::int32_t CodeLimit(std::uint8_t length)
{
    const std::uint32_t power = length >= 32 ? 0u : (std::uint32_t{1} << length);
    return static_cast<std::int32_t>(power - 1u);
}

bool CodeWithin(std::uint32_t code, std::uint8_t length)
{
    return static_cast<std::int64_t>(code) <= CodeLimit(length);
}

}  // namespace

WiegandForm::WiegandForm(const WiegandSettings& settings) : settings_(settings)
{
    edits.oemCodeLength = Number(settings_.oemCodeLength);
    edits.oemCode = Number(settings_.oemCode);
    edits.facilityCodeLength = Number(settings_.facilityCodeLength);
    edits.userIdLength = Number(settings_.userIdLength);
    SelectMode(settings_.PerScannerMode());
}

void WiegandForm::SelectMode(bool perScanner)
{
    perScanner_ = perScanner;
    if (!perScanner) {
        edits.facilityCode = Number(settings_.facilityCode);
        edits.scannerSerial.fill({});
        edits.scannerFacilityCode.fill({});
        return;
    }
    edits.facilityCode.clear();
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        edits.scannerSerial[i] = settings_.scannerSerial[i];
        edits.scannerFacilityCode[i] = Number(settings_.scannerFacilityCode[i]);
    }
}

void WiegandForm::OemCodeLengthEdited()
{
    settings_.oemCodeLength = static_cast<std::uint8_t>(ReadLive(edits.oemCodeLength));
    if (settings_.oemCodeLength == 0) {
        edits.oemCode = Number(0);
        settings_.oemCode = 0;
    } else {
        settings_.oemCode = static_cast<std::uint8_t>(ReadLive(edits.oemCode));
    }
    settings_.RecomputeTotalBits();
}

void WiegandForm::FacilityCodeLengthEdited()
{
    settings_.facilityCodeLength = static_cast<std::uint8_t>(ReadLive(edits.facilityCodeLength));
    settings_.RecomputeTotalBits();
}

void WiegandForm::UserIdLengthEdited()
{
    settings_.userIdLength = static_cast<std::uint8_t>(ReadLive(edits.userIdLength));
    settings_.RecomputeTotalBits();
}

std::optional<WiegandFieldRef> WiegandForm::Accept()
{
    WiegandSettings read = settings_;
    std::optional<WiegandFieldRef> failed;
    // Reads one edit into `out` (kept in its width); false, with the edit noted, when it
    // holds no number.
    auto number = [&failed](const std::string& text, WiegandFieldRef field, std::uint32_t& out) {
        const auto value = ReadDecimal(text);
        if (!value) {
            failed = field;
            return false;
        }
        out = *value;
        return true;
    };
    auto check = [&failed](bool ok, WiegandFieldRef field) {
        if (!ok) {
            failed = field;
        }
        return ok;
    };

    std::uint32_t oemLength = 0;
    std::uint32_t facilityLength = 0;
    std::uint32_t userIdLength = 0;
    std::uint32_t oemCode = 0;
    std::uint32_t facilityCode = 0;
    const bool lengthsOk =
        number(edits.oemCodeLength, {WiegandField::OemCodeLength}, oemLength) &&
        check(static_cast<std::uint8_t>(oemLength) <= kMaxLength, {WiegandField::OemCodeLength}) &&
        number(edits.facilityCodeLength, {WiegandField::FacilityCodeLength}, facilityLength) &&
        check(static_cast<std::uint8_t>(facilityLength) <= kMaxLength, {WiegandField::FacilityCodeLength}) &&
        number(edits.userIdLength, {WiegandField::UserIdLength}, userIdLength) &&
        check(static_cast<std::uint8_t>(userIdLength) <= kMaxLength, {WiegandField::UserIdLength});
    if (!lengthsOk) {
        return failed;
    }
    read.oemCodeLength = static_cast<std::uint8_t>(oemLength);
    read.facilityCodeLength = static_cast<std::uint8_t>(facilityLength);
    read.userIdLength = static_cast<std::uint8_t>(userIdLength);

    if (!number(edits.oemCode, {WiegandField::OemCode}, oemCode) ||
        !check(CodeWithin(static_cast<std::uint8_t>(oemCode), read.oemCodeLength), {WiegandField::OemCode})) {
        return failed;
    }
    read.oemCode = static_cast<std::uint8_t>(oemCode);

    // In per-scanner mode the one facility code is 0, and is checked as such.
    if (!perScanner_ && !number(edits.facilityCode, {WiegandField::FacilityCode}, facilityCode)) {
        return failed;
    }
    read.facilityCode = static_cast<std::uint16_t>(facilityCode);
    if (!check(CodeWithin(read.facilityCode, read.facilityCodeLength), {WiegandField::FacilityCode})) {
        return failed;
    }

    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        if (!perScanner_) {
            read.scannerSerial[i].clear();
            read.scannerFacilityCode[i] = 0;
            continue;
        }
        const std::size_t chars = ScannerSerialEntryText(edits.scannerSerial[i]).size();
        std::uint32_t code = 0;
        if (!check(chars == 0 || chars == kWiegandScannerSerialChars, {WiegandField::ScannerSerial, i}) ||
            !number(edits.scannerFacilityCode[i], {WiegandField::ScannerFacilityCode, i}, code) ||
            !check(static_cast<std::uint16_t>(code) <= kMaxScannerFacilityCode, {WiegandField::ScannerFacilityCode, i})) {
            return failed;
        }
        read.scannerSerial[i] = edits.scannerSerial[i];
        read.scannerFacilityCode[i] = static_cast<std::uint16_t>(code);
    }
    read.RecomputeTotalBits();
    settings_ = read;
    return std::nullopt;
}

}  // namespace quorfw
