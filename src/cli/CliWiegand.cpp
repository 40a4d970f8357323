#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "app/OperationStart.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "cli/CliJson.h"
#include "cli/CliOperation.h"
#include "cli/CliVerbs.h"
#include "dialogs/WiegandCommand.h"
#include "dialogs/WiegandForm.h"
#include "dialogs/WiegandSettings.h"
#include "packages/VersionNumber.h"

namespace quorfw {

namespace {

using Json = CliJson;

// Label texts end with a colon in the dialog; so do they here.
std::string Label(std::uint32_t id)
{
    return LoadUiString(id);
}

// How the command line names an edit: by the option that sets it.
std::string OptionOfField(const WiegandFieldRef& ref)
{
    const std::string scanner = "--scanner " + std::to_string(ref.scanner + 1);
    switch (ref.field) {
    case WiegandField::OemCodeLength:
        return "--oem-length";
    case WiegandField::OemCode:
        return "--oem-code";
    case WiegandField::FacilityCodeLength:
        return "--facility-length";
    case WiegandField::UserIdLength:
        return "--user-id-length";
    case WiegandField::FacilityCode:
        return "--facility-code";
    case WiegandField::ScannerSerial:
        return scanner + " (serial number)";
    case WiegandField::ScannerFacilityCode:
        return scanner + " (facility code)";
    }
    return {};
}

// The same edit as the settings' JSON names it.
std::string KeyOfField(const WiegandFieldRef& ref)
{
    switch (ref.field) {
    case WiegandField::OemCodeLength:
        return "oemCodeLength";
    case WiegandField::OemCode:
        return "oemCode";
    case WiegandField::FacilityCodeLength:
        return "facilityCodeLength";
    case WiegandField::UserIdLength:
        return "userIdLength";
    case WiegandField::FacilityCode:
        return "facilityCode";
    case WiegandField::ScannerSerial:
        return "scanners[" + std::to_string(ref.scanner) + "].serial";
    case WiegandField::ScannerFacilityCode:
        return "scanners[" + std::to_string(ref.scanner) + "].facilityCode";
    }
    return {};
}

std::string TextOfField(const WiegandEdits& edits, const WiegandFieldRef& ref)
{
    switch (ref.field) {
    case WiegandField::OemCodeLength:
        return edits.oemCodeLength;
    case WiegandField::OemCode:
        return edits.oemCode;
    case WiegandField::FacilityCodeLength:
        return edits.facilityCodeLength;
    case WiegandField::UserIdLength:
        return edits.userIdLength;
    case WiegandField::FacilityCode:
        return edits.facilityCode;
    case WiegandField::ScannerSerial:
        return edits.scannerSerial.at(ref.scanner);
    case WiegandField::ScannerFacilityCode:
        return edits.scannerFacilityCode.at(ref.scanner);
    }
    return {};
}

Json SettingsJson(const WiegandSettings& s)
{
    Json scanners = Json::array();
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        scanners.push_back({{"serial", s.scannerSerial[i]}, {"facilityCode", s.scannerFacilityCode[i]}});
    }
    return {{"oemCodeLength", s.oemCodeLength},
            {"oemCode", s.oemCode},
            {"facilityCodeLength", s.facilityCodeLength},
            {"userIdLength", s.userIdLength},
            {"facilityCode", s.facilityCode},
            {"totalBits", s.totalBits},
            {"scanners", scanners}};
}

void WriteSettingsText(std::ostream& out, const WiegandSettings& s)
{
    out << Label(kTextWiegandSerialLabel) << ' ' << s.serialNumber << '\n';
    out << Label(kTextWiegandVersionLabel) << ' ' << s.unitVersionText << '\n';
    out << Label(kTextWiegandOemCodeLengthLabel) << ' ' << int{s.oemCodeLength} << '\n';
    out << Label(kTextWiegandOemCodeLabel) << ' ' << int{s.oemCode} << '\n';
    out << Label(kTextWiegandFacilityCodeLengthLabel) << ' ' << int{s.facilityCodeLength} << '\n';
    out << Label(kTextWiegandUserIdLengthLabel) << ' ' << int{s.userIdLength} << '\n';
    out << "Total frame length: " << TotalFrameLengthText(s.totalBits) << '\n';
    out << Label(kTextWiegandProtocolGroup) << ": ";
    if (!s.PerScannerMode()) {
        out << "one facility code\n  FacilityCode: " << s.facilityCode << '\n';
        return;
    }
    out << Label(kTextWiegandPerScannerRadio) << '\n';
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        out << "  " << Label(kTextWiegandScanner1Label + static_cast<std::uint32_t>(i)) << ' ';
        if (s.scannerSerial[i].empty()) {
            out << "-\n";
        } else {
            out << s.scannerSerial[i] << "  " << Label(kTextWiegandFacilityCodeColumn) << ' '
                << s.scannerFacilityCode[i] << '\n';
        }
    }
}

