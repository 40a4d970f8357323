#pragma once

#include <string>
#include <string_view>

namespace quorfw {

class BusSession;
class MainModel;
class UpdateFile;
class UpdateHost;
struct ModuleInfo;

// The article number of the finger scanners that take device firmware.
inline constexpr std::string_view kDeviceFirmwareArticle = "932455";
// The module slot device firmware is programmed into.
inline constexpr unsigned kDeviceFirmwareSlot = 0;

// Results the device firmware programming reports to the host besides UpdateModule's
// codes (kProgramOk, kProgramEmptyImage, kProgramImageUnusable, kProgramTransferFailed).
// The unit was not found or did not take the link key: nothing was sent.
inline constexpr int kDeviceFirmwareNotConnected = 10;
// Module slot 0 did not give its information block, or is no scanner of the article.
inline constexpr int kDeviceFirmwareNoScanner = 11;

// True for a serial number of the finger scanners that take device firmware.
[[nodiscard]] bool IsDeviceFirmwareSerial(std::string_view serial);

// Programs the package's module-type-5 image into the finger scanner in module slot 0 as
// device firmware, on the worker thread the model starts: connects, copies the displayed
// unit and slot 0's address into the session, announces the link key, reads slot 0's
// information block again (the programming carries it into the new image) and programs
// only a scanner of the device firmware article. Reports the result code and ends the
// operation itself (MainModel::EndOperation); it counts as succeeded for code 0.
void DeviceFirmwareWorker(MainModel& model, UpdateHost& host, BusSession& session, const UpdateFile& package);

}  // namespace quorfw
