#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bus/BusMessage.h"

namespace quorfw {

// The station end of a firmware transfer: start, numbered blocks, end and, for archives,
// the commit. Checks what the tool sends as the bus lays it out (block CRC-32 and CRC-8,
// end CRC-8, commit CRC register and length), keeps the received image and, once verified,
// unpacks it into the image the station installs at its next restart.
//
// Block forms. The standard form (operand1 = offset, a CRC-32 before the data) and the
// keypad form (operand1 = block number, no CRC-32) look alike from the outside. A keypad
// transfer always uses the keypad form; otherwise the first block decides: the standard
// form when its leading four bytes are the CRC-32 of the rest (and, outside archives, operand2
// holds the rest's CRC-8), else the keypad form. Later blocks must keep that form.
//
// Raw or compressed. An archive is taken as LZO1F when it decompresses with
// lzo1f_decompress_safe to the end of its input without error, and as raw bytes otherwise:
// raw firmware practically never ends exactly on a valid LZO end marker. A device
// container is recognised by its 12-byte header (packed length + 12, 0, container length):
// its payload is raw when it is exactly the container length long.
class SimTransferReceiver {
public:
    enum class Mode { Unit, Keypad, Archive };
    enum class Form { Unknown, Standard, Keypad };

    // A station's memory for one image; more is refused.
    static constexpr std::size_t kMaxImageBytes = 4 * 1024 * 1024;

    struct Answer {
        std::uint8_t code = 0;
        std::uint32_t operand1 = 0;
        std::uint32_t operand2 = 0;
    };

    // What the tool's transfer has done to this station so far.
    struct Counters {
        std::uint32_t starts = 0;
        std::uint32_t blocks = 0;           // blocks taken in (duplicates not counted)
        std::uint32_t duplicateBlocks = 0;  // a block sent again after its answer was lost
        std::uint32_t refusedBlocks = 0;
        std::uint32_t ends = 0;
        std::uint32_t commits = 0;
    };

    // The answer code the station acknowledges blocks with (0x81, 0x82, 0x05 or 0x35).
    void SetBlockAnswer(std::uint8_t code) { blockAnswer_ = code; }
    // A write fault: the block taken in as number `index` (from 0) of the next transfers is
    // answered 0x85 once.
    void RefuseBlockOnce(std::uint32_t index) { refuseBlock_ = index; }

    // Answers to the transfer commands 0x17, 0x18, 0x19 and 0x09; nothing for others.
    [[nodiscard]] std::optional<Answer> OnRequest(const BusMessage& request);
    // The transfer abort (0x64 with operands 0): the transfer in progress is dropped.
    void Abort();

    // A whole image arrived and passed its end or commit checks; it is installed at the
    // next restart.
    [[nodiscard]] bool ImageVerified() const { return verified_; }
    [[nodiscard]] Mode LastMode() const { return mode_; }
    [[nodiscard]] Form LastForm() const { return form_; }
    [[nodiscard]] const std::string& LastName() const { return name_; }
    [[nodiscard]] std::uint32_t AnnouncedBlocks() const { return announced_; }
    [[nodiscard]] std::uint32_t TransferType() const { return transferType_; }
    // Bytes as they came in blocks.
    [[nodiscard]] const std::vector<std::uint8_t>& Received() const { return received_; }
    // The verified image unpacked: the decompressed archive, the device container, or the
    // received bytes of a unit or keypad transfer.
    [[nodiscard]] const std::vector<std::uint8_t>& Unpacked() const { return unpacked_; }
    [[nodiscard]] bool WasCompressed() const { return compressed_; }
    [[nodiscard]] bool WasDeviceContainer() const { return deviceContainer_; }
    // The firmware version written into the unpacked image (its configuration area, or
    // the BCD version of a device container); nothing for images that carry none.
    [[nodiscard]] std::optional<std::uint32_t> ImageVersion() const { return imageVersion_; }
    // The information block the tool wrote into the unpacked image's configuration area
    // (388 bytes), or nothing.
    [[nodiscard]] std::span<const std::uint8_t> Configuration() const;
    [[nodiscard]] const Counters& Count() const { return counters_; }

    // Takes the verified image for installation: ImageVerified() is false afterwards.
    [[nodiscard]] std::optional<std::uint32_t> TakeVerifiedVersion();

private:
    [[nodiscard]] Answer OnStart(const BusMessage& request);
    [[nodiscard]] Answer OnBlock(const BusMessage& request);
    [[nodiscard]] Answer OnEnd(const BusMessage& request);
    [[nodiscard]] Answer OnCommit(const BusMessage& request);
    [[nodiscard]] bool DecideForm(const BusMessage& request);
    [[nodiscard]] bool BlockChecksOut(const BusMessage& request) const;
    [[nodiscard]] bool TakeBlock(const BusMessage& request);
    void Unpack();

    std::uint8_t blockAnswer_ = 0x82;
    std::optional<std::uint32_t> refuseBlock_;
    bool active_ = false;
    bool verified_ = false;
    Mode mode_ = Mode::Archive;
    Form form_ = Form::Unknown;
    std::string name_;
    std::uint32_t announced_ = 0;
    std::uint32_t transferType_ = 0;
    std::vector<std::uint8_t> received_;
    std::uint32_t nextBlock_ = 0;
    std::size_t lastBlockOffset_ = 0;
    std::size_t lastBlockLength_ = 0;
    std::vector<std::uint8_t> unpacked_;
    bool compressed_ = false;
    bool deviceContainer_ = false;
    std::optional<std::uint32_t> imageVersion_;
    std::optional<std::size_t> configurationOffset_;
    Counters counters_;
};

}  // namespace quorfw
