#include "bus/ModuleIdentity.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/DeviceTypes.h"
#include "bus/FrameCodec.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kAttempts = 4;
constexpr std::uint32_t kNameAttempts = 6;
constexpr std::uint32_t kModulePauseMs = 50;
constexpr std::uint32_t kUnitBlockPauseMs = 80;
constexpr std::uint8_t kFlagsAnswerWanted = 0x81;
constexpr std::uint8_t kFlagsModuleInformation = 0x80;

// A text that ends at its first NUL or at the end of `bytes`.
std::string TextUntilNul(std::span<const std::uint8_t> bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

// Serial numbers are at most 14 characters: a longer text is not a serial number.
std::optional<std::string> SerialText(std::span<const std::uint8_t> bytes)
{
    std::string text = TextUntilNul(bytes);
    if (text.size() > ModuleInfo::kSerialChars) {
        return std::nullopt;
    }
    return text;
}

// The fixed 14-character serial field of an identity answer; nothing when the answer is shorter.
std::optional<std::string> SerialField(const BusMessage& answer)
{
    const auto data = answer.DataBytes();
    if (data.size() < ModuleInfo::kSerialChars) {
        return std::nullopt;
    }
    return TextUntilNul(data.first(ModuleInfo::kSerialChars));
}

void FillIdentity(BusSession& session, BusMessage& request, std::uint32_t destination, std::uint16_t length,
                  std::uint32_t operand1)
{
    FillRequest(session.link, request, length, session.link.ownAddress, destination, kCmdIdentity, operand1, 0,
                kFlagsAnswerWanted, kKindPlain);
}

void TakeUnitIdentity(BusSession& session, const BusMessage& answer, const std::string& serial)
{
    ModuleInfo& unit = session.unit;
    unit.version = answer.Operand1();
    unit.serial = serial;
    const UnitIdentityType identity = UnitTypeFromHardwareCode(answer.Operand2());
    unit.recognised = identity.recognised ? 1 : 0;
    if (identity.typeKnown) {
        unit.type = identity.type;
    }
}

std::uint32_t CountAddresses(const std::array<std::uint8_t, BusSession::kUnitInformationBytes>& information)
{
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < BusSession::kModuleSlots; ++i) {
        if (ReadLe32(&information[kUnitModuleAddressesOffset + 4 * i]) != 0) {
            ++count;
        }
    }
    return count;
}

// What the tool makes of a fresh unit information block.
void TakeUnitInformation(BusSession& session, std::span<const std::uint8_t> data)
{
    auto& information = session.unitInformation;
    std::copy_n(data.begin(), information.size(), information.begin());
    const std::uint8_t kindCode = information[kUnitKindCodeOffset];
    const std::uint32_t addressCount = CountAddresses(information);
    if (kindCode != kKindCodeFacilityCode) {
        WriteLe16(&information[kUnitModuleCountOffset], static_cast<std::uint16_t>(addressCount));
    }
    session.unit.type = RefineUnitType(session.unit.type, information[kUnitConfigurationOffset], kindCode,
                                       ReadLe32(&information[kUnitInfoVersionOffset]));
    if (session.unit.type != kUnitTypeWithModules) {
        return;
    }
    // The count is that of the listed addresses: on a facility-code unit the count field
    // holds something else and must not size the module list.
    session.moduleCount = static_cast<std::int32_t>(addressCount);
    for (std::size_t i = 0; i < BusSession::kModuleSlots; ++i) {
        ModuleInfo& module = session.modules[i];
        module.address = ReadLe32(&information[kUnitModuleAddressesOffset + 4 * i]);
        module.present = module.address != 0 ? 1 : 0;
    }
}

// The unit information (0xFFFFFFFF) or extra block (0xFFFFFFFE): true when the block was taken.
bool ReadUnitBlock(BusSession& session, std::uint32_t operand, std::size_t size,
                   void (*take)(BusSession&, std::span<const std::uint8_t>))
{
    if (session.unit.present == 0) {
        return false;
    }
    for (std::uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
        BusMessage request;
        FillRequest(session.link, request, kBareRequestLength, session.link.ownAddress, session.unit.address,
                    kCmdInformationRead, operand, 0, kFlagsAnswerWanted, kKindSeedScrambled);
        const BusMessage* answer = session.TransactTimed(request, 50, 50);
        if (answer != nullptr && answer->Command() == kAnsInformation) {
            if (answer->Operand1() != operand) {
                return false;
            }
            const auto data = answer->DataBytes();
            if (data.size() >= size) {
                take(session, data.first(size));
                session.clock().SleepMs(kUnitBlockPauseMs);
                return true;
            }
        }
        session.clock().SleepMs(kUnitBlockPauseMs);
    }
    return false;
}

void TakeUnitExtraBlock(BusSession& session, std::span<const std::uint8_t> data)
{
    std::copy_n(data.begin(), session.unitExtraBlock.size(), session.unitExtraBlock.begin());
}

