#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// Builds a package from a manifest (the format is described at the top of qup-pack.cpp).
// `plainRecord` leaves the outer container off and yields the decrypted record, as the
// reader sees it after decryption. Files named in the manifest are found relative to
// `baseDir`. On false, `error` names the line and the reason.
[[nodiscard]] bool BuildPackageFromManifest(std::string_view manifest, const std::filesystem::path& baseDir,
                                            bool plainRecord, std::vector<std::uint8_t>& package,
                                            std::string& error);

[[nodiscard]] bool BuildPackageFromManifestFile(const std::filesystem::path& manifestPath, bool plainRecord,
                                                std::vector<std::uint8_t>& package, std::string& error);

}  // namespace quorfw
