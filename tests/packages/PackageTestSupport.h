#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/PackageWriter.h"

namespace quorfw::test {

inline std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first)
{
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>(first + i * 7);
    }
    return out;
}

inline std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> out(count);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(random());
    }
    return out;
}

// A record of the given format with distinct, recognisable content in every section the
// format carries: section s holds 3 + s bytes starting at 0x10 * s, image sections carry
// version "1.<s>.0.0".
inline PackageRecordContent SampleContent(std::uint8_t format)
{
    PackageRecordContent c;
    c.formatVersion = format;
    c.articles = {"100301", "200501"};
    c.title = "Title";
    c.name = "Name";
    std::vector<int> carried = format == 1 ? std::vector<int>{0, 1, 4, 6} : std::vector<int>{0, 1, 2, 3, 4, 5, 6};
    const int extras[][2] = {{7, 3}, {8, 4}, {9, 5}, {10, 5}, {11, 6}, {12, 7}};
    for (const auto& e : extras) {
        if (format >= e[1]) {
            carried.push_back(e[0]);
        }
    }
    for (const int s : carried) {
        c.sections[s].data = Bytes(3 + s, static_cast<std::uint8_t>(0x10 * s));
        if (s != 4 && s != 5 && s != 6) {
            c.sections[s].version = "1." + std::to_string(s) + ".0.0";
        }
    }
    c.sections[6].data = {'i', 'n', 'f', 'o'};
    return c;
}

inline std::vector<std::uint8_t> RecordOf(const PackageRecordContent& content)
{
    std::vector<std::uint8_t> record;
    std::string error;
    EXPECT_TRUE(BuildPackageRecord(content, record, error)) << error;
    return record;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with the test.
class TempFolder {
public:
    TempFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "quorfw-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                           std::to_string(std::random_device{}());
        for (char& ch : name) {
            ch = ch == '/' ? '_' : ch;  // parameterised tests have slashes in their names
        }
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace quorfw::test
