#include "gui/CDlgStatusBar.h"

#include <QLabel>

#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "gui/GuiText.h"

namespace quorfw {

namespace {
constexpr std::uint32_t kStatusBarControlId = 0xE801;
// The panes share the width 500 : 200.
constexpr int kPaneStretch[2] = {5, 2};
}  // namespace

CDlgStatusBar::CDlgStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(ControlName(kStatusBarControlId));
    setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panes_[i] = new QLabel(this);
        panes_[i]->setObjectName(QStringLiteral("pane%1").arg(i));
        panes_[i]->setFrameShape(QFrame::StyledPanel);
        panes_[i]->setFrameShadow(QFrame::Sunken);
        panes_[i]->setMinimumWidth(20);
        addPermanentWidget(panes_[i], kPaneStretch[i]);
    }
}

void CDlgStatusBar::SetPaneText(int pane, const QString& text)
{
    if (pane == 0 || pane == 1)
        panes_[pane]->setText(text);
}

QString CDlgStatusBar::PaneText(int pane) const
{
    return pane == 0 || pane == 1 ? panes_[pane]->text() : QString();
}

void CDlgStatusBar::SetStepCounter(int done, int total)
{
    SetPaneText(1, ToQString(FormatUiString(kTextStepCounter, done, total)));
}

void CDlgStatusBar::ClearPanes()
{
    SetPaneText(0, {});
    SetPaneText(1, {});
}

}  // namespace quorfw
