#include "bus/TemplateCommands.h"

#include <algorithm>

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/PagedRead.h"
#include "bus/UnansweredBudget.h"
#include "userdata/TemplateSlots.h"

namespace quorfw {

namespace {

constexpr std::uint16_t kTemplateEmptyLength = 27;
constexpr std::uint8_t kFlagsTemplateRead = 0x81;
constexpr std::uint8_t kFlagsTemplateWrite = 0x80;
constexpr std::size_t kMaxPart = kMaxRequestLength - kBareRequestLength;

}  // namespace

bool ReadTemplate(BusSession& session, std::uint8_t slot, std::uint32_t templateSelector)
{
    if (slot >= BusSession::kModuleSlots || session.modules[slot].address == 0) {
        return false;
    }
    const std::uint32_t address = session.modules[slot].address;
    session.templateLength = 0;
    PagedRead read;
    read.fill = [&session, address, templateSelector](BusMessage& request, std::uint32_t part) {
        FillRequest(session.link, request, kReadRequestLength, session.link.ownAddress, address, kCmdTemplateRead,
                    templateSelector, part, kFlagsTemplateRead, kKindSeedScrambled);
    };
    read.blockAnswer = kAnsTemplate;
    read.emptyLength = kTemplateEmptyLength;
    read.take = [&session](std::span<const std::uint8_t> data) {
        const std::size_t used = session.templateLength;
        if (data.size() > session.templateBuffer.size() - used) {
            return false;
        }
        std::copy(data.begin(), data.end(), session.templateBuffer.begin() + static_cast<std::ptrdiff_t>(used));
        session.templateLength = static_cast<std::uint16_t>(used + data.size());
        return true;
    };
    return RunPagedRead(session, read);
}

bool WriteTemplate(BusSession& session, std::uint32_t templateSelector, std::uint32_t part,
                   std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kMaxPart) {
        return false;
    }
    const std::uint32_t group = TemplateSelectorGroup(templateSelector);
    UnansweredBudget budget(session);
    for (const ModuleInfo& module : session.modules) {
        if (module.present == 0 || !ModuleTakesTemplateGroup(group, module.address)) {
            continue;
        }
        const bool accepted = budget.SendUntilAnswered([&](BusMessage& request) {
            FillRequest(session.link, request, static_cast<std::uint16_t>(kBareRequestLength + bytes.size()),
                        session.link.ownAddress, module.address, kCmdTemplateWrite, templateSelector, part,
                        kFlagsTemplateWrite, kKindSeedScrambled);
            std::copy(bytes.begin(), bytes.end(), request.Data());
        }, [](std::uint8_t code) { return code == kAnsDone || code == kAnsPartAccepted; });
        if (!accepted) {
            return false;
        }
    }
    return true;
}

}  // namespace quorfw
