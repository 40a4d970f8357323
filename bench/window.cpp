// Start-up of the main window with 100 packages of 1 MiB in its folder, and the longest
// stall of the window's thread while the simulated installation is updated in real time
// (a 10 ms timer on that thread measures it).
// Usage: QUORFW_BINARY_DIR=build/default bench_window
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/MainCommands.h"
#include "tests/gui/WindowFixture.h"

using namespace quorfw;
using namespace quorfw::test;

namespace {

constexpr int kPackageCount = 100;

bool WritePackage(const std::filesystem::path& path, const std::string& manifest, const std::filesystem::path& base)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!BuildPackageFromManifest(manifest, base, false, bytes, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

struct Folder {
    std::filesystem::path path;
    explicit Folder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / ("quorfw-bench-" + std::to_string(::getpid()) + "-" + name))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

WindowContext Context(MemorySettingsStore& settings, Clock& clock, Transport& transport, WindowPrompts& prompts,
                      const std::filesystem::path& folder)
{
    (void)settings.WriteString(kSettingPath, folder.string() + "/");
    (void)settings.WriteInt(kSettingShowDownload, 0);
    return WindowContext{settings, [](const char*) { return std::optional<std::string>{}; }, clock, transport,
                         prompts, folder / "no-baud-rate-file", [](const QUrl&) { return false; }};
}

double StartupMs()
{
    Folder folder("startup");
    std::string manifest = InstallationPackageManifest("Big", {"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"});
    manifest.replace(manifest.find("size=12K"), 8, "size=1M");
    const auto first = folder.path / "p000.qup";
    if (!WritePackage(first, manifest, folder.path)) {
        return -1;
    }
    std::printf("package file: %ju bytes\n", static_cast<std::uintmax_t>(std::filesystem::file_size(first)));
    for (int i = 1; i < kPackageCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.qup", i);
        std::filesystem::copy_file(first, folder.path / name);
    }
    // Read once so that the figure is the window's work, not the first disk read.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<char> sink(std::istreambuf_iterator<char>(in), {});
    }

    MemorySettingsStore settings;
    SystemClock clock;
    ConverterHub hub;
    (void)hub.Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(clock, 7));
    ScriptedPrompts prompts;
    QElapsedTimer timer;
    timer.start();
    CModuleUpdate2Dlg dlg(Context(settings, clock, hub, prompts, folder.path));
    dlg.show();
    QCoreApplication::processEvents();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (dlg.model().packages.size() != kPackageCount) {
        std::fprintf(stderr, "loaded %zu packages\n", dlg.model().packages.size());
        return -1;
    }
    return ms;
}

bool RunAndMeasure(CModuleUpdate2Dlg& dlg, std::uint32_t command, double& longestGapMs)
{
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&dlg, &CModuleUpdate2Dlg::operationEnded, &loop, [&](bool ok) {
        succeeded = ok;
        loop.quit();
    });
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        longestGapMs = std::max(longestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    dlg.RunCommand(command);
    sinceTick.start();
    tick.start(10);
    if (dlg.OperationRunning()) {
        loop.exec();
    }
    return succeeded;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QByteArray binary = qgetenv("QUORFW_BINARY_DIR");
    (void)SetUpUiStrings(std::filesystem::path(binary.toStdString()) / "src/app/lang", "en_US.UTF-8");

    const double startup = StartupMs();
    std::printf("start-up to a usable window, %d x 1 MiB packages: %.1f ms (aim <= 500 ms)\n", kPackageCount, startup);

    Folder folder("stall");
    if (!WritePackage(folder.path / "p.qup",
                      InstallationPackageManifest("Small", {"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"}),
                      folder.path)) {
        return 1;
    }
    MemorySettingsStore settings;
    SystemClock clock;
    ConverterHub hub;
    (void)hub.Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(clock, 7));
    ScriptedPrompts prompts;
    CModuleUpdate2Dlg dlg(Context(settings, clock, hub, prompts, folder.path));
    dlg.show();
    double scanGap = 0;
    double updateGap = 0;
    QElapsedTimer run;
    run.start();
    const bool scanned = RunAndMeasure(dlg, kCommandScan, scanGap);
    const bool updated = scanned && RunAndMeasure(dlg, kCommandUpdate, updateGap);
    std::printf("scan and update in real time: %s in %.1f s\n", updated ? "succeeded" : "FAILED",
                static_cast<double>(run.elapsed()) / 1000.0);
    std::printf("longest gap between 10 ms ticks of the window's thread: scan %.1f ms, update %.1f ms; "
                "longest stall %.1f ms (aim <= 50 ms)\n",
                scanGap, updateGap, std::max(scanGap, updateGap) - 10.0);
    return startup >= 0 && updated ? 0 : 1;
}
