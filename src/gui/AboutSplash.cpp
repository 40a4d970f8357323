#include "gui/AboutSplash.h"

#include <QColor>
#include <QRect>

#include "app/VersionDisplay.h"
#include "gui/CSplashScreenEx.h"
#include "gui/GuiText.h"

namespace quorfw {

namespace {
constexpr int kDisplayUntilClicked = 0;
constexpr unsigned kAboutStyle = CSplashScreenEx::kFadeIn | CSplashScreenEx::kFadeOut | CSplashScreenEx::kShadow |
                                 CSplashScreenEx::kCentreOnScreen | CSplashScreenEx::kHideOnClick;
constexpr unsigned kAboutTextFormat =
    CSplashScreenEx::kTextCentre | CSplashScreenEx::kTextVCentre | CSplashScreenEx::kTextWordBreak;
}  // namespace

CSplashScreenEx* CreateAboutSplash(QWidget* parent, const std::filesystem::path& languageFolder)
{
    InitGuiImages();
    auto* splash = new CSplashScreenEx(parent, kDisplayUntilClicked, kAboutStyle);
    splash->setObjectName(QStringLiteral("aboutSplash"));
    (void)splash->SetBitmap(QStringLiteral(":/images/about.png"));
    splash->SetTextFont(QStringLiteral("Verdana"), 80);
    // The rectangle from (10, 165) to (550, 315), right and bottom edge excluded.
    splash->SetTextRect(QRect(QPoint(10, 165), QPoint(549, 314)));
    splash->SetTextColor(QColor(0x26, 0x44, 0x71));
    splash->SetTextFormat(kAboutTextFormat);
    splash->SetText(ToQString(VersionDisplayText(languageFolder)));
    return splash;
}

CSplashScreenEx* ShowAboutSplash(QWidget* parent, const std::filesystem::path& languageFolder)
{
    CSplashScreenEx* splash = CreateAboutSplash(parent, languageFolder);
    splash->Show();
    return splash;
}

}  // namespace quorfw
