// Renders the main window offscreen into PNG files: after a scan of the simulated
// installation, while it is being updated and after; the about splash, the version list and
// the package information window. Usage: quorfw-window-screenshots DIR
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

#include "app/MainCommands.h"
#include "gui/AboutSplash.h"
#include "gui/CShowInfoDlg.h"
#include "gui/CSplashScreenEx.h"
#include "gui/CUpdateListDlg.h"
#include "tests/gui/WindowFixture.h"

using namespace quorfw;
using namespace quorfw::test;

namespace {

bool Save(QWidget& widget, const QString& path)
{
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

void WaitForEnd(CModuleUpdate2Dlg& dlg)
{
    QEventLoop loop;
    QObject::connect(&dlg, &CModuleUpdate2Dlg::operationEnded, &loop, &QEventLoop::quit);
    if (dlg.OperationRunning()) {
        loop.exec();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorfw-window-screenshots DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const QByteArray binary = qgetenv("QUORFW_BINARY_DIR");
    (void)SetUpUiStrings(std::filesystem::path(binary.toStdString()) / "src/app/lang", "en_US.UTF-8");

    WindowBench bench("screenshots");
    (void)bench.settings.WriteString(kSettingLastUpdate, "27.05.2026 12:00:00");
    // Large enough images that the update can be caught while a module is being programmed.
    std::string manifest = InstallationPackageManifest("May 2026", {"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"});
    manifest.replace(manifest.find("size=12K"), 8, "size=900K");
    manifest += "[section 6]\ndata = text Firmware for the control unit, both finger scanners and the keypad.\n";
    if (!bench.AddPackage("installation.qup", manifest)) {
        return 1;
    }
    CModuleUpdate2Dlg& dlg = bench.Open();
    dlg.resize(900, 440);

    dlg.RunCommand(kCommandScan);
    WaitForEnd(dlg);
    bool ok = Save(dlg, dir + "/window-scanned.png");

    // During the update: once module 0 is being programmed and its transfer is under way.
    bool programming = false;
    bool grabbed = false;
    QObject::connect(&dlg, &CModuleUpdate2Dlg::stepsShown, &dlg, [&](int done, int) { programming = done == 2; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (!grabbed && programming && dlg.model().SessionProgress() >= 40) {
            grabbed = true;
            dlg.ShowSessionProgress();
            ok = Save(dlg, dir + "/window-updating.png") && ok;
        }
    });
    poll.start(0);
    dlg.RunCommand(kCommandUpdate);
    WaitForEnd(dlg);
    if (!grabbed) {
        std::fprintf(stderr, "the update ended before it could be caught\n");
        ok = false;
    }
    ok = Save(dlg, dir + "/window-updated.png") && ok;

    CSplashScreenEx* splash = CreateAboutSplash(&dlg, ProcessUiTexts()->LanguageFolder());
    ok = Save(*splash, dir + "/about.png") && ok;
    delete splash;

    // The version list and the information window as the window opens them, without their
    // modal loops.
    (void)bench.AddPackage("older.qup", InstallationPackageManifest("April 2026", {"2.5.3.0", "6.4.9.5", "3.0.4.10", "1.2.0.5"}));
    dlg.ReloadPackages();
    CUpdateListDlg& versions = dlg.VersionsDialog();
    versions.SetPackages(dlg.model().packages);
    versions.show();
    QCoreApplication::processEvents();
    ok = Save(versions, dir + "/version-list.png") && ok;
    versions.hide();
    CShowInfoDlg& info = dlg.InfoDialog();
    info.SetPackage(dlg.model().packages.front());
    info.show();
    QCoreApplication::processEvents();
    ok = Save(info, dir + "/package-information.png") && ok;
    info.hide();
    return ok ? 0 : 1;
}
