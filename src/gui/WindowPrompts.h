#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace quorfw {

// The message boxes of the main window. A seam so that window tests answer them without a
// modal loop; the program uses MessageBoxPrompts.
class WindowPrompts {
public:
    virtual ~WindowPrompts() = default;

    virtual void Message(QWidget* parent, std::uint32_t stringId, const std::string& text) = 0;
    // Yes / No; true for Yes.
    [[nodiscard]] virtual bool AskYesNo(QWidget* parent, std::uint32_t stringId, const std::string& text) = 0;
    // OK / Cancel; true for OK.
    [[nodiscard]] virtual bool AskOkCancel(QWidget* parent, std::uint32_t stringId, const std::string& text) = 0;
};

class MessageBoxPrompts final : public WindowPrompts {
public:
    void Message(QWidget* parent, std::uint32_t stringId, const std::string& text) override;
    [[nodiscard]] bool AskYesNo(QWidget* parent, std::uint32_t stringId, const std::string& text) override;
    [[nodiscard]] bool AskOkCancel(QWidget* parent, std::uint32_t stringId, const std::string& text) override;
};

}  // namespace quorfw
