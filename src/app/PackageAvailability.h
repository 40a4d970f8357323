#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorfw {

class MainModel;
class UpdateHost;

// Installed and package versions with a rule of their own (text form in the comments).
inline constexpr std::uint32_t kVersionReplaceableByOlderA = 5040523;  // 5.4.5.23
inline constexpr std::uint32_t kVersionPermittedOlderA = 4020912;      // 4.2.9.12
inline constexpr std::uint32_t kVersionReplaceableByOlderB = 6021011;  // 6.2.10.11
inline constexpr std::uint32_t kVersionPermittedOlderB = 6010526;      // 6.1.5.26
inline constexpr std::uint32_t kVersionAlwaysReplaceable = 6040903;    // 6.4.9.3
inline constexpr std::uint32_t kUnitVersionNeverUpdated = 1342323;     // 1.34.23.23
inline constexpr std::uint32_t kUnitVersionsLockedFirst = 1100001;     // 1.10.0.1
inline constexpr std::uint32_t kUnitVersionsLockedLast = 1331011;      // 1.33.10.11
inline constexpr std::uint32_t kUnitVersionOwnNotice = 2001020;        // 2.0.10.20

// What the update-state cell of a row shows after the decision.
enum class AvailabilityCell {
    Empty,       // no installed version known
    Offered,     // update state 1
    NotOffered,  // update state 2
    Refused,     // the not-offered text, without touching the offered mark of the run
    UnitNotice,  // the unit's own notice text instead of a state
};

struct AvailabilityDecision {
    bool offered = false;       // the row's updateOffered: the update run programs it
    bool showsPackage = false;  // the available-version cell shows the package version
    AvailabilityCell cell = AvailabilityCell::Empty;
};

// The version rule for one row. `address` counts for module rows only (0x3... modules
// take any package version). Nothing when the package has no version for the row.
[[nodiscard]] std::optional<AvailabilityDecision> DecideOffer(bool unitRow, std::uint32_t installed,
                                                              std::uint32_t address, std::string_view packageVersion,
                                                              bool downgradeAllowed);

// States of SetUpdateState.
enum class UpdateState { Done = 0, Offered = 1, NotOffered = 2 };

// Writes the row's update-state cell; state Offered also sets the model's anyOffered.
void SetUpdateState(MainModel& model, UpdateHost& host, int row, UpdateState state, std::uint32_t milliseconds);

// Decides the row (a module row 0-7 or the unit row) against a package version text and
// writes its offered mark and its available-version and update-state cells.
void DecideAvailability(MainModel& model, UpdateHost& host, int row, std::string_view packageVersion);

// Decides and shows or hides the availability cells of the unit row and module rows 0-3
// for the package chosen in the selector; also enables or disables the Info button.
void ShowAvailability(MainModel& model, UpdateHost& host, bool visible);

}  // namespace quorfw
