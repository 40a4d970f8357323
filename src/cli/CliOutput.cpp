#include "cli/CliOutput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <string>
#include <vector>

#include "app/GridRows.h"
#include "app/MainModel.h"

namespace quorfw {

namespace {

struct RowView {
    int row = kUnitRow;
    std::string address;
    std::uint32_t type = 0;
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

RowView ViewOf(const MainModel& model, int row)
{
    const ModuleInfo& info = model.displayed.Row(row);
    const RowCells& cells = model.Cells(row);
    RowView view;
    view.row = row;
    view.address = HexAddress(info.address);
    view.type = info.type;
    // What the grid shows: after an update, what the station reported once it was back.
    view.version = cells.identity.version;
    view.serial = cells.identity.serial.empty() ? info.serial : cells.identity.serial;
    view.name = cells.identity.hasName ? cells.identity.name : std::string();
    view.available = cells.available;
    view.state = cells.state;
    view.offered = model.displayed.UpdateOffered(row);
    view.restart = cells.restartCheck;
    return view;
}

std::vector<RowView> ModuleRows(const MainModel& model)
{
    std::vector<RowView> rows;
    const int count = std::clamp<int>(model.displayed.moduleCount, 0, kScannedModuleRows);
    for (int row = 0; row < count; ++row) {
        if (model.displayed.Row(row).present != 0) {
            rows.push_back(ViewOf(model, row));
        }
    }
    return rows;
}

void WriteRowJson(JsonWriter& json, const RowView& view)
{
    json.BeginObject();
    if (view.row != kUnitRow) {
        json.Key("slot").Int(view.row);
    }
    json.Key("address").String(view.address)
        .Key("type").Int(view.type)
        .Key("version").String(view.version)
        .Key("serial").String(view.serial)
        .Key("name").String(view.name)
        .Key("available").String(view.available)
        .Key("state").String(view.state)
        .Key("offered").Bool(view.offered);
    if (view.restart != RestartCheck::None) {
        json.Key("restart").String(RestartWord(view.restart));
    } else {
        json.Key("restart").Null();
    }
    json.EndObject();
}

void WriteRowText(std::ostream& out, const RowView& view)
{
    out << std::left << std::setw(6) << (view.row == kUnitRow ? std::string("unit") : std::to_string(view.row))
        << std::setw(12) << view.address << std::setw(6) << view.type << std::setw(16) << view.serial
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
    const bool unitPresent = model.displayed.unit.present != 0;
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

void WriteInstallationJson(JsonWriter& json, const MainModel& model)
{
    json.Key("unit");
    if (model.displayed.unit.present != 0) {
        WriteRowJson(json, ViewOf(model, kUnitRow));
    } else {
        json.Null();
    }
    json.Key("modules").BeginArray();
    for (const RowView& view : ModuleRows(model)) {
        WriteRowJson(json, view);
    }
    json.EndArray();
    json.Key("packages").BeginArray();
    for (std::size_t i = 0; i < model.selector.size(); ++i) {
        const SelectorEntry& entry = model.selector[i];
        json.BeginObject()
            .Key("index").Int(static_cast<std::int64_t>(i))
            .Key("name").String(entry.text)
            .Key("file").String(PackageFile(model, entry.itemData))
            .EndObject();
    }
    json.EndArray();
    json.Key("selected");
    if (model.selectorIndex >= 0 && model.selectorIndex < static_cast<int>(model.selector.size())) {
        json.Int(model.selectorIndex);
    } else {
        json.Null();
    }
}

}  // namespace quorfw
