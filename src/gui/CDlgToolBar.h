#pragma once

#include <cstdint>
#include <functional>

#include "gui/CToolBar24.h"

class QAction;

namespace quorfw {

// The main window's toolbar: the twelve commands in their order, with texts, tool tips and
// the images of the toolbar strip. The window decides which command is enabled; the toolbar
// asks it whenever the window re-evaluates its rules.
class CDlgToolBar : public CToolBar24 {
    Q_OBJECT
public:
    // Object name "59392"; each action and its button carry the command id as object name.
    explicit CDlgToolBar(QWidget* parent = nullptr);

    // False when the strip could not be loaded; the window does not start without its toolbar.
    [[nodiscard]] bool ImagesLoaded() const { return imagesLoaded_; }

    // Null for a command that is not on the toolbar.
    [[nodiscard]] QAction* CommandAction(std::uint32_t command) const;

    // Sets each button's enabled state from isEnabled(command), only while the toolbar is shown.
    void UpdateCommandUi(const std::function<bool(std::uint32_t command)>& isEnabled);

signals:
    void CommandTriggered(std::uint32_t command);

private:
    bool imagesLoaded_ = false;
};

}  // namespace quorfw
