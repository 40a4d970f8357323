#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "bus/BusCommandCodes.h"

namespace quorfw {

// Transfer commands and answers are in bus/BusCommandCodes.h; these are the kinds and
// addresses the transfer modes travel with.
inline constexpr std::uint8_t kTransferKindPlain = 0xC0;
inline constexpr std::uint8_t kTransferKindArchive = 0x80;

inline constexpr std::uint32_t kUnitTransferSource = 0xA0000000;
inline constexpr std::uint32_t kKeypadTransferSource = 0x20000000;

// The end command's operand1 when no image CRC-8 is sent.
inline constexpr std::uint32_t kEndMarker = 420;

// The session's unit type that selects the keypad block form. A keypad transfer sets it.
inline constexpr std::uint32_t kKeypadUnitType = 7;

inline constexpr std::uint32_t kKeypadBlockSize = 512;
inline constexpr std::uint32_t kKeypadImageLimit = 131072;
inline constexpr std::size_t kKeypadLeadLength = 32;
inline constexpr std::uint32_t kArchiveBlockSize = 800;

// Block request lengths: header and operands (27), plus the leading CRC-32 in the standard form.
inline constexpr std::size_t kKeypadBlockOverhead = 27;
inline constexpr std::size_t kStandardBlockOverhead = 31;
inline constexpr std::size_t kBlockCrc32Length = 4;

enum class TransferMode { Unit, Keypad, Archive };

// "IE" anywhere in the name is the unit's controller, else "keypad" a keypad, else an archive.
[[nodiscard]] TransferMode TransferModeFromName(std::string_view name);

// One row of the unit table. A limit of 0 is a unit whose firmware is not transferred.
struct UnitTransferRow {
    std::uint32_t blockSize;
    std::uint32_t transferType;
    std::uint32_t imageLimit;
};

// The row for a unit type; `kindCode` is byte 85 of the unit information block, which
// switches types 2 and 8 to transfer type 10. No row for a type the table does not know.
[[nodiscard]] std::optional<UnitTransferRow> UnitTransferRowFor(std::uint32_t unitType, std::uint8_t kindCode);

// ceil(length / blockSize): what the start command announces, taken from the image before
// any fill or limit.
[[nodiscard]] std::uint32_t AnnouncedBlockCount(std::size_t imageLength, std::uint32_t blockSize);

// 32 bytes 0xFF, the image, then 0xFF up to the next multiple of 512; an image that already
// ends on a multiple gets a whole block of 0xFF more.
[[nodiscard]] std::vector<std::uint8_t> BuildKeypadImage(std::span<const std::uint8_t> image);

// Everything a transfer needs before its first request goes out.
struct TransferPlan {
    TransferMode mode = TransferMode::Archive;
    std::uint32_t source = 0;
    std::uint8_t kind = kTransferKindArchive;
    std::uint32_t blockSize = 0;
    std::uint32_t transferType = 0;
    std::uint32_t announcedBlocks = 0;
    // The session's unit type from this transfer on (7 after a keypad transfer).
    std::uint32_t unitType = 0;
    // Blocks carry a block number and no CRC-32 (the session's unit type is 7).
    bool keypadForm = false;
    // Blocks carry the CRC-8 of their data in operand2. Blocks in the standard form (not
    // keypadForm) are always preceded by the CRC-32 of their data.
    bool blockCrc8 = false;
    // The bytes that travel in blocks (after the keypad fill and the limit).
    std::vector<std::uint8_t> sentImage;
    // operand1 of the end command.
    std::uint32_t endOperand = kEndMarker;
    // An archive transfer ends with the commit.
    bool commit = false;
};

struct TransferPlanInput {
    std::span<const std::uint8_t> image;
    std::string_view name;
    std::uint32_t unitType = 0;
    std::uint8_t unitKindCode = 0;
    std::uint32_t ownAddress = 0;
};

// No plan for an empty image, for a unit type without a table row, or for a unit whose
// image limit is 0: nothing of such a transfer could reach the target, so nothing is sent
// rather than a start and an end that would claim success.
[[nodiscard]] std::optional<TransferPlan> PlanTransfer(const TransferPlanInput& input);

// The variable fields of one block request.
struct BlockRequest {
    std::uint16_t length = 0;
    std::uint32_t operand1 = 0;
    std::uint32_t operand2 = 0;
    std::vector<std::uint8_t> data;
};

// The request for the block at `offset` (block number `blockNumber`) of the plan's image;
// the last block is shorter. `offset` must lie below the image length.
[[nodiscard]] BlockRequest PlanBlock(const TransferPlan& plan, std::uint32_t blockNumber, std::size_t offset);

// Transfer progress in percent: block size x 100 per acknowledged block over the image
// length, so the last block may show a little above 100.
[[nodiscard]] std::uint32_t TransferProgress(std::uint32_t ackedBlocks, std::uint32_t blockSize, std::size_t imageLength);

// Hold requests to the unit are due before every eleventh block attempt of a module transfer.
inline constexpr std::uint32_t kAttemptsPerHold = 11;

}  // namespace quorfw
