#include "tests/campaign/CampaignRun.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "app/MainModel.h"
#include "app/OperationStart.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "bus/BusCommandCodes.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "packages/PackageFolder.h"
#include "packages/PackageSections.h"
#include "packages/UpdateFile.h"
#include "packages/VersionNumber.h"
#include "programming/SettingsMerge.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"
#include "sim/SimRandom.h"
#include "tools/PackageManifest.h"

namespace quorfw::campaign {
namespace {

constexpr const char* kPackageFile = "campaign.qup";
// Types and package versions of the built-in installation's stations: unit, two finger
// scanners, keypad. The unit and the keypad come back with these versions (their images
// name none); the scanners with the version written into their image.
constexpr std::array<std::uint32_t, 4> kTypes = {3, 5, 6, 7};
constexpr std::array<const char*, 4> kVersions = {"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.1.0"};
constexpr std::size_t kStations = 4;
constexpr int kUnitStation = 0;

std::string Manifest()
{
    std::string m = "format = 7\nkey = 0x3C5A9E70\nheader = long\ntitle = Campaign\nname = Campaign\n"
                    "articles = 100301 200501 200601 300701\n";
    m += std::string("[type 3]\nversion = ") + kVersions[0] +
         "\nwrap = composite\ndata = generate firmware size=6K seed=31\ndata2 = generate firmware size=1K seed=32\n";
    m += std::string("[type 5]\nversion = ") + kVersions[1] + "\ndata = generate module size=12K seed=51\n";
    m += std::string("[type 6]\nversion = ") + kVersions[2] + "\ndata = generate module size=10K seed=61\n";
    m += std::string("[type 7]\nversion = ") + kVersions[3] + "\ndata = generate firmware size=4K seed=71\n";
    m += "[section 4]\ndata = generate settings seed=4\n[section 5]\ndata = generate settings seed=5\n";
    return m;
}

// --- The virtual-time bound of one operation. -----------------------------------------
//
// Worst cases of the transaction engine, from its own limits: three attempts per
// transaction; an answer wait of the time-out plus 50 ms, and a frame that has begun may
// take the converter's 1500 ms read time-out to finish; busy answers cost 200 ms, other
// header-only answers the time-out plus 100 ms, and each failed attempt sleeps the time-out.
// An attempt without sync starts a key announcement pass, which gives each of at most four
// modules 3000 ms plus the transaction begun just before that deadline and 450 ms of pauses.
constexpr std::uint64_t kAttempts = 3;
constexpr std::uint64_t kFrameFinishMs = 1500;
constexpr std::uint64_t kAnnouncedModules = 4;

constexpr std::uint64_t PlainTransactTimedMs(std::uint64_t timeoutMs, std::uint64_t delayMs)
{
    return delayMs + kAttempts * ((timeoutMs + 50 + kFrameFinishMs) + std::max<std::uint64_t>(200, timeoutMs + 100) +
                                  timeoutMs);
}
constexpr std::uint64_t kAnnounceMs = 100 + kAnnouncedModules * (3000 + PlainTransactTimedMs(100, 50) + 450);
constexpr std::uint64_t TransactTimedMs(std::uint64_t timeoutMs, std::uint64_t delayMs)
{
    return PlainTransactTimedMs(timeoutMs, delayMs) + kAttempts * kAnnounceMs;
}
// The plain transaction: three waits of 550 ms, each with a frame finishing and a 600 ms pause.
constexpr std::uint64_t kTransactMs = kAttempts * (550 + kFrameFinishMs + 600);

// A scan: 3000 ms for the unit, the bus scan (four passes of five polls, each with its
// pauses and a transaction), three key announcement passes, and for each station its
// identity (four attempts) and its information and name reads (at most ten attempts).
constexpr std::uint64_t kScanMs = 3000 + 4 * 5 * (150 + 150 + 300 + TransactTimedMs(0, 50)) + 3 * kAnnounceMs +
                                  kStations * 14 * (TransactTimedMs(0, 50) + 80) + 2000;

// One transfer of `blocks` blocks: three starts, the key announcement and the module poll
// (it gives up after 30000 ms, plus its last round), the pauses, at most 101 unanswered
// attempts per block with their pauses and holds, the end, the commit (20000 ms plus its
// last attempt) and the module text.
constexpr std::uint64_t TransferMs(std::uint64_t blocks)
{
    const std::uint64_t poll = 30000 + TransactTimedMs(0, 50) + 300 + 2 * kAnnounceMs + 5000;
    const std::uint64_t perAttempt = TransactTimedMs(50, 50) + 50 + 50 + 50;
    return kAttempts * (300 + kTransactMs) + kAnnounceMs + 300 + poll + 1000 + blocks * 101 * perAttempt +
           TransactTimedMs(500, 50) + 20000 + TransactTimedMs(200, 50) + 100 + TransactTimedMs(0, 50) + 2000;
}

// The restart wait: 20000 ms and the round begun just before: per module a key
// announcement, four identity attempts and five settings writes of six attempts each.
constexpr std::uint64_t kRestartWaitMs =
    20000 + kAnnouncedModules * (kAnnounceMs + 4 * TransactTimedMs(0, 50) + 5 * 6 * (TransactTimedMs(0, 50) + 50)) +
    4 * TransactTimedMs(0, 50);

// --- The run. --------------------------------------------------------------------------

struct Station {
    std::uint32_t address = 0;
    std::string serial;
    int row = kUnitRow;
};

// A module information block that carries settings of its own, so that the check of the
// written-back settings can tell them from anything else.
std::vector<std::uint8_t> InformationWithSettings(const StationConfig& station, std::uint8_t salt)
{
    std::vector<std::uint8_t> info(ModuleInfo::kInformationBytes, 0);
    WriteLe32(&info[infofield::kVersion], station.version);
    std::copy(station.serial.begin(), station.serial.end(), info.begin() + infofield::kSerial);
    info[infofield::kParameter208] = static_cast<std::uint8_t>(0x21 + salt);
    info[infofield::kParameter218] = static_cast<std::uint8_t>(0x32 + salt);
    info[infofield::kParameter256] = static_cast<std::uint8_t>(0x43 + salt);
    info[infofield::kParameter270] = static_cast<std::uint8_t>(0x54 + salt);
    WriteLe32(&info[infofield::kParameter112], 0x00051000U + salt);
    return info;
}

// The faults placed while the run goes on, at the moments the run names: a station that
// restarts while it takes in its image, one that falls silent around its restart.
class LiveFaults {
public:
    LiveFaults(const FaultScript& script, const std::vector<Station>& stations, SimInstallation& installation,
               VirtualClock& clock, std::uint64_t originMs)
        : script_(script), stations_(stations), installation_(installation), clock_(clock), originMs_(originMs)
    {
    }

