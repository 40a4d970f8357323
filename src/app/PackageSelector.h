#pragma once

namespace quorfw {

class BusSession;
class MainModel;
class UpdateHost;

// Lists in the package selector every package of the package list that applies to all
// stations the session found (the unit's and every present module's article number),
// in list order, with its list index as item data. Nothing is selected afterwards. True
// when at least one package was listed.
[[nodiscard]] bool FillPackageSelector(MainModel& model, UpdateHost& host, const BusSession& session);

// Whether the session found the installation the window shows: the unit at the shown
// address (0 when absent), and every shown module among the present module slots.
[[nodiscard]] bool SameInstallation(const MainModel& model, const BusSession& session);

}  // namespace quorfw
