#pragma once

#include <vector>

#include <QDialog>

#include "gui/CShowInfoDlg.h"
#include "packages/UpdateFile.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quorfw {

// The version list: every package on its own copy of the package list, last first, with the
// version each carries per module type (list 1065). The focused row's package is copied into
// the member, whose title and name edits 1059 and 1060 show; Info (1056) opens the package
// information window on it unless its title is empty.
class CUpdateListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUpdateListDlg(QWidget* parent = nullptr);

    // Empties the dialog's list and takes a copy of packages; shown at the next showing.
    void SetPackages(std::vector<UpdateFile> packages);

    [[nodiscard]] const UpdateFile& Member() const { return member_; }
    [[nodiscard]] CShowInfoDlg& InfoDialog() { return infoDialog_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillList();
    void ShowMember();
    void OnFocusedRowChanged();
    void OnInfo();

    std::vector<UpdateFile> packages_;
    UpdateFile member_;
    CShowInfoDlg infoDialog_;
    QTreeWidget* list_;
    QLineEdit* title_;
    QLineEdit* name_;
    QPushButton* info_;
    bool filling_ = false;
};

}  // namespace quorfw
