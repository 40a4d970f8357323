#include "sim/SimUnitStore.h"

#include <algorithm>
#include <cstring>

#include "common/LittleEndian.h"
#include "sim/SimRandom.h"
#include "userdata/RecordFormat.h"
#include "userdata/TemplateSlots.h"

namespace quorfw {

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    }
    return bytes;
}

std::vector<std::uint8_t> UserRecord(std::size_t size, std::uint8_t number, std::uint32_t templateMask,
                                     std::uint16_t extraMask, const char* name)
{
    std::vector<std::uint8_t> record(size, 0);
    record[0] = number;
    WriteLe32(&record[2], templateMask);
    std::memcpy(&record[6], name, std::min<std::size_t>(std::strlen(name), 9));
    if (size >= 18) {
        WriteLe16(&record[16], extraMask);
    }
    return record;
}

std::array<std::uint8_t, SimUnitStore::kLogRecordBytes> LogEntry(std::uint8_t index)
{
    std::array<std::uint8_t, SimUnitStore::kLogRecordBytes> entry{};
    entry[3] = static_cast<std::uint8_t>(index + 1);
    std::memcpy(&entry[4], "USER", 4);
    entry[8] = static_cast<std::uint8_t>('0' + index);
    std::memcpy(&entry[16], "0815", 4);
    std::memcpy(&entry[21], "01062026", 8);
    entry[30] = 1;
    std::memcpy(&entry[31], "DOOR", 4);
    entry[36] = static_cast<std::uint8_t>('0' + index % 4);
    entry[37] = static_cast<std::uint8_t>(1u << (index % 4));
    return entry;
}

}  // namespace

SimUnitStore::SimUnitStore(std::uint32_t unitVersion) : newFormat_(UsesNewRecordFormat(unitVersion))
{
    blocks[2] = std::vector<std::uint8_t>(40, 0);
    blocks[3] = std::vector<std::uint8_t>(104, 0);
    blocks[4] = std::vector<std::uint8_t>(Block2Bytes(), 0);
    blocks[8] = std::vector<std::uint8_t>(1, 0);
    blocks[9] = std::vector<std::uint8_t>(161, 0);
}

void SimUnitStore::FillDemo(const std::vector<std::uint32_t>& moduleAddresses)
{
    std::optional<std::uint32_t> fingerModule;
    std::optional<std::uint32_t> bit31Module;
    for (const std::uint32_t address : moduleAddresses) {
        if (!fingerModule && ModuleTakesTemplateGroup(0, address)) {
            fingerModule = address;
        }
        if (!bit31Module && ModuleTakesTemplateGroup(kBit31ModuleGroup, address)) {
            bit31Module = address;
        }
    }
    const std::size_t size = UserRecordBytes();
    // Slot 0 (mask group 0) and slot 2 (group 2); the third user also has slot 15 (group 12).
    users.push_back(UserRecord(size, 1, 0x001, 0, "ANNA"));
    users.push_back(UserRecord(size, 2, 0x041, 0, "BERT"));
    users.push_back(UserRecord(size, 7, 0x001, newFormat_ && bit31Module ? 0x020 : 0, "CLARA"));
    if (fingerModule) {
        templates[{*fingerModule, 0x100}] = Pattern(700, 0x11);
        templates[{*fingerModule, 0x200}] = Pattern(420, 0x22);
        templates[{*fingerModule, 0x220}] = Pattern(1250, 0x33);
        templates[{*fingerModule, 0x700}] = Pattern(64, 0x44);
    }
    if (newFormat_ && bit31Module) {
        templates[{*bit31Module, 0x7C1}] = Pattern(32, 0x55);
    }
    for (std::uint8_t i = 0; i < 5; ++i) {
        log.push_back(LogEntry(i));
    }
    for (auto& [selector, block] : blocks) {
        block = Pattern(block.size(), static_cast<std::uint8_t>(0x40 + selector));
    }
    const auto area = Pattern(kPageAreaBytes, 0x90);
    std::copy(area.begin(), area.end(), pageArea.begin());
}

void SimUnitStore::Fill(const SimStoreConfig& config, const std::vector<std::uint32_t>& moduleAddresses)
{
    users.clear();
    templates.clear();
    log.assign(config.log.begin(), config.log.end());
    std::array<std::uint32_t, 4> slots{};
    std::copy_n(moduleAddresses.begin(), std::min<std::size_t>(moduleAddresses.size(), slots.size()), slots.begin());
    const std::size_t size = UserRecordBytes();
    auto addTemplate = [&](std::uint8_t user, unsigned slot, std::vector<std::uint8_t> data) {
        const auto holder = TemplateHolderSlot(slot, newFormat_, slots);
        const auto selector = newFormat_ ? TemplateSelector(user, slot)
                                         : std::optional<std::uint32_t>((std::uint32_t{user} << 8) | (slot << 4));
        if (holder && selector && slots[*holder] != 0) {
            templates[{slots[*holder], *selector}] = std::move(data);
        }
    };
    for (const SimStoreUser& user : config.users) {
        users.push_back(UserRecord(size, user.number, user.templateMask, newFormat_ ? user.extraMask : 0,
                                   user.name.c_str()));
        users.back()[1] = user.byte1;
    }
    for (const SimStoreTemplate& t : config.templates) {
        addTemplate(t.user, t.slot, t.data);
    }
    if (config.generate) {
        const SimStoreGenerate& g = *config.generate;
        SimRandom random(g.seed);
        for (std::uint32_t i = 1; i <= g.users; ++i) {
            const auto number = static_cast<std::uint8_t>(i);
            std::uint32_t mask = 0;
            for (std::uint32_t slot = 0; slot < std::min<std::uint32_t>(g.templatesPerUser, 10); ++slot) {
                mask |= 1u << (3 * slot);
                std::vector<std::uint8_t> data(g.templateBytes);
                for (std::uint8_t& b : data) {
                    b = static_cast<std::uint8_t>(random.Below(256));
                }
                addTemplate(number, slot, std::move(data));
            }
            const std::string name = "USER" + std::to_string(i);
            users.push_back(UserRecord(size, number, mask, 0, name.c_str()));
        }
    }
    const std::pair<std::uint16_t, std::uint32_t> tags[] = {{1, 3}, {2, 4}, {3, 2}, {4, 8}, {9, 9}};
    for (const auto& [tag, selector] : tags) {
        std::vector<std::uint8_t>& block = blocks[selector];
        std::fill(block.begin(), block.end(), std::uint8_t{0});
        if (const auto given = config.blocks.find(tag); given != config.blocks.end()) {
            std::copy_n(given->second.begin(), std::min(given->second.size(), block.size()), block.begin());
        }
    }
    pageArea.fill(0);
    if (const auto given = config.blocks.find(10); given != config.blocks.end()) {
        std::copy_n(given->second.begin(), std::min(given->second.size(), pageArea.size()), pageArea.begin());
    }
}

std::optional<std::uint32_t> SimUnitStore::ReadSelectorOfWrite(std::uint32_t writeSelector)
{
    switch (writeSelector) {
    case 3:
        return 2;
    case 4:
        return 3;
    case 5:
        return 4;
    case 8:
        return 8;
    case 9:
        return 9;
    default:
        return std::nullopt;
    }
}

std::size_t SimUnitStore::BlockBytes(std::uint32_t readSelector) const
{
    const auto found = blocks.find(readSelector);
    return found == blocks.end() ? 0 : found->second.size();
}

}  // namespace quorfw
