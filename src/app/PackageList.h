#pragma once

#include <string>

namespace quorfw {

class MainModel;
class UpdateFile;
class UpdateHost;

// Loads the package list from the model's package folder (headers only), replacing it.
void LoadPackageList(MainModel& model);

// After new packages may have arrived: empties the package selector and loads the list
// again. The selector stays empty, and the update command disabled, until the next scan.
void ReloadPackageList(MainModel& model, UpdateHost& host);

// The user picked selector entry `index`: an entry without a package disables the Info
// button, any other decides and shows the availability for its package.
void SelectPackageEntry(MainModel& model, UpdateHost& host, int index);

// The package the Info button shows, or null when the selected entry has none.
[[nodiscard]] const UpdateFile* PackageForInfo(const MainModel& model);

// The converter selector's text for a converter id: FTDI converters are listed by their
// article number and serial number, the other kinds by their id.
[[nodiscard]] std::string ConverterEntryText(const std::string& converterId);

}  // namespace quorfw
