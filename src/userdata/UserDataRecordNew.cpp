#include "userdata/UserDataRecordNew.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

std::optional<USERDATARECORDNEW> USERDATARECORDNEW::Read(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kSize) {
        return std::nullopt;
    }
    const auto older = USERDATARECORD::Read(bytes);
    USERDATARECORDNEW record;
    record.userNumber = older->userNumber;
    record.byte1 = older->byte1;
    record.templateMask = older->templateMask;
    record.name = older->name;
    record.extraMask = ReadLe16(&bytes[kExtraMaskOffset]);
    return record;
}

std::array<std::uint8_t, USERDATARECORDNEW::kSize> USERDATARECORDNEW::Bytes() const
{
    const USERDATARECORD older{userNumber, byte1, templateMask, name};
    const auto head = older.Bytes();
    std::array<std::uint8_t, kSize> out{};
    std::copy(head.begin(), head.end(), out.begin());
    WriteLe16(&out[kExtraMaskOffset], extraMask);
    return out;
}

USERDATARECORDNEW USERDATARECORDNEW::FromOlder(const USERDATARECORD& older)
{
    USERDATARECORDNEW record;
    record.userNumber = older.userNumber;
    record.byte1 = older.byte1;
    record.templateMask = older.templateMask;
    record.name = older.name;
    record.name.back() = 0;
    record.extraMask = 0;
    return record;
}

std::string USERDATARECORDNEW::NameText() const
{
    const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
    return std::string(name.begin(), end);
}

bool USERDATARECORDNEW::HasTemplateInSlot(unsigned slot) const
{
    if (slot < kFirstExtraSlot) {
        return MaskHasSlot(templateMask, slot);
    }
    if (slot < kSlots) {
        return ((extraMask >> (slot - kFirstExtraSlot)) & 1u) != 0;
    }
    return false;
}

}  // namespace quorfw
