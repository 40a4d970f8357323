#include <cstdio>
#include <string>
#include <vector>

#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "common/ProgramVersion.h"

int main(int, char**)
{
    std::printf("quorfwupdate %s\n", quorfw::kProgramVersion);

    quorfw::SystemClock clock;
    const auto hub = quorfw::ConverterHub::WithHardware(clock);
    const std::vector<std::string> converters = hub->Enumerate();
    if (converters.empty()) {
        std::printf("no converters found\n");
    }
    for (const std::string& id : converters) {
        std::printf("%s\n", id.c_str());
    }
    return 0;
}
