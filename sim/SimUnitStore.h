#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "sim/SimStoreConfig.h"

namespace quorfw {

// What a simulated unit keeps and the tool reads and writes: users (16- or 18-byte records
// by the unit's firmware version), the templates its modules hold, the access log, the unit
// data blocks and the page area. Reads are served from here; writes change it.
class SimUnitStore {
public:
    static constexpr std::size_t kLogRecordBytes = 38;
    static constexpr std::size_t kPageAreaBytes = 1188;
    static constexpr std::size_t kPageBytes = 512;

    explicit SimUnitStore(std::uint32_t unitVersion);

    // Deterministic demo contents: three users with finger templates on the first module
    // whose address has one of bits 28-30 set, one of them with a template on the bit-31
    // module, five log entries, patterned unit data blocks and page area.
    void FillDemo(const std::vector<std::uint32_t>& moduleAddresses);
    // Contents as an installation describes them; a template whose slot no module holds
    // (or the unit's format cannot carry) is left out.
    void Fill(const SimStoreConfig& config, const std::vector<std::uint32_t>& moduleAddresses);

    [[nodiscard]] bool NewFormat() const { return newFormat_; }
    [[nodiscard]] std::size_t UserRecordBytes() const { return newFormat_ ? 18 : 16; }
    [[nodiscard]] std::size_t Block2Bytes() const { return newFormat_ ? 33 : 17; }

    // User records, each UserRecordBytes() long.
    std::vector<std::vector<std::uint8_t>> users;
    std::vector<std::array<std::uint8_t, kLogRecordBytes>> log;
    // Template bytes by (module address, templateSelector).
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> templates;
    // Unit data blocks by their read selector: 2 (40 bytes), 3 (104), 4 (17 or 33), 8 (1), 9 (161).
    std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;
    std::array<std::uint8_t, kPageAreaBytes> pageArea{};

    // Records per answer of a paged user or log read; bytes per template part.
    std::size_t recordsPerPage = 8;
    std::size_t templatePartBytes = 600;

    // Answer code of a data-block read by read selector (1, 2, 3, 4, 5, 8, 9); 0x87 when not listed.
    std::map<std::uint32_t, std::uint8_t> blockAnswerCodes;

    // The page the next page-area read hands out (the unit counts, the tool asks the same).
    std::uint32_t nextPage = 0;

    // Read selector of the block a write selector stores, or nothing for an unknown one.
    [[nodiscard]] static std::optional<std::uint32_t> ReadSelectorOfWrite(std::uint32_t writeSelector);
    // Size a block of this read selector has on this unit.
    [[nodiscard]] std::size_t BlockBytes(std::uint32_t readSelector) const;

private:
    bool newFormat_;
};

}  // namespace quorfw
