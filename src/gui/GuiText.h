#pragma once

#include <cstdint>
#include <string>

#include <QIcon>
#include <QString>

namespace quorfw {

// A text of the language files as Qt shows it.
[[nodiscard]] QString UiText(std::uint32_t id);
[[nodiscard]] QString ToQString(const std::string& utf8);

// Registers the pictures compiled into this library (the toolbar strip, the about picture,
// the program icon); a static library's resources are not registered by themselves.
void InitGuiImages();

// The program icon at the sizes drawn for it.
[[nodiscard]] QIcon ProgramIcon();

// The object name a control carries: its control id in decimal, so tests find it.
[[nodiscard]] QString ControlName(std::uint32_t controlId);

}  // namespace quorfw
