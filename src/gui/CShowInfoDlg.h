#pragma once

#include <QDialog>

#include "packages/UpdateFile.h"

class QLineEdit;
class QPlainTextEdit;

namespace quorfw {

// The package information window: title (1059), name (1060) and information text (1064) of
// its own copy of one package, filled each time it is shown.
class CShowInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CShowInfoDlg(QWidget* parent = nullptr);

    void SetPackage(const UpdateFile& package) { package_ = package; }
    [[nodiscard]] const UpdateFile& Package() const { return package_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    UpdateFile package_;
    QLineEdit* title_;
    QLineEdit* name_;
    QPlainTextEdit* info_;
};

}  // namespace quorfw
