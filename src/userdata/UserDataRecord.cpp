#include "userdata/UserDataRecord.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

std::optional<USERDATARECORD> USERDATARECORD::Read(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kSize) {
        return std::nullopt;
    }
    USERDATARECORD record;
    record.userNumber = bytes[kUserNumberOffset];
    record.byte1 = bytes[kByte1Offset];
    record.templateMask = ReadLe32(&bytes[kTemplateMaskOffset]);
    std::copy_n(&bytes[kNameOffset], kNameSize, record.name.begin());
    return record;
}

std::array<std::uint8_t, USERDATARECORD::kSize> USERDATARECORD::Bytes() const
{
    std::array<std::uint8_t, kSize> out{};
    out[kUserNumberOffset] = userNumber;
    out[kByte1Offset] = byte1;
    WriteLe32(&out[kTemplateMaskOffset], templateMask);
    std::copy(name.begin(), name.end(), out.begin() + kNameOffset);
    return out;
}

std::string USERDATARECORD::NameText() const
{
    const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
    return std::string(name.begin(), end);
}

bool USERDATARECORD::HasTemplateInSlot(unsigned slot) const
{
    return MaskHasSlot(templateMask, slot);
}

}  // namespace quorfw