bool ReadKeypadIdentity(BusSession& session, ModuleInfo& module)
{
    BusMessage request;
    FillIdentity(session, request, module.address, kBareRequestLength, kIdentityOperand);
    const BusMessage* answer = session.TransactTimed(request, 0, 50);
    if (answer == nullptr || answer->Command() != kAnsIdentity) {
        return false;
    }
    const auto serial = SerialText(answer->DataBytes());
    if (!serial) {
        return false;
    }
    module.serial = *serial;
    module.version = answer->Operand1();
    return true;
}

bool ReadModuleInformation(BusSession& session, ModuleInfo& module)
{
    BusMessage request;
    FillRequest(session.link, request, kBareRequestLength, session.link.ownAddress, module.address,
                kCmdInformationRead, kModuleInformationOperand, 0, kFlagsModuleInformation, kKindSeedScrambled);
    const BusMessage* answer = session.TransactTimed(request, 0, 50);
    if (answer == nullptr || answer->Command() != kAnsInformation) {
        return false;
    }
    // The whole block or nothing: programming writes it back into the module.
    const auto data = answer->DataBytes();
    if (data.size() < ModuleInfo::kInformationBytes) {
        return false;
    }
    std::copy_n(data.begin(), module.information.size(), module.information.begin());
    module.serial = TextUntilNul(data.subspan(kModuleInfoSerialOffset, ModuleInfo::kSerialChars));
    module.version = ReadLe32(&module.information[kModuleInfoVersionOffset]);
    module.type = ModuleTypeFor(module.address, module.version);
    return true;
}

bool ReadModuleName(BusSession& session, ModuleInfo& module)
{
    BusMessage request;
    FillIdentity(session, request, module.address, kReadRequestLength, kModuleNameOperand);
    const BusMessage* answer = session.TransactTimed(request, 0, 50);
    if (answer == nullptr) {
        return false;
    }
    module.moduleName = TextUntilNul(answer->DataBytes());
    return true;
}

bool ReadModule(BusSession& session, std::uint8_t slot)
{
    ModuleInfo& module = session.modules[slot];
    if (IsIdentityOnlyModuleAddress(module.address)) {
        module.type = kModuleTypeKeypad;
    }
    const bool keypad = module.type == kModuleTypeKeypad;
    Clock& clock = session.clock();
    bool anyRead = false;
    for (std::uint32_t attempt = 0; attempt < kAttempts && !anyRead; ++attempt) {
        anyRead = keypad ? ReadKeypadIdentity(session, module) : ReadModuleInformation(session, module);
        clock.SleepMs(kModulePauseMs);
    }
    if (keypad) {
        return anyRead;
    }
    // One name read after a good information read; up to six while nothing has come yet.
    for (std::uint32_t attempt = 0; attempt < kNameAttempts; ++attempt) {
        const bool named = ReadModuleName(session, module);
        anyRead = anyRead || named;
        clock.SleepMs(kModulePauseMs);
        if (anyRead) {
            break;
        }
    }
    return anyRead;
}

}  // namespace

bool Identify(BusSession& session, std::uint8_t slot)
{
    const bool isUnit = slot == kIdentifyUnit;
    if (!isUnit && slot >= BusSession::kModuleSlots) {
        return false;
    }
    ModuleInfo& station = isUnit ? session.unit : session.modules[slot];
    if (station.present == 0) {
        return false;
    }
    for (std::uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
        BusMessage request;
        FillIdentity(session, request, station.address, kReadRequestLength, kIdentityOperand);
        const BusMessage* answer = session.TransactTimed(request, 0, 50);
        session.clock().SleepMs(kModulePauseMs);
        if (answer == nullptr || answer->Command() != kAnsIdentity) {
            continue;
        }
        // Keypads name their serial number as a text; the others fill the 14-byte field.
        const bool keypad = !isUnit && (station.type == kModuleTypeKeypad || IsIdentityOnlyModuleAddress(station.address));
        const auto serial = keypad ? SerialText(answer->DataBytes()) : SerialField(*answer);
        if (!serial) {
            continue;
        }
        if (isUnit) {
            TakeUnitIdentity(session, *answer, *serial);
        } else {
            station.version = answer->Operand1();
            station.serial = *serial;
        }
        return true;
    }
    return false;
}

bool ReadModuleInfo(BusSession& session, std::uint8_t slot)
{
    switch (slot) {
    case kUnitExtraSlot:
        return ReadUnitBlock(session, kUnitExtraOperand, BusSession::kUnitExtraBytes, TakeUnitExtraBlock);
    case kUnitInformationSlot:
        return ReadUnitBlock(session, kUnitInformationOperand, BusSession::kUnitInformationBytes,
                             TakeUnitInformation);
    default:
        return slot < BusSession::kModuleSlots && session.modules[slot].address != 0 && ReadModule(session, slot);
    }
}

}  // namespace quorfw
