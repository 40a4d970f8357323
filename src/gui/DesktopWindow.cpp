#include "gui/DesktopWindow.h"

#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "gui/CModuleUpdate2Dlg.h"
#include "gui/WindowPrompts.h"

namespace quorfw {

namespace {

constexpr const char* kNoDisplayText =
    "quorfwupdate: no display to open the window on. The command line works without one:\n"
    "  quorfwupdate help\n";

bool Named(const EnvironmentLookup& env, const char* name)
{
    const auto value = env(name);
    return value && !value->empty();
}

// A display that is named but cannot be reached makes the platform set-up fail fatally;
// the program then ends as it does without a display instead of aborting.
void PlatformMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplayText, stderr);
        std::_Exit(kExitNoDisplay);
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

bool DisplayAvailable(const EnvironmentLookup& env)
{
    return Named(env, "QT_QPA_PLATFORM") || Named(env, "DISPLAY") || Named(env, "WAYLAND_DISPLAY");
}

int RunDesktopWindow(int& argc, char** argv, const DesktopWindowSetup& setup)
{
    if (!DisplayAvailable(setup.env)) {
        std::fputs(kNoDisplayText, stderr);
        return kExitNoDisplay;
    }
    const QtMessageHandler previous = qInstallMessageHandler(PlatformMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);

    MessageBoxPrompts prompts;
    CModuleUpdate2Dlg dlg(WindowContext{setup.settings, setup.env, setup.clock, setup.transport, prompts,
                                        setup.baudRateFile, DesktopUrlOpener()});
    dlg.exec();
    return 0;
}

}  // namespace quorfw
