#include "cli/CliConverterHub.h"

#include "sim/InstallationFile.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"

namespace quorfw {

namespace {

// One fixed seed: a simulated run is the same every time it is started the same way.
constexpr std::uint64_t kSimulationSeed = 1;

}  // namespace

std::unique_ptr<ConverterHub> MakeCliConverterHub(const CliArguments& arguments, CliContext& context,
                                                  std::string& error)
{
    std::unique_ptr<ConverterHub> hub = context.makeHub(context.clock);
    if (!arguments.simulate) {
        return hub;
    }
    std::unique_ptr<SimConverter> simulated;
    if (arguments.simulationFile.empty()) {
        simulated = std::make_unique<SimConverter>(context.clock, kSimulationSeed);
    } else {
        std::string reason;
        const auto config = InstallationFile::Load(arguments.simulationFile, reason);
        if (!config) {
            error = "cannot read the installation " + arguments.simulationFile + ": " + reason;
            return nullptr;
        }
        simulated = std::make_unique<SimConverter>(context.clock,
                                                   std::make_shared<SimInstallation>(*config, kSimulationSeed));
    }
    if (!hub->Register(ConverterHub::Kind::Simulated, std::move(simulated))) {
        error = "cannot add the simulated converter";
        return nullptr;
    }
    return hub;
}

}  // namespace quorfw
