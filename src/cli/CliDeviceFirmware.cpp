#include <string>
#include <vector>

#include "app/OperationStart.h"
#include "common/Clock.h"
#include "cli/CliJson.h"
#include "cli/CliOperation.h"
#include "cli/CliPackageFolder.h"
#include "cli/CliVerbs.h"
#include "dialogs/DeviceFirmwareCommand.h"
#include "dialogs/DeviceFirmwareList.h"
#include "dialogs/DeviceFirmwareWorker.h"
#include "packages/VersionNumber.h"

namespace quorfw {

namespace {

using Json = CliJson;

Json RowJson(std::size_t index, const DeviceFirmwareRow& row)
{
    return {{"index", index}, {"title", row.title}, {"name", row.name}, {"version", row.version}};
}

constexpr int kRestartScans = 3;
constexpr std::uint32_t kBeforeRestartScanMs = 2000;

// After a programming: scans until the scanner in slot 0 is back with another version
// than before, as a technician would look; its version then, or 0 (no version).
std::uint32_t VersionAfterRestart(CliOperation& operation, CliContext& context,
                                                 const std::string& serial, std::uint32_t before)
{
    MainModel& model = operation.model();
    for (int scan = 0; scan < kRestartScans; ++scan) {
        context.clock.SleepMs(kBeforeRestartScanMs);
        (void)operation.RunToEnd(StartScan(model, operation.host()));
        const ModuleInfo& slot = model.displayed.modules[kDeviceFirmwareSlot];
        if (slot.present != 0 && slot.serial == serial && slot.version != before) {
            return slot.version;
        }
    }
    return 0;
}

int ListRows(const CliArguments& arguments, CliContext& context)
{
    std::string error;
    const auto folder = ResolvePackageFolder(arguments, context, error);
    if (!folder) {
        context.err << "quorfwupdate device-firmware: " << error << '\n';
        return kExitUsage;
    }
    const std::vector<DeviceFirmwareRow> rows = DeviceFirmwareList(LoadCliPackages(*folder, context.err));
    if (arguments.json) {
        Json list = Json::array();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            list.push_back(RowJson(i, rows[i]));
        }
        context.out << JsonLine({{"ok", true}, {"folder", *folder}, {"rows", list}}) << '\n';
        return kExitOk;
    }
    context.out << "Finger scanner device firmware in " << *folder << ": " << rows.size() << '\n';
    for (std::size_t i = 0; i < rows.size(); ++i) {
        context.out << i << "  " << rows[i].title << "  |  " << rows[i].name << "  |  " << rows[i].version << '\n';
    }
    if (!rows.empty()) {
        context.out << "Program one with: quorfwupdate device-firmware --package N\n";
    }
    return kExitOk;
}

}  // namespace

// quorfwupdate device-firmware: the packages with finger scanner device firmware; with
// --package, that row programmed into the finger scanner in module slot 0.
int RunDeviceFirmwareVerb(const CliArguments& arguments, CliContext& context)
{
    if (!arguments.packageIndex) {
        return ListRows(arguments, context);
    }
    int exitCode = kExitOk;
    const CliHost::Options hostOptions = CliOperation::EventHostOptions(arguments, context);
    auto operation = CliOperation::Prepare(arguments, context, hostOptions, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    CliHost& host = operation->host();
    const std::vector<DeviceFirmwareRow> rows = DeviceFirmwareList(model.packages);
    const auto index = static_cast<std::size_t>(*arguments.packageIndex);
    if (index >= rows.size()) {
        context.err << "quorfwupdate device-firmware: --package " << index << ": the package folder holds "
                    << rows.size() << " package(s) with device firmware (rows from 0; list them without --package)\n";
        return kExitUsage;
    }
    const DeviceFirmwareRow& row = rows[index];

    if (!operation->RunToEnd(StartScan(model, host))) {
        context.err << "quorfwupdate device-firmware: the scan failed (see the update log for the details); nothing "
                       "was programmed\n";
        return kExitFailed;
    }
    const ModuleInfo& slot = model.displayed.modules[kDeviceFirmwareSlot];
    if (!CanProgramDeviceFirmware(model)) {
        context.err << "quorfwupdate device-firmware: module slot 0 "
                    << (slot.present != 0 ? "holds " + slot.serial : std::string("is empty"))
                    << "; device firmware is for the finger scanners of article " << kDeviceFirmwareArticle
                    << ". Nothing was programmed.\n";
        return kExitUsage;
    }
    if (!arguments.json) {
        context.err << "Programming " << row.title << " (" << row.version << ") into " << slot.serial << " ...\n";
    }
    const std::string serial = slot.serial;
    const std::uint32_t before = slot.version;
    const bool ok = operation->RunToEnd(StartDeviceFirmware(model, host, model.packages[row.packageIndex]));
    const CliHost::Outcome outcome = host.LastOutcome();
    const int code = outcome.reported ? outcome.code : kDeviceFirmwareNotConnected;
    const std::uint32_t after = code == 0 ? VersionAfterRestart(*operation, context, serial, before) : 0;
    if (arguments.json) {
        Json result = {{"event", "result"},
                       {"ok", ok},
                       {"converter", operation->converter()},
                       {"package", RowJson(index, row)},
                       {"code", code}};
        if (outcome.reported) {
            result["text"] = outcome.text;
        }
        if (after != 0) {
            result["versionAfterRestart"] = VersionText(after);
        }
        context.out << JsonLine(result) << '\n';
    } else {
        context.out << "Converter " << operation->converter() << '\n';
        context.out << "Module slot 0: " << serial << ", version " << VersionText(before) << '\n';
        context.out << "Package " << index << ": " << row.title << " (" << row.version << ")\n";
        if (outcome.reported) {
            context.out << outcome.text << '\n';
        }
        if (after != 0) {
            context.out << "After its restart module slot 0 reports version " << VersionText(after) << ".\n";
        } else if (code == 0) {
            context.out << "Module slot 0 has not reported a new version yet; scan again once it has restarted.\n";
        }
        context.out << "Device firmware: " << (ok ? "programmed" : "failed") << " (code " << code << ")\n";
    }
    return code == 0 ? kExitOk : kExitFailed;
}

}  // namespace quorfw
