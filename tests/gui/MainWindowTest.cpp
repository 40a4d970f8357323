#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "app/MainCommands.h"
#include "app/UiStringIds.h"
#include "tests/gui/WindowFixture.h"

namespace quorfw::test {

namespace {

constexpr int kRunTimeoutMs = 60000;
const std::vector<std::string> kNewerVersions{"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"};

QString Cell(CModuleUpdate2Dlg& dlg, int id)
{
    auto* cell = dlg.findChild<QLineEdit*>(QString::number(id));
    return cell != nullptr ? cell->text() : QStringLiteral("<missing %1>").arg(id);
}

bool CellVisible(CModuleUpdate2Dlg& dlg, int id)
{
    auto* cell = dlg.findChild<QLineEdit*>(QString::number(id));
    return cell != nullptr && cell->isVisible();
}

QComboBox* Selector(CModuleUpdate2Dlg& dlg, int id)
{
    return dlg.findChild<QComboBox*>(QString::number(id));
}

bool Enabled(CModuleUpdate2Dlg& dlg, std::uint32_t command)
{
    return dlg.CommandAction(command)->isEnabled();
}

// Runs a command from the toolbar, as a click does, and waits until its worker has ended.
bool RunToEnd(CModuleUpdate2Dlg& dlg, std::uint32_t command)
{
    dlg.CommandAction(command)->trigger();
    if (!dlg.OperationRunning()) {
        return false;
    }
    QSignalSpy ended(&dlg, &CModuleUpdate2Dlg::operationEnded);
    return ended.wait(kRunTimeoutMs) && ended.first().first().toBool();
}

QString Text(std::uint32_t id)
{
    return QString::fromStdString(LoadUiString(id));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        QVERIFY(binary != nullptr);
        (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    }

    void startShowsEveryControlAndTheReminder()
    {
        WindowBench bench("start");
        CModuleUpdate2Dlg& dlg = bench.Open();

        const int cells[] = {1008, 1009, 1023, 1021, 1046, 1012, 1013, 1024, 1022, 1047, 1014, 1015, 1025,
                             1018, 1048, 1016, 1017, 1026, 1020, 1049, 1010, 1011, 1042, 1050, 1057};
        for (int id : cells) {
            QVERIFY2(dlg.findChild<QLineEdit*>(QString::number(id)) != nullptr, qPrintable(QString::number(id)));
        }
        // Rows 4-7 exist, are empty and never shown.
        for (int id : {1019, 1028, 1032, 1030, 1051, 1033, 1034, 1036, 1035, 1052, 1037, 1038, 1040, 1039, 1053,
                       1041, 1043, 1059, 1054, 1058}) {
            QVERIFY2(Cell(dlg, id).isEmpty() && !CellVisible(dlg, id), qPrintable(QString::number(id)));
        }
        const std::pair<int, std::uint32_t> labels[] = {
            {1027, kTextConverterLabel}, {1029, kTextSerialColumn}, {1031, kTextVersionColumn},
            {1044, kTextAvailableColumn}, {1045, kTextUpdateColumn}};
        for (const auto& [id, text] : labels) {
            QCOMPARE(dlg.findChild<QLabel*>(QString::number(id))->text(), Text(text));
        }
        QCOMPARE(dlg.findChild<QProgressBar*>("1002")->maximum(), 100);
        QVERIFY(!dlg.findChild<QPushButton*>("1056")->isEnabled());

        // Twelve buttons in toolbar order with their texts and tool tips.
        const QList<QAction*> actions = dlg.findChild<QToolBar*>("59392")->actions();
        QCOMPARE(actions.size(), 12);
        const std::uint32_t order[] = {1066, 1067, 3776, 3777, 3778, 32780, 3779, 32781, 32782, 32783, 32784, 32785};
        for (std::size_t i = 0; i < 12; ++i) {
            QCOMPARE(actions[static_cast<qsizetype>(i)]->objectName(), QString::number(order[i]));
            QCOMPARE(actions[static_cast<qsizetype>(i)]->text(), Text(kToolbarCommands[i].textId));
            QVERIFY(!actions[static_cast<qsizetype>(i)]->toolTip().isEmpty());
        }

        QCOMPARE(Selector(dlg, 1000)->count(), 1);
        QCOMPARE(Selector(dlg, 1000)->currentText(), QStringLiteral("sim"));
        QCOMPARE(Selector(dlg, 1055)->count(), 0);
        // "LastUpdate" is absent: long past, so the reminder came and "ShowDownload" is 1 now.
        QCOMPARE(bench.prompts.messages, std::vector<std::uint32_t>{kTextDownloadReminder});
        QCOMPARE(bench.settings.ReadInt(kSettingShowDownload, 0), 1);
        QVERIFY(Enabled(dlg, kCommandScan) && Enabled(dlg, kCommandExit));
        QVERIFY(!Enabled(dlg, kCommandUpdate));
    }

    void scanThenUpdateTheSimulatedInstallation()
    {
        WindowBench bench("scan-update");
        QVERIFY(bench.AddPackage("a.qup", InstallationPackageManifest("Fits", kNewerVersions)));
        QVERIFY(bench.AddPackage("b.qup", InstallationPackageManifest("Fits too", kNewerVersions)));
        // Misses the keypad's article: not listed.
        QVERIFY(bench.AddPackage("c.qup", InstallationPackageManifest("No keypad", kNewerVersions, "100301 200501 200601")));
        CModuleUpdate2Dlg& dlg = bench.Open();

        QVERIFY(RunToEnd(dlg, kCommandScan));
        // Unit row, then module rows 0-2 as found; row 3 stays hidden.
        QCOMPARE(Cell(dlg, 1010), QStringLiteral("10030100001234"));
        QCOMPARE(Cell(dlg, 1011), QStringLiteral("2.5.3.10"));
        QCOMPARE(Cell(dlg, 1042), QStringLiteral("2.5.4.0"));
        QCOMPARE(Cell(dlg, 1050), Text(kTextUpdateOffered));
        QCOMPARE(Cell(dlg, 1008), QStringLiteral("20050100005678"));
        QCOMPARE(Cell(dlg, 1009), QStringLiteral("6.4.9.1"));
        QCOMPARE(Cell(dlg, 1021), QStringLiteral("6.4.10.0"));
        QCOMPARE(Cell(dlg, 1046), Text(kTextUpdateOffered));
        QCOMPARE(Cell(dlg, 1012), QStringLiteral("20060100009012"));
        QCOMPARE(Cell(dlg, 1014), QStringLiteral("30070100003456"));
        QCOMPARE(Cell(dlg, 1048), Text(kTextUpdateNotOffered));
        QVERIFY(CellVisible(dlg, 1010) && CellVisible(dlg, 1014) && CellVisible(dlg, 1048));
        QVERIFY(!CellVisible(dlg, 1016));
        QComboBox* packages = Selector(dlg, 1055);
        QCOMPARE(packages->count(), 2);
        QCOMPARE(packages->currentIndex(), 1);
        // The last entry is chosen; the item data is the package's index in the list.
        const int itemData = packages->currentData().toInt();
        QVERIFY(itemData >= 0);
        QCOMPARE(dlg.model().packages[static_cast<std::size_t>(itemData)].GetName(), packages->currentText().toStdString());
        QCOMPARE(dlg.findChild<QLineEdit*>("1057")->text(), packages->currentText() + " title");
        QVERIFY(packages->isEnabled() && Selector(dlg, 1000)->isEnabled());
        QVERIFY(dlg.findChild<QPushButton*>("1056")->isEnabled());
        QVERIFY(Enabled(dlg, kCommandUpdate));
        // Commands that are not wired yet are shown disabled.
        QVERIFY(!Enabled(dlg, kCommandBackup) && !Enabled(dlg, kCommandOptions));

        QSignalSpy steps(&dlg, &CModuleUpdate2Dlg::stepsShown);
        QVERIFY(RunToEnd(dlg, kCommandUpdate));
        std::vector<std::pair<int, int>> shown;
        for (const QList<QVariant>& step : steps) {
            shown.emplace_back(step[0].toInt(), step[1].toInt());
        }
        const std::vector<std::pair<int, int>> expected = {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {3, 5}, {4, 5}, {5, 5}};
        QCOMPARE(shown, expected);
        QCOMPARE(dlg.findChild<QLabel*>("pane1")->text(), QStringLiteral("Step 5 of 5"));
        QCOMPARE(bench.prompts.questions, std::vector<std::uint32_t>{kTextUpdateConfirm});
        QVERIFY(bench.prompts.Shown(kTextUpdateDone));
        // The stations came back with the new versions.
        QCOMPARE(Cell(dlg, 1011), QStringLiteral("2.5.4.0"));
        QCOMPARE(Cell(dlg, 1009), QStringLiteral("6.4.10.0"));
        QVERIFY(Cell(dlg, 1050).startsWith("Ok: "));
        QVERIFY(Cell(dlg, 1046).startsWith("Ok: "));
        QVERIFY(Cell(dlg, 1047).startsWith("Ok: "));
        QCOMPARE(Cell(dlg, 1048), Text(kTextUpdateNotOffered));
        QCOMPARE(dlg.findChild<QProgressBar*>("1002")->value(), 0);
        QVERIFY(Enabled(dlg, kCommandScan));
    }

    void closeDuringAnUpdateAnsweredNo()
    {
        WindowBench bench("close-no");
        QVERIFY(bench.AddPackage("a.qup", InstallationPackageManifest("Fits", kNewerVersions)));
        CModuleUpdate2Dlg& dlg = bench.Open();
        QVERIFY(RunToEnd(dlg, kCommandScan));
        bench.prompts.messages.clear();

        bench.prompts.yesNoAnswers = {false};
        bool asked = false;
        connect(&dlg, &CModuleUpdate2Dlg::stepsShown, &dlg, [&](int done, int) {
            if (done == 1 && !asked) {
                asked = true;
                QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
            }
        });
        QVERIFY(RunToEnd(dlg, kCommandUpdate));
        QVERIFY(asked);
        QCOMPARE(bench.prompts.questions.back(), kTextCloseWhileRunning);
        QVERIFY(dlg.isVisible());
        QCOMPARE(bench.prompts.messages, std::vector<std::uint32_t>{kTextUpdateDone});
        QVERIFY(bench.ReadFile("UpdateLog.txt").find(LoadUiString(kTextProgramClosed)) == std::string::npos);
    }

    void closeDuringAnUpdateAnsweredYes()
    {
        WindowBench bench("close-yes");
        QVERIFY(bench.AddPackage("a.qup", InstallationPackageManifest("Fits", kNewerVersions)));
        CModuleUpdate2Dlg& dlg = bench.Open();
        QVERIFY(RunToEnd(dlg, kCommandScan));
        bench.prompts.messages.clear();
        (void)bench.settings.WriteInt(kSettingUsb, 7);

        // The run stops, the window closes, logs and saves; the stopped run's failure is
        // not put in front of a user who asked to stop.
        bench.prompts.yesNoAnswers = {true};
        QSignalSpy ended(&dlg, &CModuleUpdate2Dlg::operationEnded);
        std::vector<int> steps;
        connect(&dlg, &CModuleUpdate2Dlg::stepsShown, &dlg, [&](int done, int) {
            steps.push_back(done);
            if (done == 1) {
                QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
            }
        });
        dlg.CommandAction(kCommandUpdate)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), kRunTimeoutMs);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended.first().first().toBool(), false);
        QVERIFY(!dlg.model().Busy());
        QVERIFY(steps.size() < 7);  // stopped before the end
        QCOMPARE(bench.prompts.questions.back(), kTextCloseWhileRunning);
        QVERIFY(bench.prompts.messages.empty());
        const std::string log = bench.ReadFile("UpdateLog.txt");
        QVERIFY(log.ends_with(LoadUiString(kTextProgramClosed)));
        QVERIFY(log.find(LoadUiString(kTextUpdateDone)) == std::string::npos);
        QCOMPARE(bench.settings.ReadInt(kSettingUsb, 7), 0);
        QCOMPARE(bench.settings.ReadString(kSettingPath, ""), bench.folder().string() + "/");
    }

    void storedConverterIndex_data()
    {
        QTest::addColumn<int>("usb");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("text");
        QTest::newRow("second of two") << 1 << 1 << "930105FT2";
        QTest::newRow("beyond the list") << 2 << -1 << "";
        QTest::newRow("negative") << -3 << -1 << "";
    }

    void storedConverterIndex()
    {
        QFETCH(int, usb);
        QFETCH(int, selected);
        QFETCH(QString, text);
        WindowBench bench("usb");
        ListedConverters converters({"FT1", "FT2"});
        (void)bench.settings.WriteInt(kSettingUsb, usb);
        CModuleUpdate2Dlg& dlg = bench.Open(&converters);
        QComboBox* selector = Selector(dlg, 1000);
        QCOMPARE(selector->count(), 2);
        QCOMPARE(selector->itemText(0), QStringLiteral("930105FT1"));
        QCOMPARE(selector->currentIndex(), selected);
        QCOMPARE(selector->currentText(), text);

        dlg.CommandAction(kCommandExit)->trigger();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(bench.settings.ReadInt(kSettingUsb, 99), selected);
        QVERIFY(bench.ReadFile("UpdateLog.txt").ends_with(LoadUiString(kTextProgramClosed)));
    }

    void reloadEmptiesTheSelectorUntilTheNextScan()
    {
        WindowBench bench("reload");
        QVERIFY(bench.AddPackage("a.qup", InstallationPackageManifest("Fits", kNewerVersions)));
        CModuleUpdate2Dlg& dlg = bench.Open();
        QVERIFY(RunToEnd(dlg, kCommandScan));
        QVERIFY(Enabled(dlg, kCommandUpdate));

        QVERIFY(bench.AddPackage("c.qup", InstallationPackageManifest("Newer", kNewerVersions)));
        dlg.ReloadPackages();
        QCOMPARE(Selector(dlg, 1055)->count(), 0);
        QCOMPARE(dlg.model().packages.size(), std::size_t{2});
        QVERIFY(!Enabled(dlg, kCommandUpdate));

        QVERIFY(RunToEnd(dlg, kCommandScan));
        QCOMPARE(Selector(dlg, 1055)->count(), 2);
        QVERIFY(Enabled(dlg, kCommandUpdate));
    }

    void withoutADisplayItPointsToTheCommandLine()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        QProcess program;
        QProcessEnvironment env;
        env.insert("HOME", QString::fromStdString(std::filesystem::temp_directory_path().string()));
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(binary) + "/src/app/quorfwupdate", {"--simulate"});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("quorfwupdate help"));
    }
};

}  // namespace quorfw::test

QTEST_MAIN(quorfw::test::MainWindowTest)
#include "MainWindowTest.moc"
