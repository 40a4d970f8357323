#pragma once

#include <filesystem>

class QWidget;

namespace quorfw {

class CSplashScreenEx;

// The about command: the program's and the German and English language files' versions on
// the about picture, shown until a click or a key. The splash deletes itself when closed.
CSplashScreenEx* ShowAboutSplash(QWidget* parent, const std::filesystem::path& languageFolder);

// The same splash, set up but not shown (for pictures of it).
CSplashScreenEx* CreateAboutSplash(QWidget* parent, const std::filesystem::path& languageFolder);

}  // namespace quorfw