    // "Programming <serial>": the transfer to that station begins.
    void Programming(const std::string& status)
    {
        current_ = -1;
        for (std::size_t i = 0; i < stations_.size(); ++i) {
            if (status.find(stations_[i].serial) != std::string::npos) {
                current_ = static_cast<int>(i);
            }
        }
        if (current_ >= 0 && current_ == script_.restartDuringTransfer && !restartPlaced_) {
            restartPlaced_ = true;
            Add(FaultType::Restart, script_.restartAfterStartMs, installation_.Config().restartDownMs);
        }
    }

    // The station of the current transfer was reported programmed.
    void Programmed()
    {
        if (current_ >= 0 && current_ == script_.silenceAcrossRestart && !silencePlaced_) {
            silencePlaced_ = true;
            Add(FaultType::Silence, script_.silenceAfterProgrammedMs, script_.silenceMs);
        }
    }

private:
    void Add(FaultType type, std::uint64_t afterMs, std::uint64_t lengthMs)
    {
        FaultRule rule;
        rule.type = type;
        rule.station = stations_[static_cast<std::size_t>(current_)].address;
        rule.fromMs = clock_.NowMs() - originMs_ + afterMs;
        rule.untilMs = rule.fromMs + lengthMs;
        installation_.Faults().Add(rule);
    }

    const FaultScript& script_;
    const std::vector<Station>& stations_;
    SimInstallation& installation_;
    VirtualClock& clock_;
    std::uint64_t originMs_;
    int current_ = -1;
    bool restartPlaced_ = false;
    bool silencePlaced_ = false;
};

// Records what the operations report; called on the worker thread.
class CampaignHost final : public UpdateHost {
public:
    explicit CampaignHost(LiveFaults& live) : live_(live) {}

