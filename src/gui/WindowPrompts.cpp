#include "gui/WindowPrompts.h"

#include <QMessageBox>

namespace quorfw {

namespace {

QString Caption(QWidget* parent)
{
    return parent != nullptr ? parent->windowTitle() : QString();
}

}  // namespace

void MessageBoxPrompts::Message(QWidget* parent, std::uint32_t, const std::string& text)
{
    QMessageBox::information(parent, Caption(parent), QString::fromStdString(text));
}

bool MessageBoxPrompts::AskYesNo(QWidget* parent, std::uint32_t, const std::string& text)
{
    return QMessageBox::question(parent, Caption(parent), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBoxPrompts::AskOkCancel(QWidget* parent, std::uint32_t, const std::string& text)
{
    return QMessageBox::question(parent, Caption(parent), QString::fromStdString(text),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace quorfw
