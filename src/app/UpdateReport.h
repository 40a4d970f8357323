#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorfw {

inline constexpr std::string_view kUpdateReportFileName = "UpdateLog-Report.txt";

// The XML namespace of the update service's request elements, used by the report lines and
// by the service requests alike.
inline constexpr std::string_view kUpdateServiceNamespace = "http://tempuri.org/";

// Text for XML element content: &, < and > as entities, tab, line feed and carriage return as
// character references (so a report stays one line), other control characters dropped (XML
// cannot carry them), and bytes that are not UTF-8 replaced by U+FFFD.
std::string XmlEscapeText(std::string_view text);

// One report line, CR LF included:
// <FirmwareUpdated xmlns="ns"><barcode>serial</barcode><user>user</user><version>version</version></FirmwareUpdated>
std::string BuildReportLine(std::string_view serviceNamespace, std::string_view serialNumber,
                            std::string_view userName, std::string_view versionText);

// The queue of update reports for the update service, "UpdateLog-Report.txt" in the package
// folder: one line per successful unit or module update.
class UpdateReport {
public:
    UpdateReport(std::filesystem::path packageFolder, std::string userName,
                 std::string serviceNamespace = std::string(kUpdateServiceNamespace));

    // Appends the line for one programmed station; false when the file cannot be written.
    [[nodiscard]] bool AppendReportLine(std::string_view serialNumber, std::string_view versionText) const;

    std::filesystem::path FilePath() const { return folder_ / kUpdateReportFileName; }

private:
    std::filesystem::path folder_;
    std::string userName_;
    std::string serviceNamespace_;
};

}  // namespace quorfw