    std::map<int, RestartCheck> restartChecks;
    std::vector<std::uint32_t> messages;
    std::vector<std::pair<std::uint32_t, std::string>> log;

    void ResetDisplay() override {}
    void ShowRow(int, const RowIdentity&, bool) override {}
    void SetAvailableVersion(int, const std::string&) override {}
    void SetUpdateStateText(int, const std::string&) override {}
    void ShowAvailabilityCells(int, bool) override {}
    void SetRestartCheck(int row, RestartCheck check) override { restartChecks[row] = check; }
    void SetPackageSelector(const std::vector<SelectorEntry>&) override {}
    void SelectPackage(int) override {}
    void SetPackageDescription(const std::string&) override {}
    void EnableInfoButton(bool) override {}
    void EnableSelectors(bool) override {}
    void ShowSteps(int, int) override {}
    void StartProgressTimer() override {}
    void StopProgressTimer() override {}
    void SetProgress(std::uint32_t) override {}
    void SetStatusText(const std::string& text) override { live_.Programming(text); }
    void ShowMessage(std::uint32_t id, const std::string&) override { messages.push_back(id); }
    bool Confirm(std::uint32_t, const std::string&) override { return true; }
    void Logged(std::uint32_t id, const std::string& text) override
    {
        log.emplace_back(id, text);
        if (id == kTextUnitUpdated || id == kTextModuleUpdated) {
            live_.Programmed();
        }
    }
    void OperationEnded(bool) override {}

private:
    LiveFaults& live_;
};

enum class Ended { Succeeded, Failed, Hang };

Ended RunOperation(MainModel& model, VirtualClock& clock, MainModel::StartResult started, std::uint64_t boundMs)
{
    if (started != MainModel::StartResult::Started) {
        return Ended::Failed;
    }
    const std::uint64_t startMs = clock.NowMs();
    const auto wallStart = std::chrono::steady_clock::now();
    // A run that makes no progress in virtual time is caught by the wall clock instead.
    constexpr auto kWallLimit = std::chrono::seconds(60);
    while (!model.WaitForOperation(std::chrono::milliseconds(1))) {
        if (clock.NowMs() - startMs > boundMs || std::chrono::steady_clock::now() - wallStart > kWallLimit) {
            model.RequestStop();
            if (!model.WaitForOperation(std::chrono::seconds(30))) {
                std::fprintf(stderr, "faulty_bus_campaign: a stopped run did not end; giving up\n");
                std::_Exit(3);
            }
            return Ended::Hang;
        }
    }
    return model.lastOperationSucceeded ? Ended::Succeeded : Ended::Failed;
}

std::string LastLogText(const CampaignHost& host, std::uint32_t id)
{
    for (auto it = host.log.rbegin(); it != host.log.rend(); ++it) {
        if (it->first == id) {
            std::string text = it->second;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
                text.pop_back();
            }
            return text;
        }
    }
    return {};
}

// The image a station must have installed, as the package holds it: the unit's part 1,
// the keypad image with its 0xFF lead and fill, a finger scanner's image (its information
// area and checksum excepted, which the tool writes for each module).
std::optional<std::vector<std::uint8_t>> PackageImage(const UpdateFile& package, std::uint32_t type)
{
    const SharedBytes* image = package.GetImage(static_cast<int>(type));
    if (image == nullptr) {
        return std::nullopt;
    }
    std::span<const std::uint8_t> encrypted = image->span();
    if (type == kTypes[0]) {
        if (encrypted.size() < 8) {
            return std::nullopt;
        }
        const std::uint32_t length1 = ReadLe32(encrypted.data());
        if (length1 > encrypted.size() - 8) {
            return std::nullopt;
        }
        encrypted = encrypted.subspan(8, length1);
    }
    std::vector<std::uint8_t> plain;
    if (!DecryptPackageData(encrypted, plain)) {
        return std::nullopt;
    }
    if (type == kTypes[3]) {
        std::vector<std::uint8_t> keypad(((32 + plain.size()) / 512 + 1) * 512, 0xFF);
        std::copy(plain.begin(), plain.end(), keypad.begin() + 32);
        return keypad;
    }
    return plain;
}

class Judge {
public:
    Judge(const UpdateFile& package, SimInstallation& installation, const std::vector<Station>& stations)
        : package_(package), installation_(installation), stations_(stations)
    {
    }

