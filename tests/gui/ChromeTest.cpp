#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include "app/StartupFiles.h"
#include "app/UiLanguage.h"
#include "app/UiStrings.h"
#include "app/VersionDisplay.h"
#include "gui/AboutSplash.h"
#include "gui/CDlgStatusBar.h"
#include "gui/CDlgToolBar.h"
#include "gui/CSplashScreenEx.h"
#include "gui/CUpdateListDlg.h"
#include "gui/HelpCommand.h"
#include "tools/PackageWriter.h"
#include "ui/ToolbarCommands.h"

using namespace quorfw;

namespace {

UpdateFile MakePackage(const std::string& title, const std::string& name, const std::string& unitVersion,
                       const std::string& info)
{
    PackageRecordContent content;
    content.articles = {"100301"};
    content.title = title;
    content.name = name;
    content.sections[1].data = {1, 2, 3};
    content.sections[1].version = unitVersion;
    content.sections[3].data = {4, 5, 6};
    content.sections[3].version = "5." + unitVersion;
    content.sections[6].data = std::vector<std::uint8_t>(info.begin(), info.end());
    std::vector<std::uint8_t> record;
    std::string error;
    if (!BuildPackageRecord(content, record, error))
        qFatal("package record: %s", error.c_str());
    UpdateFile package;
    if (!package.LoadRecord(record, false))
        qFatal("package record does not load");
    return package;
}

// Runs check on the modal window that the next call opens, then closes that window.
void OnNextModal(std::function<void(QWidget*)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        check(modal);
        modal->close();
    });
}

QString Text(std::uint32_t id)
{
    return QString::fromStdString(LoadUiString(id));
}

}  // namespace

class ChromeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SetUpUiStrings(QUORFW_SOURCE_LANG_FOLDER, "en_US.UTF-8")); }

    void toolbarHasTheTwelveCommandsInOrder()
    {
        CDlgToolBar toolbar;
        QVERIFY(toolbar.ImagesLoaded());
        const QList<QAction*> actions = toolbar.actions();
        QCOMPARE(actions.size(), 12);
        const std::uint32_t order[] = {1066, 1067, 3776, 3777, 3778, 32780, 3779, 32781, 32782, 32783, 32784, 32785};
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(actions[i]->objectName(), QString::number(order[i]));
            QCOMPARE(actions[i]->text(), Text(kToolbarCommands[static_cast<std::size_t>(i)].textId));
            QVERIFY(!actions[i]->toolTip().isEmpty());
            QCOMPARE(actions[i]->toolTip(), Text(kToolbarCommands[static_cast<std::size_t>(i)].toolTipId));
        }
        QCOMPARE(actions[0]->text(), QStringLiteral("Scan"));
        QVERIFY(toolbar.findChild<QToolButton*>(QStringLiteral("32780")) != nullptr);
    }

    void toolbarIconsComeFromTheStripThroughTheFilters()
    {
        CDlgToolBar toolbar;
        QVERIFY(toolbar.ImagesLoaded());
        const QImage strip(QStringLiteral(":/images/toolbar.bmp"));
        QCOMPARE(strip.size(), QSize(384, 32));
        QCOMPARE(strip.depth(), 32);  // Qt widens the 24-bit file on loading

        // The scan button's lens rim at (5, 13) is dark gray; its corner is magenta.
        const QIcon icon = toolbar.ButtonIcon(0);
        const QImage hot = icon.pixmap(32, 32, QIcon::Active).toImage();
        const QImage normal = icon.pixmap(32, 32, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(32, 32, QIcon::Disabled).toImage();
        const QRgb source = strip.pixel(5, 13);
        QCOMPARE(qRgb(qRed(hot.pixel(5, 13)), qGreen(hot.pixel(5, 13)), qBlue(hot.pixel(5, 13))), source | 0xFF000000u);
        QVERIFY(qRed(normal.pixel(5, 13)) > qRed(source));
        const QRgb gray = disabled.pixel(5, 13);
        QCOMPARE(qRed(gray), qGreen(gray));
        QCOMPARE(qGreen(gray), qBlue(gray));
        for (const QImage& image : {hot, normal, disabled})
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(hot.pixel(5, 13)), 255);
        // The last button has its own image, not the first one's.
        QVERIFY(toolbar.ButtonIcon(11).pixmap(32, 32).toImage() != hot);

        QImage tooShort(320, 32, QImage::Format_RGB32);
        tooShort.fill(Qt::magenta);
        QVERIFY(!toolbar.SetImages(tooShort));
        QVERIFY(!toolbar.SetImages(QImage()));
    }

    void toolbarAsksTheWindowOnlyWhileShown()
    {
        CDlgToolBar toolbar;
        int asked = 0;
        const auto onlyHelp = [&asked](std::uint32_t command) {
            ++asked;
            return command == kCommandHelp;
        };
        toolbar.UpdateCommandUi(onlyHelp);
        QCOMPARE(asked, 0);
        QVERIFY(toolbar.CommandAction(kCommandScan)->isEnabled());

        toolbar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toolbar));
        toolbar.UpdateCommandUi(onlyHelp);
        QCOMPARE(asked, 12);
        QVERIFY(!toolbar.CommandAction(kCommandScan)->isEnabled());
        QVERIFY(toolbar.CommandAction(kCommandHelp)->isEnabled());
        QVERIFY(toolbar.CommandAction(12345) == nullptr);

        std::vector<std::uint32_t> triggered;
        connect(&toolbar, &CDlgToolBar::CommandTriggered, this, [&triggered](std::uint32_t c) { triggered.push_back(c); });
        QTest::mouseClick(toolbar.findChild<QToolButton*>(QStringLiteral("3778")), Qt::LeftButton);
        QTest::mouseClick(toolbar.findChild<QToolButton*>(QStringLiteral("1066")), Qt::LeftButton);  // disabled
        QCOMPARE(triggered, std::vector<std::uint32_t>{kCommandHelp});
    }

    void statusBarShowsTheStepCounterInPaneOne()
    {
        CDlgStatusBar bar;
        bar.SetPaneText(0, QStringLiteral("Programming 932455000123 ..."));
        bar.SetStepCounter(2, 5);
        QCOMPARE(bar.PaneText(1), QStringLiteral("Step 2 of 5"));
        QCOMPARE(bar.PaneText(0), QStringLiteral("Programming 932455000123 ..."));
        bar.ClearPanes();
        QVERIFY(bar.PaneText(0).isEmpty() && bar.PaneText(1).isEmpty());
    }

    void splashWithDisplayTimeZeroStaysUntilClickedOrKeyed()
    {
        for (const bool byKey : {false, true}) {
            QImage picture(100, 60, QImage::Format_RGB32);
            picture.fill(Qt::white);
            QPointer<CSplashScreenEx> splash = new CSplashScreenEx(nullptr, 0, CSplashScreenEx::kHideOnClick);
            QVERIFY(splash->SetBitmap(picture));
            splash->Show();
            QVERIFY(!splash->HideTimerActive());
            QCoreApplication::processEvents();
            QVERIFY(splash);
            QVERIFY(QTest::qWaitForWindowExposed(splash.data()));
            QVERIFY(splash && splash->isVisible());
            if (byKey)
                QTest::keyClick(splash.data(), Qt::Key_Space);
            else
                QTest::mouseClick(splash.data(), Qt::RightButton);
            QTRY_VERIFY(splash.isNull());
        }
    }

    void splashWithADisplayTimeHidesItselfAndIgnoresClicksWithoutTheFlag()
    {
        QImage picture(100, 60, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPointer<CSplashScreenEx> timed = new CSplashScreenEx(nullptr, 50, 0);
        QVERIFY(timed->SetBitmap(picture));
        timed->Show();
        QVERIFY(timed->HideTimerActive());
        QTest::mouseClick(timed.data(), Qt::LeftButton);
        QVERIFY(timed && timed->isVisible());
        QTRY_VERIFY(timed.isNull());
    }

    void aboutSplashShowsTheVersionDisplay()
    {
        QPointer<CSplashScreenEx> splash = CreateAboutSplash(nullptr, QUORFW_SOURCE_LANG_FOLDER);
        QCOMPARE(splash->size(), QSize(560, 299));
        QCOMPARE(splash->DisplayTimeMs(), 0);
        QCOMPARE(splash->Style(), 0x2Fu);
        QCOMPARE(splash->Text(), QString::fromStdString(VersionDisplayText(QUORFW_SOURCE_LANG_FOLDER)));
        QVERIFY(splash->Text().startsWith(QStringLiteral("quorfwupdate Version: ")));
        QVERIFY(splash->Text().contains(QStringLiteral("quorfwupdateresde.lang Version: 1.")));
        QCOMPARE(splash->TextRect(), QRect(10, 165, 540, 150));
        QVERIFY(splash->TextFont().bold());
        QCOMPARE(splash->TextFont().pointSizeF(), 8.0);
        QCOMPARE(splash->TextAlignment(), Qt::AlignHCenter | Qt::AlignVCenter);
        delete splash.data();
    }

    void versionListShowsThePackagesLastFirst()
    {
        const UpdateFile a = MakePackage("Alpha", "A-1", "1.0.0.1", "about A");
        const UpdateFile b = MakePackage("Beta", "B-2", "2.0.0.2", "about B");
        const UpdateFile c = MakePackage("Gamma", "C-3", "3.0.0.3", "about C");
        CUpdateListDlg dialog;
        dialog.SetPackages({a, b, c});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("1065"));
        auto* title = dialog.findChild<QLineEdit*>(QStringLiteral("1059"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("1060"));
        QVERIFY(list && title && name);
        QCOMPARE(list->columnCount(), 12);
        QCOMPARE(list->headerItem()->text(5), Text(2191));
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Gamma"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Beta"));
        QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("Alpha"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("C-3"));
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("3.0.0.3"));  // section 1
        QCOMPARE(list->topLevelItem(0)->text(5), QStringLiteral("5.3.0.0.3"));  // section 3
        QCOMPARE(list->topLevelItem(0)->text(2), QString());  // section 0 is empty
        // Opened, the member is the first package, the bottom row.
        QCOMPARE(title->text(), QStringLiteral("Alpha"));
        QCOMPARE(name->text(), QStringLiteral("A-1"));

        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(title->text(), QStringLiteral("Beta"));
        QCOMPARE(dialog.Member().GetName(), std::string("B-2"));
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(title->text(), QStringLiteral("Gamma"));

        // Info opens the information window on the member.
        QString shownTitle, shownName, shownInfo;
        OnNextModal([&](QWidget* modal) {
            shownTitle = modal->findChild<QLineEdit*>(QStringLiteral("1059"))->text();
            shownName = modal->findChild<QLineEdit*>(QStringLiteral("1060"))->text();
            shownInfo = modal->findChild<QPlainTextEdit*>(QStringLiteral("1064"))->toPlainText();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1056")), Qt::LeftButton);
        QCOMPARE(shownTitle, QStringLiteral("Gamma"));
        QCOMPARE(shownName, QStringLiteral("C-3"));
        QCOMPARE(shownInfo, QStringLiteral("about C"));
        dialog.close();

        // Shown again with no packages: an empty list, the member's texts stay.
        dialog.SetPackages({});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(title->text(), QStringLiteral("Gamma"));
    }

    void versionListInfoNeedsATitle()
    {
        CUpdateListDlg dialog;
        dialog.SetPackages({MakePackage("", "untitled", "1.0.0.0", "x"), MakePackage("Titled", "T", "1.0.0.0", "y")});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("1065"));
        auto* info = dialog.findChild<QPushButton*>(QStringLiteral("1056"));
        // The bottom row, the untitled package, is the member after opening.
        QCOMPARE(dialog.Member().GetName(), std::string("untitled"));
        QVERIFY(!info->isEnabled());
        list->setCurrentItem(list->topLevelItem(0));
        QVERIFY(info->isEnabled());
        list->setCurrentItem(list->topLevelItem(1));
        QVERIFY(!info->isEnabled());
        QTest::mouseClick(info, Qt::LeftButton);
        QVERIFY(QApplication::activeModalWidget() != &dialog.InfoDialog());
        QVERIFY(!dialog.InfoDialog().isVisible());
    }

    void helpFileIsNamedByTheLanguageAndShippedBesideTheProgram()
    {
        QCOMPARE(QString::fromStdString(HelpFilePath("/opt/q", SelectUiLanguage("de_AT.UTF-8")).string()),
                 QStringLiteral("/opt/q/quorFWupdateDE.html"));
        for (const UiLanguage& language : {kGermanLanguage, kEnglishLanguage, kItalianLanguage, kHungarianLanguage}) {
            const std::filesystem::path shipped = HelpFilePath(QUORFW_BUILT_PROGRAM_FOLDER, language);
            QVERIFY2(std::filesystem::is_regular_file(shipped), shipped.c_str());
            std::ifstream in(shipped);
            const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            QVERIFY(page.find("<html lang=\"" + std::string(language.code) + "\"") != std::string::npos);
        }
    }

    void helpOpensTheFileOrSaysItFailed()
    {
        QTemporaryDir folder;
        const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "quorFWupdateEN.html";
        std::vector<QUrl> opened;
        bool viewerStarts = true;
        const UrlOpener opener = [&](const QUrl& url) {
            opened.push_back(url);
            return viewerStarts;
        };

        QVERIFY(!LaunchHelp(file, opener));  // not there: the viewer is not even asked
        QVERIFY(opened.empty());

        std::ofstream(file) << "<html></html>";
        QVERIFY(LaunchHelp(file, opener));
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened[0], QUrl::fromLocalFile(QString::fromStdString(file.string())));

        viewerStarts = false;
        QString message;
        OnNextModal([&message](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                message = box->text();
        });
        QVERIFY(!RunHelpCommand(nullptr, file, opener));
        QCOMPARE(message, QStringLiteral("Failed to launch help."));
        QCOMPARE(message, Text(61703));
    }
};

QTEST_MAIN(ChromeTest)
#include "ChromeTest.moc"
