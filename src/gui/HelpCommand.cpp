#include "gui/HelpCommand.h"

#include <system_error>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "app/StartupFiles.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "gui/GuiText.h"

namespace quorfw {

UrlOpener DesktopUrlOpener()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

std::filesystem::path ProgramHelpFile()
{
    const UiTexts* texts = ProcessUiTexts();
    const UiLanguage language = texts ? texts->Language() : SelectUiLanguage(LocaleNameFromEnvironment(SystemEnvironment()));
    return HelpFilePath(ProgramFolder(), language);
}

bool LaunchHelp(const std::filesystem::path& helpFile, const UrlOpener& open)
{
    // A missing file would only show up as an error page of the viewer, if at all.
    std::error_code ec;
    if (helpFile.empty() || !std::filesystem::is_regular_file(helpFile, ec) || !open)
        return false;
    return open(QUrl::fromLocalFile(QString::fromStdString(helpFile.string())));
}

bool RunHelpCommand(QWidget* parent, const std::filesystem::path& helpFile, const UrlOpener& open)
{
    if (LaunchHelp(helpFile, open))
        return true;
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), UiText(kTextHelpFailed));
    return false;
}

}  // namespace quorfw