    // Empty when the station runs the package's firmware for its type; otherwise why not.
    std::string RunsPackage(std::size_t index)
    {
        const Station& station = stations_[index];
        const SimFirmwareUpdates::Install* install = installation_.Firmware().LastInstall(station.address);
        if (install == nullptr) {
            return "it never restarted into a new image";
        }
        const std::uint32_t version = VersionToInt(kVersions[index]);
        const SimStation* sim = installation_.FindStation(station.address);
        if (sim == nullptr || sim->Config().version != version) {
            return "it runs version " + VersionText(sim != nullptr ? sim->Config().version : 0);
        }
        const auto expected = PackageImage(package_, kTypes[index]);
        if (!expected) {
            return "the package image does not decrypt";
        }
        const std::vector<std::uint8_t>& got = install->image;
        if (got.size() != expected->size()) {
            return "its image has " + std::to_string(got.size()) + " bytes, the package's " +
                   std::to_string(expected->size());
        }
        std::size_t skipFrom = got.size();
        std::size_t skipTo = got.size();
        std::size_t checksumAt = got.size();
        if (kTypes[index] == kTypes[1] || kTypes[index] == kTypes[2]) {
            if (!install->informationOffset || *install->informationOffset < 0x18) {
                return "its image carries no information block";
            }
            const std::size_t info = *install->informationOffset;
            skipFrom = info - 4;
            skipTo = info + kSettingsBlockLength;
            checksumAt = info - 0x18;
            const std::string serial(got.begin() + static_cast<std::ptrdiff_t>(info + infofield::kSerial),
                                     got.begin() + static_cast<std::ptrdiff_t>(info + infofield::kSerial +
                                                                               infofield::kSerialLength));
            if (ReadLe32(&got[info + infofield::kVersion]) != version || serial != station.serial) {
                return "its image's information block names another version or station";
            }
        }
        for (std::size_t i = 0; i < got.size(); ++i) {
            const bool written = (i >= skipFrom && i < skipTo) || (i >= checksumAt && i < checksumAt + 4);
            if (!written && got[i] != (*expected)[i]) {
                return "its image differs from the package's at byte " + std::to_string(i);
            }
        }
        return {};
    }

    // Empty when the station has its settings back (or has none to get back).
    std::string SettingsBack(std::size_t index)
    {
        const std::uint32_t type = kTypes[index];
        if (type != kTypes[1] && type != kTypes[2]) {
            return {};
        }
        const SharedBytes* block = package_.GetSectionImage(type == 5 ? kType5SettingsSection : kSettingsSection);
        std::vector<std::uint8_t> plain;
        if (block == nullptr || !DecryptPackageData(block->span(), plain) || plain.size() <= infofield::kFlags265) {
            return "the package's settings block does not decrypt";
        }
        if ((plain[infofield::kFlags265] & 0x04) == 0) {
            return {};  // the module keeps no settings over an update
        }
        const Station& station = stations_[index];
        const SimFirmwareUpdates::Install* install = installation_.Firmware().LastInstall(station.address);
        if (install == nullptr) {
            return "no settings: it never restarted";
        }
        const auto& info = installation_.Config().modules[index - 1].information;
        const std::map<std::uint32_t, std::uint32_t> expected = {
            {270, info[infofield::kParameter270]},
            {208, info[infofield::kParameter208]},
            {218, info[infofield::kParameter218]},
            {112, ReadLe32(&info[infofield::kParameter112])},
            {256, info[infofield::kParameter256]},
        };
        std::map<std::uint32_t, std::uint32_t> written;
        for (const SimRequestRecord& record : installation_.Requests()) {
            const BusMessage& m = record.message;
            if (record.station != station.address || m.IsHeaderOnly() || m.Command() != kCmdParameterWrite ||
                record.timeUs < install->atMs * 1000) {
                continue;
            }
            const auto data = m.DataBytes();
            if (data.empty()) {
                continue;
            }
            written[m.Operand1()] = data.size() >= 4 ? ReadLe32(data.data()) : data[0];
        }
        for (const auto& [number, value] : expected) {
            const auto found = written.find(number);
            if (found == written.end()) {
                return "parameter " + std::to_string(number) + " was not written after its restart";
            }
            if (found->second != value) {
                return "parameter " + std::to_string(number) + " holds " + std::to_string(found->second);
            }
        }
        return {};
    }

private:
    const UpdateFile& package_;
    SimInstallation& installation_;
    const std::vector<Station>& stations_;
};

// The report lines: (serial, version) in file order.
std::vector<std::pair<std::string, std::string>> ReportLines(const std::filesystem::path& file)
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::ifstream in(file);
    std::string line;
    const auto between = [](const std::string& text, const std::string& open, const std::string& close) {
        const std::size_t from = text.find(open);
        const std::size_t to = from == std::string::npos ? from : text.find(close, from + open.size());
        return to == std::string::npos ? std::string() : text.substr(from + open.size(), to - from - open.size());
    };
    while (std::getline(in, line)) {
        lines.emplace_back(between(line, "<barcode>", "</barcode>"), between(line, "<version>", "</version>"));
    }
    return lines;
}

