#include "gui/GuiText.h"

#include "app/UiStrings.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitGuiImagesResource()
{
    Q_INIT_RESOURCE(GuiImages);
}

namespace quorfw {

void InitGuiImages()
{
    static const bool done = (InitGuiImagesResource(), true);
    (void)done;
}

QString UiText(std::uint32_t id)
{
    return ToQString(LoadUiString(id));
}

QString ToQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QIcon ProgramIcon()
{
    InitGuiImages();
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"})
        icon.addFile(QStringLiteral(":/images/icon-%1.png").arg(QLatin1String(size)));
    return icon;
}

QString ControlName(std::uint32_t controlId)
{
    return QString::number(controlId);
}

}  // namespace quorfw
