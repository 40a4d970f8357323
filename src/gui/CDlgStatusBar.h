#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;

namespace quorfw {

// The main window's status bar: pane 0 the current step's text, pane 1 the step counter.
class CDlgStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Object name "59393"; the panes are QLabels named "pane0" and "pane1".
    explicit CDlgStatusBar(QWidget* parent = nullptr);

    void SetPaneText(int pane, const QString& text);
    [[nodiscard]] QString PaneText(int pane) const;

    // Pane 1: text 2149 with the steps done and the steps in total.
    void SetStepCounter(int done, int total);
    // Both panes empty.
    void ClearPanes();

private:
    QLabel* panes_[2];
};

}  // namespace quorfw