// The setting options applied to the form as a user would type them into the dialog:
// lengths first, then the OEM code, then the mode with its codes. A usage error is
// returned as its message.
std::optional<std::string> ApplyOptions(const std::vector<CliSetting>& settings, WiegandForm& form)
{
    const CliSetting* oemCode = nullptr;
    const CliSetting* facilityCode = nullptr;
    std::vector<const CliSetting*> scanners;
    for (const CliSetting& setting : settings) {
        if (setting.name == "oem-length") {
            form.edits.oemCodeLength = setting.value;
            form.OemCodeLengthEdited();
        } else if (setting.name == "facility-length") {
            form.edits.facilityCodeLength = setting.value;
            form.FacilityCodeLengthEdited();
        } else if (setting.name == "user-id-length") {
            form.edits.userIdLength = setting.value;
            form.UserIdLengthEdited();
        } else if (setting.name == "oem-code") {
            oemCode = &setting;
        } else if (setting.name == "facility-code") {
            facilityCode = &setting;
        } else if (setting.name == "scanner") {
            scanners.push_back(&setting);
        }
    }
    if (oemCode != nullptr) {
        if (!form.OemCodeEnabled()) {
            return "--oem-code: the OEM code length is 0, so there is no OEM code to set";
        }
        form.edits.oemCode = oemCode->value;
    }
    if (facilityCode != nullptr && !scanners.empty()) {
        return "--facility-code (one code for all) and --scanner (a code per finger scanner) exclude each other";
    }
    if (facilityCode != nullptr) {
        form.SelectMode(false);
        form.edits.facilityCode = facilityCode->value;
    }
    if (scanners.empty()) {
        return std::nullopt;
    }
    form.SelectMode(true);
    form.edits.scannerSerial.fill({});
    form.edits.scannerFacilityCode.fill({});
    std::array<bool, kWiegandScanners> named{};
    for (const CliSetting* scanner : scanners) {
        const std::string& value = scanner->value;
        const std::size_t equals = value.find('=');
        const std::string number = value.substr(0, equals);
        if (equals == std::string::npos || number.size() != 1 || number[0] < '1' || number[0] > '4') {
            return "--scanner needs K=SERIAL:CODE with K from 1 to 4: " + value;
        }
        const auto k = static_cast<std::size_t>(number[0] - '1');
        if (named[k]) {
            return "--scanner " + number + " is given twice";
        }
        named[k] = true;
        const std::string rest = value.substr(equals + 1);
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string::npos) {
            return "--scanner needs K=SERIAL:CODE (the facility code after a colon): " + value;
        }
        form.edits.scannerSerial[k] = rest.substr(0, colon);
        form.edits.scannerFacilityCode[k] = rest.substr(colon + 1);
    }
    return std::nullopt;
}

Json UnitJson(const MainModel& model)
{
    return {{"serial", model.displayed.unit.serial},
            {"version", VersionText(model.displayed.unit.version)},
            {"type", model.displayed.unit.type}};
}

}  // namespace

