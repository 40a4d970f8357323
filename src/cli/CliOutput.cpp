#include "cli/CliOutput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <string>
#include <vector>

#include "app/GridRows.h"
#include "app/MainModel.h"

namespace quorfw {

namespace {

struct RowView {
    int row = kUnitRow;
    std::string address;  // empty when not known
    std::optional<std::uint32_t> type;
    std::string version;
    std::string serial;
    std::string name;
    std::string available;
    std::string state;
    bool offered = false;
    RestartCheck restart = RestartCheck::None;
};

std::string HexAddress(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", address);
    return text;
}

const char* RestartWord(RestartCheck check)
{
    switch (check) {
    case RestartCheck::Verified: return "verified";
    case RestartCheck::NotBack: return "not-confirmed";
    case RestartCheck::OtherVersion: return "other-version";
    case RestartCheck::None: break;
    }
    return "";
}

// The row's identity cells were filled in this run and show a station.
bool ShownThisRun(const RowCells& cells)
{
    return cells.identityVisible && (!cells.identity.serial.empty() || !cells.identity.version.empty());
}

// What the window shows: the rows the scan filled in, also when the run ended before the
// installation was taken over (no package fits), and the rows of the displayed installation.
bool Listed(const MainModel& model, int row)
{
    const bool displayed = row == kUnitRow || row < model.displayed.moduleCount;
    return ShownThisRun(model.Cells(row)) || (displayed && model.displayed.Row(row).present != 0);
}

RowView ViewOf(const MainModel& model, int row)
{
    const ModuleInfo& info = model.displayed.Row(row);
    const RowCells& cells = model.Cells(row);
    RowView view;
    view.row = row;
    // Every run takes the unit over into the displayed installation, with its type refined
    // by its information block. Module rows are taken over only once a package fits; until
    // then the station the cells were filled from is the one the bus holds now, and the
    // displayed row may still be that of an earlier scan.
    if (row != kUnitRow && ShownThisRun(cells) && cells.address != 0) {
        view.address = HexAddress(cells.address);
        view.type = cells.type;
    } else if (info.present != 0) {
        view.address = HexAddress(info.address);
        view.type = info.type;
    }
    // What the grid shows: after an update, what the station reported once it was back.
    view.version = cells.identity.version;
    view.serial = cells.identity.serial.empty() ? info.serial : cells.identity.serial;
    view.name = cells.identity.hasName ? cells.identity.name : std::string();
    view.available = cells.available;
    view.state = cells.state;
    view.offered = info.present != 0 && model.displayed.UpdateOffered(row);
    view.restart = cells.restartCheck;
    return view;
}

std::vector<RowView> ModuleRows(const MainModel& model)
{
    std::vector<RowView> rows;
    for (int row = 0; row < kScannedModuleRows; ++row) {
        if (Listed(model, row)) {
            rows.push_back(ViewOf(model, row));
        }
    }
    return rows;
}

CliJson RowJson(const RowView& view)
{
    CliJson json = CliJson::object();
    if (view.row != kUnitRow) {
        json["slot"] = view.row;
    }
    json["address"] = view.address.empty() ? CliJson() : CliJson(view.address);
    json["type"] = view.type ? CliJson(*view.type) : CliJson();
    json["version"] = view.version;
    json["serial"] = view.serial;
    json["name"] = view.name;
    json["available"] = view.available;
    json["state"] = view.state;
    json["offered"] = view.offered;
    json["restart"] = view.restart != RestartCheck::None ? CliJson(RestartWord(view.restart)) : CliJson();
    return json;
}

void WriteRowText(std::ostream& out, const RowView& view)
{
    out << std::left << std::setw(6) << (view.row == kUnitRow ? std::string("unit") : std::to_string(view.row))
        << std::setw(12) << (view.address.empty() ? "-" : view.address) << std::setw(6)
        << (view.type ? std::to_string(*view.type) : std::string("-")) << std::setw(16) << view.serial
        << std::setw(12) << (view.version.empty() ? "-" : view.version) << std::setw(12)
        << (view.available.empty() ? "-" : view.available) << std::setw(8) << (view.offered ? "yes" : "no")
        << std::setw(20) << (view.state.empty() ? "-" : view.state);
    if (view.restart != RestartCheck::None) {
        out << std::setw(15) << RestartWord(view.restart);
    }
    if (!view.name.empty()) {
        out << view.name;
    }
    out << std::right << '\n';
}

std::string PackageFile(const MainModel& model, int itemData)
{
    const UpdateFile* package = model.PackageOfItem(itemData);
    return package != nullptr ? std::filesystem::path(package->GetPath()).filename().string() : std::string();
}

}  // namespace

void WriteInstallationText(std::ostream& out, const MainModel& model)
{
    const bool unitPresent = Listed(model, kUnitRow);
    const std::vector<RowView> modules = ModuleRows(model);
    if (!unitPresent && modules.empty()) {
        out << "No station found.\n";
    } else {
        out << "slot  address     type  serial          version     available   offer   state\n";
        if (unitPresent) {
            WriteRowText(out, ViewOf(model, kUnitRow));
        }
        for (const RowView& view : modules) {
            WriteRowText(out, view);
        }
    }
    if (model.selector.empty()) {
        out << "No package fits every station found.\n";
        return;
    }
    out << "Packages that fit (selector index, name, file):\n";
    for (std::size_t i = 0; i < model.selector.size(); ++i) {
        const SelectorEntry& entry = model.selector[i];
        out << (static_cast<int>(i) == model.selectorIndex ? "  * " : "    ") << i << "  " << entry.text << "  ("
            << PackageFile(model, entry.itemData) << ")\n";
    }
    if (!model.packageDescription.empty()) {
        out << "Selected package: " << model.packageDescription << '\n';
    }
}

void WriteInstallationJson(CliJson& json, const MainModel& model)
{
    json["unit"] = Listed(model, kUnitRow) ? RowJson(ViewOf(model, kUnitRow)) : CliJson();
    CliJson& modules = json["modules"] = CliJson::array();
    for (const RowView& view : ModuleRows(model)) {
        modules.push_back(RowJson(view));
    }
    CliJson& packages = json["packages"] = CliJson::array();
    for (std::size_t i = 0; i < model.selector.size(); ++i) {
        const SelectorEntry& entry = model.selector[i];
        CliJson package = CliJson::object();
        package["index"] = i;
        package["name"] = entry.text;
        package["file"] = PackageFile(model, entry.itemData);
        packages.push_back(std::move(package));
    }
    const bool selected = model.selectorIndex >= 0 && model.selectorIndex < static_cast<int>(model.selector.size());
    json["selected"] = selected ? CliJson(model.selectorIndex) : CliJson();
}

}  // namespace quorfw
