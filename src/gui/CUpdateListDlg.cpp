#include "gui/CUpdateListDlg.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/UiStringIds.h"
#include "dialogs/VersionListTable.h"
#include "gui/GuiText.h"

namespace quorfw {

namespace {
constexpr std::uint32_t kTextTitleLabel = 2110;
constexpr std::uint32_t kTextNameLabel = 2117;
constexpr std::uint32_t kTextClose = 2102;
}  // namespace

CUpdateListDlg::CUpdateListDlg(QWidget* parent) : QDialog(parent), infoDialog_(this)
{
    setObjectName(QStringLiteral("154"));
    setWindowTitle(UiText(kTextVersionListTitle));
    setModal(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(ControlName(1065));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setColumnCount(static_cast<int>(kVersionListColumns.size()));
    QStringList headers;
    for (const VersionListColumn& column : kVersionListColumns)
        headers << UiText(column.headerId);
    list_->setHeaderLabels(headers);
    list_->header()->setStretchLastSection(false);
    // The given widths, or wider where a translated header would not fit.
    int totalWidth = 0;
    for (int i = 0; i < static_cast<int>(kVersionListColumns.size()); ++i) {
        const int headerWidth = list_->header()->fontMetrics().horizontalAdvance(headers[i]) + 16;
        const int width = std::max(kVersionListColumns[static_cast<std::size_t>(i)].widthPx, headerWidth);
        list_->setColumnWidth(i, width);
        totalWidth += width;
    }
    list_->setMinimumSize(totalWidth + 2 * list_->frameWidth(), 220);
    // The member follows the row that is both focused and selected.
    connect(list_, &QTreeWidget::currentItemChanged, this, &CUpdateListDlg::OnFocusedRowChanged);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CUpdateListDlg::OnFocusedRowChanged);

    title_ = new QLineEdit(this);
    title_->setObjectName(ControlName(1059));
    title_->setReadOnly(true);
    name_ = new QLineEdit(this);
    name_->setObjectName(ControlName(1060));
    name_->setReadOnly(true);
    auto* titleLabel = new QLabel(UiText(kTextTitleLabel), this);
    titleLabel->setObjectName(ControlName(1062));
    titleLabel->setBuddy(title_);
    auto* nameLabel = new QLabel(UiText(kTextNameLabel), this);
    nameLabel->setObjectName(ControlName(1063));
    nameLabel->setBuddy(name_);
    info_ = new QPushButton(UiText(kTextInfoButton), this);
    info_->setObjectName(ControlName(1056));
    info_->setEnabled(false);
    connect(info_, &QPushButton::clicked, this, &CUpdateListDlg::OnInfo);

    auto* member = new QGridLayout;
    member->addWidget(titleLabel, 0, 0);
    member->addWidget(title_, 0, 1);
    member->addWidget(nameLabel, 1, 0);
    member->addWidget(name_, 1, 1);
    member->addWidget(info_, 0, 2);
    member->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(UiText(kTextClose), QDialogButtonBox::AcceptRole);
    close->setObjectName(ControlName(1));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(member);
    layout->addWidget(buttons);
}

void CUpdateListDlg::SetPackages(std::vector<UpdateFile> packages)
{
    packages_ = std::move(packages);
}

void CUpdateListDlg::showEvent(QShowEvent* event)
{
    FillList();
    QDialog::showEvent(event);
}

void CUpdateListDlg::FillList()
{
    filling_ = true;
    list_->clear();
    // Last package first; the member ends on the first package, the bottom row.
    for (auto it = packages_.rbegin(); it != packages_.rend(); ++it) {
        member_ = *it;
        QStringList cells;
        for (const std::string& cell : VersionListCells(*it))
            cells << ToQString(cell);
        list_->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    filling_ = false;
    // The bottom row is the member's; marking it keeps the list and the edits in agreement.
    if (QTreeWidgetItem* bottom = list_->topLevelItem(list_->topLevelItemCount() - 1))
        list_->setCurrentItem(bottom);
    ShowMember();
}

void CUpdateListDlg::ShowMember()
{
    title_->setText(ToQString(member_.GetTitle()));
    name_->setText(ToQString(member_.GetName()));
    info_->setEnabled(CanShowInformation(member_));
}

void CUpdateListDlg::OnFocusedRowChanged()
{
    QTreeWidgetItem* current = list_->currentItem();
    if (filling_ || current == nullptr || !current->isSelected())
        return;
    const int row = list_->indexOfTopLevelItem(current);
    if (row < 0 || static_cast<std::size_t>(row) >= packages_.size())
        return;
    member_ = packages_[PackageIndexOfVersionListRow(packages_.size(), static_cast<std::size_t>(row))];
    ShowMember();
}

void CUpdateListDlg::OnInfo()
{
    if (!CanShowInformation(member_))
        return;
    infoDialog_.SetPackage(member_);
    infoDialog_.exec();
}

}  // namespace quorfw
