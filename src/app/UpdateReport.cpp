#include "app/UpdateReport.h"

#include "app/FileAppend.h"
#include "app/Utf8.h"

namespace quorfw {

std::string XmlEscapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    ForEachUtf8Character(text, [&](std::string_view character) {
        if (character.size() > 1) {
            out.append(character);
            return;
        }
        switch (const char c = character[0]) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
                out.push_back(c);
        }
    });
    return out;
}

std::string BuildReportLine(std::string_view serviceNamespace, std::string_view serialNumber,
                            std::string_view userName, std::string_view versionText)
{
    std::string line = "<FirmwareUpdated xmlns=\"";
    line += serviceNamespace;
    line += "\"><barcode>";
    line += XmlEscapeText(serialNumber);
    line += "</barcode><user>";
    line += XmlEscapeText(userName);
    line += "</user><version>";
    line += XmlEscapeText(versionText);
    line += "</version></FirmwareUpdated>\r\n";
    return line;
}

UpdateReport::UpdateReport(std::filesystem::path packageFolder, std::string userName, std::string serviceNamespace)
    : folder_(std::move(packageFolder)), userName_(std::move(userName)), serviceNamespace_(std::move(serviceNamespace))
{
}

bool UpdateReport::AppendReportLine(std::string_view serialNumber, std::string_view versionText) const
{
    return AppendToFile(FilePath(), BuildReportLine(serviceNamespace_, serialNumber, userName_, versionText));
}

}  // namespace quorfw
