#include "gui/CDlgToolBar.h"

#include <QAction>

#include "gui/GuiText.h"
#include "ui/ToolbarCommands.h"

namespace quorfw {

namespace {
constexpr std::uint32_t kToolBarControlId = 0xE800;
}

CDlgToolBar::CDlgToolBar(QWidget* parent) : CToolBar24(parent)
{
    setObjectName(ControlName(kToolBarControlId));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const ToolbarCommand& entry : kToolbarCommands) {
        QAction* action = addAction(UiText(entry.textId));
        action->setObjectName(ControlName(entry.command));
        action->setToolTip(UiText(entry.toolTipId));
        if (QWidget* button = widgetForAction(action))
            button->setObjectName(ControlName(entry.command));
        const std::uint32_t command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { emit CommandTriggered(command); });
    }
    InitGuiImages();
    imagesLoaded_ = SetImages(QStringLiteral(":/images/toolbar.bmp"));
}

QAction* CDlgToolBar::CommandAction(std::uint32_t command) const
{
    for (QAction* action : actions()) {
        if (action->objectName() == ControlName(command))
            return action;
    }
    return nullptr;
}

void CDlgToolBar::UpdateCommandUi(const std::function<bool(std::uint32_t command)>& isEnabled)
{
    if (!isVisible() || !isEnabled)
        return;
    for (const ToolbarCommand& entry : kToolbarCommands) {
        if (QAction* action = CommandAction(entry.command))
            action->setEnabled(isEnabled(entry.command));
    }
}

}  // namespace quorfw