// quorfwupdate wiegand: the unit's Wiegand settings as the last scan read them; with
// setting options, those settings changed, checked as the dialog checks them, and written.
int RunWiegandVerb(const CliArguments& arguments, CliContext& context)
{
    int exitCode = kExitOk;
    CliHost::Options hostOptions;
    hostOptions.json = arguments.json;
    hostOptions.terminal = context.terminal;
    auto operation = CliOperation::Prepare(arguments, context, hostOptions, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    CliHost& host = operation->host();
    // As in the window, the settings come from the unit the scan read, also when the scan
    // counts as failed because no package fits the installation.
    (void)operation->RunToEnd(StartScan(model, host));
    if (model.displayed.unit.present == 0) {
        context.err << "quorfwupdate wiegand: no control unit was found (see the update log for the details); nothing "
                       "was sent\n";
        if (arguments.json) {
            context.out << JsonLine({{"ok", false}, {"converter", operation->converter()}, {"written", false}}) << '\n';
        }
        return kExitFailed;
    }
    if (model.displayed.unit.type != kWiegandUnitType) {
        context.err << "quorfwupdate wiegand: the control unit " << model.displayed.unit.serial << " is of type "
                    << model.displayed.unit.type << "; only control units of type " << kWiegandUnitType
                    << " have Wiegand settings. Nothing was sent.\n";
        return kExitUsage;
    }

    const WiegandSettings scanned = WiegandSettingsFromUnit(model.displayed);
    if (arguments.settings.empty()) {
        if (arguments.json) {
            context.out << JsonLine({{"ok", true},
                                 {"converter", operation->converter()},
                                 {"unit", UnitJson(model)},
                                 {"written", false},
                                 {"settings", SettingsJson(scanned)}})
                        << '\n';
        } else {
            context.out << "Converter " << operation->converter() << '\n';
            WriteSettingsText(context.out, scanned);
        }
        return kExitOk;
    }

    WiegandForm form(scanned);
    if (const auto usage = ApplyOptions(arguments.settings, form)) {
        context.err << "quorfwupdate wiegand: " << *usage << '\n';
        return kExitUsage;
    }
    if (const auto failed = form.Accept()) {
        const std::string message = LoadUiString(kTextWiegandInvalid);
        const std::string text = TextOfField(form.edits, *failed);
        context.err << message << '\n' << "quorfwupdate wiegand: ";
        if (failed->field == WiegandField::FacilityCode && form.PerScannerMode()) {
            // The one facility code is 0 then: only its length can be what is refused.
            context.err << "--facility-length: \"" << form.edits.facilityCodeLength
                        << "\" leaves no room for a facility code.";
        } else {
            context.err << OptionOfField(*failed) << ": \"" << text << "\" is not accepted.";
        }
        context.err << " Nothing was sent.\n";
        if (arguments.json) {
            context.out << JsonLine({{"ok", false},
                                 {"converter", operation->converter()},
                                 {"written", false},
                                 {"invalid", {{"id", kTextWiegandInvalid},
                                              {"text", message},
                                              {"field", KeyOfField(*failed)},
                                              {"option", OptionOfField(*failed)},
                                              {"value", text}}}})
                        << '\n';
        }
        return kExitUsage;
    }

    if (!CanEditWiegand(model)) {
        context.err << "quorfwupdate wiegand: the Wiegand command is not available now\n";
        return kExitFailed;
    }
    const bool written = operation->RunToEnd(StartWiegand(model, host, form.Settings()));
    const CliHost::Outcome outcome = host.LastOutcome();
    // What the displayed unit now holds is what was sent (a serial that does not start
    // with '9' was dropped).
    const WiegandSettings sent = WiegandSettingsFromUnit(model.displayed);
    if (arguments.json) {
        Json result = {{"ok", written},
                       {"converter", operation->converter()},
                       {"unit", UnitJson(model)},
                       {"written", written},
                       {"settings", SettingsJson(sent)}};
        if (outcome.reported) {
            result["outcome"] = {{"id", outcome.stringId}, {"text", outcome.text}, {"code", outcome.code}};
        }
        context.out << JsonLine(result) << '\n';
    } else {
        context.out << "Converter " << operation->converter() << '\n';
        WriteSettingsText(context.out, sent);
        if (outcome.reported) {
            context.out << outcome.text << '\n';
        }
        context.out << (written ? "Wiegand settings: written\n" : "Wiegand settings: not written\n");
    }
    return written ? kExitOk : kExitFailed;
}

}  // namespace quorfw
