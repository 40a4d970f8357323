#include "userdata/UserDataSet.h"

namespace quorfw {

bool USERDATAWITHFINGER::AnnouncesTemplate(std::uint8_t formatByte) const
{
    const unsigned slots = TemplateSlotCount(formatByte);
    for (unsigned slot = 0; slot < slots; ++slot) {
        const bool announced =
            formatByte == kBackupFormatNewer ? recordNew.HasTemplateInSlot(slot) : record.HasTemplateInSlot(slot);
        if (announced) {
            return true;
        }
    }
    return false;
}

unsigned USERDATAWITHFINGER::TemplatesInSlots(unsigned first, unsigned last) const
{
    unsigned count = 0;
    for (unsigned slot = first; slot <= last && slot < templates.size(); ++slot) {
        if (!templates[slot].empty()) {
            ++count;
        }
    }
    return count;
}

void UserDataSet::ZeroUnitType3Blocks()
{
    unitBlock4 = {};
    unitBlock9 = {};
    unitBlock10 = {};
}

}  // namespace quorfw
