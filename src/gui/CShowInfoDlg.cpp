#include "gui/CShowInfoDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/UiStringIds.h"
#include "gui/GuiText.h"

namespace quorfw {

namespace {
constexpr std::uint32_t kTextTitleLabel = 2110;
constexpr std::uint32_t kTextNameLabel = 2117;
constexpr std::uint32_t kTextClose = 2102;
}  // namespace

CShowInfoDlg::CShowInfoDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("153"));
    setWindowTitle(UiText(kTextPackageInfoTitle));
    setModal(true);

    title_ = new QLineEdit(this);
    title_->setObjectName(ControlName(1059));
    title_->setReadOnly(true);
    name_ = new QLineEdit(this);
    name_->setObjectName(ControlName(1060));
    name_->setReadOnly(true);
    info_ = new QPlainTextEdit(this);
    info_->setObjectName(ControlName(1064));
    info_->setReadOnly(true);
    info_->setMinimumSize(420, 200);

    auto* titleLabel = new QLabel(UiText(kTextTitleLabel), this);
    titleLabel->setObjectName(ControlName(1062));
    titleLabel->setBuddy(title_);
    auto* nameLabel = new QLabel(UiText(kTextNameLabel), this);
    nameLabel->setObjectName(ControlName(1063));
    nameLabel->setBuddy(name_);

    auto* form = new QFormLayout;
    form->addRow(titleLabel, title_);
    form->addRow(nameLabel, name_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(UiText(kTextClose), QDialogButtonBox::AcceptRole);
    close->setObjectName(ControlName(1));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(info_, 1);
    layout->addWidget(buttons);
}

void CShowInfoDlg::showEvent(QShowEvent* event)
{
    title_->setText(ToQString(package_.GetTitle()));
    name_->setText(ToQString(package_.GetName()));
    info_->setPlainText(ToQString(package_.GetInfoText()));
    QDialog::showEvent(event);
}

}  // namespace quorfw