const char* CheckName(RestartCheck check)
{
    switch (check) {
    case RestartCheck::Verified: return "verified";
    case RestartCheck::NotBack: return "not confirmed";
    case RestartCheck::OtherVersion: return "other version";
    case RestartCheck::None: break;
    }
    return "not programmed";
}

}  // namespace

const char* KindName(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::Kind::Verified: return "verified";
    case Outcome::Kind::Failed: return "failed";
    case Outcome::Kind::FalseSuccess: return "FALSE SUCCESS";
    case Outcome::Kind::Hang: return "HANG";
    }
    return "?";
}

FaultScript DrawFaultScript(std::uint64_t seed)
{
    SimRandom dice = SimRandom(seed).Fork(0xC0FFEE);
    const InstallationConfig base = InstallationConfig::Default();
    std::vector<std::uint32_t> addresses = {base.unit.address};
    for (const StationConfig& m : base.modules) {
        addresses.push_back(m.address);
    }
    // Commands the faults may pick: key announcement, identity, information read, the
    // transfer's start, blocks, end and commit, module text, parameter writes.
    constexpr std::array<std::uint8_t, 9> kCommands = {0x00, 0x05, 0x38, 0x17, 0x18, 0x19, 0x09, 0x1E, 0x39};
    const auto percent = [&dice](std::uint32_t max) { return static_cast<double>(dice.Below(max + 1)) / 100.0; };

    FaultScript script;
    const auto add = [&](FaultType type, double probability, std::uint32_t count, const char* name) {
        FaultRule rule;
        rule.type = type;
        rule.probability = probability;
        rule.count = count;
        if (dice.Chance(0.4)) {
            rule.station = addresses[dice.Below(static_cast<std::uint32_t>(addresses.size()))];
        }
        if (dice.Chance(0.3)) {
            rule.command = kCommands[dice.Below(kCommands.size())];
        }
        script.rules.push_back(rule);
        char text[96];
        std::snprintf(text, sizeof text, "%s %.0f%%%s%s ", name, probability * 100, rule.station ? " one" : "",
                      rule.command ? " cmd" : "");
        script.summary += text;
    };
    if (dice.Chance(0.5)) add(FaultType::Drop, percent(30), 1, "drop");
    if (dice.Chance(0.5)) add(FaultType::Corrupt, percent(30), 1 + dice.Below(4), "corrupt");
    if (dice.Chance(0.4)) add(FaultType::Garbage, percent(30), 1 + dice.Below(64), "garbage");
    if (dice.Chance(0.4)) add(FaultType::Busy, percent(20), 1 + dice.Below(4), "busy");
    if (dice.Chance(0.3)) add(FaultType::Refuse, percent(5), 1, "refuse");
    if (dice.Chance(0.4)) add(FaultType::Foreign, percent(30), 1 + dice.Below(2), "foreign");
    const std::uint32_t windows = dice.Below(3);
    for (std::uint32_t i = 0; i < windows; ++i) {
        FaultRule silence;
        silence.type = FaultType::Silence;
        if (dice.Chance(0.6)) {
            silence.station = addresses[dice.Below(static_cast<std::uint32_t>(addresses.size()))];
        }
        silence.fromMs = dice.Below(120'000);
        silence.untilMs = silence.fromMs + 100 + dice.Below(25'000);
        script.rules.push_back(silence);
        script.summary += "silence ";
    }
    if (dice.Chance(0.3)) {
        script.restartDuringTransfer = static_cast<int>(dice.Below(kStations));
        script.restartAfterStartMs = 100 + dice.Below(5000);
        script.summary += "restart-in-transfer ";
    }
    if (dice.Chance(0.3)) {
        script.silenceAcrossRestart = static_cast<int>(dice.Below(kStations));
        script.silenceAfterProgrammedMs = dice.Below(3000);
        script.silenceMs = 500 + dice.Below(25'000);
        script.summary += "silence-across-restart ";
    }
    script.restartDelayMs.resize(kStations, 0);
    for (std::uint32_t& delay : script.restartDelayMs) {
        delay = dice.Chance(0.5) ? dice.Below(2000) : 0;
    }
    return script;
}

Campaign::Campaign(std::filesystem::path folder) : folder_(std::move(folder))
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!BuildPackageFromManifest(Manifest(), folder_, false, bytes, error)) {
        error_ = "cannot build the package: " + error;
        return;
    }
    std::ofstream out(folder_ / kPackageFile, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.good()) {
        error_ = "cannot write " + (folder_ / kPackageFile).string();
        return;
    }
    out.close();
    // Blocks of the images as sent: the unit's part 1 in 256-byte blocks, the keypad's in
    // 512, the scanners' archives in 800 (compressed, they are no longer than raw plus a
    // little LZO overhead).
    UpdateFile package;
    if (!package.Load((folder_ / kPackageFile).string(), false)) {
        error_ = "cannot load the package";
        return;
    }
    std::uint64_t blocks = 0;
    constexpr std::array<std::uint64_t, 4> kBlockBytes = {256, 800, 800, 512};
    for (std::size_t i = 0; i < kStations; ++i) {
        const auto image = PackageImage(package, kTypes[i]);
        if (!image) {
            error_ = "the package's image for type " + std::to_string(kTypes[i]) + " does not decrypt";
            return;
        }
        blocks += (image->size() + image->size() / 16 + 64) / kBlockBytes[i] + 1;
    }
    boundMs_ = kScanMs + TransferMs(blocks) + (kStations - 1) * TransferMs(0) + kRestartWaitMs;
}

Outcome Campaign::Run(std::uint64_t seed, const FaultScript& script) const
{
    for (const char* name : {"UpdateLog.txt", "UpdateLog-Report.txt"}) {
        std::error_code ignored;
        std::filesystem::remove(folder_ / name, ignored);
    }
    InstallationConfig config = InstallationConfig::Default();
    for (std::size_t i = 0; i < config.modules.size(); ++i) {
        if (kTypes[i + 1] != kTypes[3]) {
            config.modules[i].information = InformationWithSettings(config.modules[i], static_cast<std::uint8_t>(i));
        }
    }
    config.unit.restartDelayMs = script.restartDelayMs[kUnitStation];
    for (std::size_t i = 0; i < config.modules.size(); ++i) {
        config.modules[i].restartDelayMs = script.restartDelayMs[i + 1];
    }
    config.faults = script.rules;

    std::vector<Station> stations = {{config.unit.address, config.unit.serial, kUnitRow}};
    for (std::size_t i = 0; i < config.modules.size(); ++i) {
        stations.push_back({config.modules[i].address, config.modules[i].serial, static_cast<int>(i)});
    }

    VirtualClock clock;
    ConverterHub hub;
    auto installation = std::make_shared<SimInstallation>(config, seed);
    installation->SetLogLimits(1'000'000, 16);
    const std::uint64_t originMs = clock.NowMs();
    (void)hub.Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(clock, installation));
    LiveFaults live(script, stations, *installation, clock, originMs);
    CampaignHost host(live);

    Outcome outcome;
    {
        MainModel model(hub, clock);
        model.packageFolder = folder_.string() + "/";
        model.userName = "campaign";
        model.converters = {SimConverter::kId};
        model.converterIndex = 0;
        model.packages = LoadPackageFolder(folder_);
        model.sessionSeed = static_cast<std::uint32_t>(SimRandom(seed).Fork(0x5E55).Next());

        const auto finish = [&](Outcome::Kind kind, std::string reason) {
            outcome.kind = kind;
            outcome.reason = std::move(reason);
            outcome.virtualMs = clock.NowMs() - originMs;
            for (const auto& entry : host.log) {
                outcome.log.push_back(entry.second.substr(0, entry.second.find_last_not_of("\r\n") + 1));
            }
        };
        const Ended scan = RunOperation(model, clock, StartScan(model, host), boundMs_);
        if (scan == Ended::Hang) {
            finish(Outcome::Kind::Hang, "the scan did not end");
            return outcome;
        }
        if (scan == Ended::Failed) {
            finish(Outcome::Kind::Failed, "scan failed");
            return outcome;
        }
        std::array<bool, kStations> offered{};
        std::size_t offeredCount = 0;
        for (std::size_t i = 0; i < kStations; ++i) {
            const ModuleInfo& row = model.displayed.Row(stations[i].row);
            offered[i] = row.present != 0 && row.address == stations[i].address &&
                         model.displayed.UpdateOffered(stations[i].row);
            offeredCount += offered[i] ? 1 : 0;
        }
        if (!model.CanUpdate() || offeredCount == 0) {
            finish(Outcome::Kind::Failed, "the scan offered nothing");
            return outcome;
        }
        host.restartChecks.clear();
        host.messages.clear();
        const Ended update = RunOperation(model, clock, StartUpdate(model, host), boundMs_);
        if (update == Ended::Hang) {
            finish(Outcome::Kind::Hang, "the update did not end");
            return outcome;
        }

        // Every claim of success must hold in the simulator.
        UpdateFile full;
        (void)full.Load((folder_ / kPackageFile).string(), false);
        Judge fullJudge(full, *installation, stations);
        for (const auto& [serial, version] : ReportLines(folder_ / "UpdateLog-Report.txt")) {
            const auto station = std::find_if(stations.begin(), stations.end(),
                                              [&](const Station& s) { return s.serial == serial; });
            if (station == stations.end()) {
                finish(Outcome::Kind::FalseSuccess, "report line for unknown serial " + serial);
                return outcome;
            }
            const std::size_t index = static_cast<std::size_t>(station - stations.begin());
            const std::string wrong = version == kVersions[index] ? fullJudge.RunsPackage(index) : "other version";
            if (!wrong.empty()) {
                finish(Outcome::Kind::FalseSuccess, "report line for " + serial + " " + version + ", but " + wrong);
                return outcome;
            }
        }
        std::string notDone;
        for (std::size_t i = 0; i < kStations; ++i) {
            const auto found = host.restartChecks.find(stations[i].row);
            const RestartCheck check = found != host.restartChecks.end() ? found->second : RestartCheck::None;
            if (check == RestartCheck::Verified) {
                std::string wrong = fullJudge.RunsPackage(i);
                if (wrong.empty()) {
                    wrong = fullJudge.SettingsBack(i);
                }
                if (!wrong.empty()) {
                    finish(Outcome::Kind::FalseSuccess, stations[i].serial + " shown verified, but " + wrong);
                    return outcome;
                }
            } else if (offered[i] && notDone.empty()) {
                notDone = stations[i].serial + " " + CheckName(check);
            }
        }
        if (update == Ended::Succeeded) {
            for (std::size_t i = 0; i < kStations; ++i) {
                if (offered[i] && host.restartChecks.find(stations[i].row) == host.restartChecks.end()) {
                    finish(Outcome::Kind::FalseSuccess,
                           "the update was reported done, but " + stations[i].serial + " was not programmed");
                    return outcome;
                }
            }
        }
        if (update == Ended::Failed) {
            const std::string why = !LastLogText(host, kTextInstallationChanged).empty()
                                        ? "the update's scan found another installation"
                                    : LastLogText(host, kTextUpdateFailed).empty() ? "the update's scan failed"
                                                                                   : "programming failed";
            finish(Outcome::Kind::Failed, notDone.empty() ? why : why + "; " + notDone);
        } else if (!notDone.empty()) {
            finish(Outcome::Kind::Failed, notDone);
        } else if (offeredCount < kStations) {
            finish(Outcome::Kind::Failed, "the scan offered " + std::to_string(offeredCount) + " of 4 stations");
        } else {
            finish(Outcome::Kind::Verified, {});
        }
    }
    return outcome;
}

}  // namespace quorfw::campaign
