#include "cli/CliOperation.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "app/BaudRateFile.h"
#include "app/SettingsStore.h"
#include "cli/CliConverterHub.h"
#include "cli/CliPackageFolder.h"

namespace quorfw {

namespace {

constexpr std::chrono::milliseconds kTickPeriod{250};

std::string JoinIds(const std::vector<std::string>& ids)
{
    std::string joined;
    for (const std::string& id : ids) {
        joined += joined.empty() ? "" : ", ";
        joined += id;
    }
    return joined.empty() ? "none" : joined;
}

// A tty given by path counts as a converter even where the listing does not show it
// (pseudo-terminals, adapters under other names).
bool IsExistingTty(const std::string& id)
{
    const std::string prefix = "tty:";
    std::error_code ec;
    return id.rfind(prefix, 0) == 0 && std::filesystem::exists(id.substr(prefix.size()), ec);
}

}  // namespace

CliOperation::CliOperation(CliContext& context, std::unique_ptr<ConverterHub> hub, CliHost::Options hostOptions)
    : context_(context)
    , hub_(std::move(hub))
    , host_(context.out, context.err, hostOptions)
    , model_(std::make_unique<MainModel>(*hub_, context.clock))
{
}

CliHost::Options CliOperation::EventHostOptions(const CliArguments& arguments, const CliContext& context)
{
    CliHost::Options options;
    options.json = arguments.json;
    options.events = true;
    options.terminal = context.terminal;
    return options;
}

std::unique_ptr<CliOperation> CliOperation::Prepare(const CliArguments& arguments, CliContext& context,
                                                    CliHost::Options hostOptions, int& exitCode)
{
    std::string error;
    auto hub = MakeCliConverterHub(arguments, context, error);
    if (!hub) {
        context.err << "quorfwupdate: " << error << '\n';
        exitCode = kExitUsage;
        return nullptr;
    }
    const auto folder = ResolvePackageFolder(arguments, context, error);
    if (!folder) {
        context.err << "quorfwupdate: " << error << '\n';
        exitCode = kExitUsage;
        return nullptr;
    }

    std::unique_ptr<CliOperation> operation(new CliOperation(context, std::move(hub), hostOptions));
    MainModel& model = operation->model();
    model.converters = operation->hub_->Enumerate();

    int index = -1;
    if (arguments.converter) {
        const auto found = std::find(model.converters.begin(), model.converters.end(), *arguments.converter);
        if (found != model.converters.end()) {
            index = static_cast<int>(found - model.converters.begin());
        } else if (IsExistingTty(*arguments.converter)) {
            model.converters.push_back(*arguments.converter);
            index = static_cast<int>(model.converters.size()) - 1;
        } else {
            context.err << "quorfwupdate: unknown converter: " << *arguments.converter
                        << " (connected: " << JoinIds(model.converters) << ")\n";
            exitCode = kExitUsage;
            return nullptr;
        }
    } else if (arguments.simulate) {
        const auto found = std::find(model.converters.begin(), model.converters.end(), kCliSimulatedConverter);
        index = found != model.converters.end() ? static_cast<int>(found - model.converters.begin()) : -1;
    } else {
        index = context.settings.ReadInt(kSettingUsb, kDefaultUsb);
    }
    if (model.converters.empty()) {
        context.err << "quorfwupdate: no bus converter found. Connect one, or use --simulate.\n";
        exitCode = kExitFailed;
        return nullptr;
    }
    if (index < 0 || index >= static_cast<int>(model.converters.size())) {
        context.err << "quorfwupdate: no converter selected (the stored selection is " << index << "; connected: "
                    << JoinIds(model.converters) << "). Choose one with --converter.\n";
        exitCode = kExitUsage;
        return nullptr;
    }
    model.converterIndex = index;
    operation->converter_ = model.converters[static_cast<std::size_t>(index)];

    model.baudRate = ReadBaudRateFile(context.baudRateFile);
    // The window starts an operation on a converter that does not open and finds nothing;
    // here the user learns the real reason.
    if (!operation->hub_->Open(operation->converter_, model.baudRate)) {
        context.err << "quorfwupdate: cannot open the converter " << operation->converter_ << '\n';
        exitCode = kExitFailed;
        return nullptr;
    }
    operation->hub_->Close();

    model.packageFolder = *folder;
    model.packages = LoadCliPackages(*folder, context.err);
    model.userName = context.settings.ReadString(kSettingUsername, kDefaultUsername);
    model.downgradeAllowed =
        context.settings.ReadInt(kSettingDowngradePossible, kDefaultDowngradePossible) == kDowngradeEnabledValue;
    return operation;
}

bool CliOperation::RunToEnd(MainModel::StartResult started)
{
    switch (started) {
    case MainModel::StartResult::Started:
        break;
    case MainModel::StartResult::NoConverter:
        context_.err << "quorfwupdate: no converter selected\n";
        return false;
    case MainModel::StartResult::PreviousStillRunning:
        context_.err << "quorfwupdate: the previous operation did not end\n";
        return false;
    case MainModel::StartResult::Cancelled:
        context_.err << "quorfwupdate: cancelled\n";
        return false;
    }
    while (!model_->WaitForOperation(kTickPeriod)) {
        host_.Tick(model_->SessionProgress());
    }
    host_.FinishProgressLine();
    return model_->lastOperationSucceeded;
}

}  // namespace quorfw
