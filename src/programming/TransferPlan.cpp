#include "programming/TransferPlan.h"

#include <algorithm>

#include "bus/Crc8.h"
#include "common/LittleEndian.h"
#include "programming/CRC_32.h"

namespace quorfw {

TransferMode TransferModeFromName(std::string_view name)
{
    if (name.find("IE") != std::string_view::npos)
        return TransferMode::Unit;
    if (name.find("keypad") != std::string_view::npos)
        return TransferMode::Keypad;
    return TransferMode::Archive;
}

std::optional<UnitTransferRow> UnitTransferRowFor(std::uint32_t unitType, std::uint8_t kindCode)
{
    // Types 2 and 8 share a controller whose newer kind (code 10) takes another transfer type.
    const std::uint32_t dualType = kindCode == 10 ? 10 : 7;
    switch (unitType) {
    case 1: return UnitTransferRow{128, 0, 0x7000};
    case 2: return UnitTransferRow{256, dualType, 0xE000};
    case 3: return UnitTransferRow{256, 8, 0x1E000};
    case 4: return UnitTransferRow{256, 10, 0};
    case 8: return UnitTransferRow{256, dualType, 0x1E000};
    case 9: return UnitTransferRow{128, 11, 0x7000};
    case 12: return UnitTransferRow{256, 20, 0x1E000};
    case 7: return UnitTransferRow{kKeypadBlockSize, 0, kKeypadImageLimit};
    case 5:
    case 6:
    case 10:
    case 11: return UnitTransferRow{kKeypadBlockSize, 0, 0};
    default: return std::nullopt;
    }
}

std::uint32_t AnnouncedBlockCount(std::size_t imageLength, std::uint32_t blockSize)
{
    if (blockSize == 0)
        return 0;
    return static_cast<std::uint32_t>((imageLength + blockSize - 1) / blockSize);
}

std::vector<std::uint8_t> BuildKeypadImage(std::span<const std::uint8_t> image)
{
    // Always at least one fill byte: a whole block of 0xFF when already aligned.
    const std::size_t content = kKeypadLeadLength + image.size();
    std::vector<std::uint8_t> out(content + kKeypadBlockSize - content % kKeypadBlockSize, 0xFF);
    std::copy(image.begin(), image.end(), out.begin() + kKeypadLeadLength);
    return out;
}

std::optional<TransferPlan> PlanTransfer(const TransferPlanInput& input)
{
    if (input.image.empty())
        return std::nullopt;

    TransferPlan plan;
    plan.mode = TransferModeFromName(input.name);
    plan.unitType = plan.mode == TransferMode::Keypad ? kKeypadUnitType : input.unitType;
    plan.keypadForm = plan.unitType == kKeypadUnitType;

    std::optional<std::uint32_t> limit;
    switch (plan.mode) {
    case TransferMode::Unit: {
        const auto row = UnitTransferRowFor(plan.unitType, input.unitKindCode);
        if (!row || row->imageLimit == 0)
            return std::nullopt;
        plan.source = kUnitTransferSource;
        plan.kind = kTransferKindPlain;
        plan.blockSize = row->blockSize;
        plan.transferType = row->transferType;
        limit = row->imageLimit;
        break;
    }
    case TransferMode::Keypad:
        plan.source = kKeypadTransferSource;
        plan.kind = kTransferKindPlain;
        plan.blockSize = kKeypadBlockSize;
        plan.transferType = 0;
        limit = kKeypadImageLimit;
        break;
    case TransferMode::Archive:
        plan.source = input.ownAddress;
        plan.kind = kTransferKindArchive;
        plan.blockSize = kArchiveBlockSize;
        plan.transferType = 0;
        plan.commit = true;
        break;
    }

    plan.announcedBlocks = AnnouncedBlockCount(input.image.size(), plan.blockSize);

    const bool unitOrKeypad = plan.mode != TransferMode::Archive;
    plan.blockCrc8 = unitOrKeypad;

    if (unitOrKeypad) {
        std::vector<std::uint8_t> whole = plan.keypadForm ? BuildKeypadImage(input.image)
                                                          : std::vector<std::uint8_t>(input.image.begin(), input.image.end());
        const std::size_t sent = std::min<std::size_t>(whole.size(), *limit);
        plan.sentImage.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(sent));
        // A keypad checks its whole filled image, even the part a limit kept back.
        plan.endOperand = plan.keypadForm ? Crc8(whole) : Crc8(plan.sentImage);
    } else {
        plan.sentImage.assign(input.image.begin(), input.image.end());
        plan.endOperand = kEndMarker;
    }
    return plan;
}

BlockRequest PlanBlock(const TransferPlan& plan, std::uint32_t blockNumber, std::size_t offset)
{
    BlockRequest request;
    const std::size_t available = offset < plan.sentImage.size() ? plan.sentImage.size() - offset : 0;
    const std::size_t n = std::min<std::size_t>(plan.blockSize, available);
    const std::span<const std::uint8_t> block{plan.sentImage.data() + std::min(offset, plan.sentImage.size()), n};

    request.operand2 = plan.blockCrc8 ? Crc8(block) : 0;
    if (plan.keypadForm) {
        request.length = static_cast<std::uint16_t>(n + kKeypadBlockOverhead);
        request.operand1 = blockNumber;
        request.data.assign(block.begin(), block.end());
    } else {
        request.length = static_cast<std::uint16_t>(n + kStandardBlockOverhead);
        request.operand1 = static_cast<std::uint32_t>(offset);
        request.data.resize(kBlockCrc32Length + n);
        WriteLe32(request.data.data(), CRC_32::Checksum(block));
        std::copy(block.begin(), block.end(), request.data.begin() + kBlockCrc32Length);
    }
    return request;
}

std::uint32_t TransferProgress(std::uint32_t ackedBlocks, std::uint32_t blockSize, std::size_t imageLength)
{
    if (imageLength == 0)
        return 0;
    const std::uint64_t acked = static_cast<std::uint64_t>(ackedBlocks) * blockSize * 100;
    return static_cast<std::uint32_t>(acked / imageLength);
}

}  // namespace quorfw
