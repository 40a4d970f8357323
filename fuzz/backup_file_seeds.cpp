// Writes the seed corpus of the backup file fuzzer with the real writer: both formats,
// no users, templates in every slot range, and a template the reader skips for its size.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "userdata/BackupFile.h"

namespace {

using quorfw::UserDataSet;

quorfw::USERDATAWITHFINGER User(std::uint8_t number, std::uint32_t mask, std::uint16_t extraMask)
{
    quorfw::USERDATAWITHFINGER user;
    for (auto* record : {&user.record.name, &user.recordNew.name}) {
        (*record)[0] = static_cast<std::uint8_t>('A' + number % 26);
    }
    user.record.userNumber = user.recordNew.userNumber = number;
    user.record.templateMask = user.recordNew.templateMask = mask;
    user.recordNew.extraMask = extraMask;
    return user;
}

void AddTemplate(quorfw::USERDATAWITHFINGER& user, unsigned slot, std::size_t length)
{
    std::vector<std::uint8_t> data(length);
    for (std::size_t i = 0; i < length; ++i) {
        data[i] = static_cast<std::uint8_t>(slot * 31 + i);
    }
    user.templates[slot] = *quorfw::MakeTemplateBuffer(slot, data);
}

UserDataSet Blocks()
{
    UserDataSet set;
    set.unitBlock1.fill(0x11);
    set.unitBlock2Short.fill(0x22);
    set.unitBlock2Long.fill(0x23);
    set.unitBlock3.fill(0x33);
    set.unitBlock4.fill(0x44);
    set.unitBlock9.fill(0x99);
    set.unitBlock10.fill(0xAA);
    return set;
}

bool Write(const std::filesystem::path& folder, const char* name, const UserDataSet& set, std::uint8_t format)
{
    const auto result = quorfw::WriteBackupFile(folder / name, set, format);
    if (!result) {
        std::fprintf(stderr, "%s: %s\n", name, result.failure.c_str());
    }
    return static_cast<bool>(result);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: backup_file_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    UserDataSet newer = Blocks();
    auto first = User(1, 0x09, 0x0021);
    AddTemplate(first, 0, 40);
    AddTemplate(first, 1, 12);
    AddTemplate(first, 10, 20);
    AddTemplate(first, 15, 30);
    auto second = User(2, 1u << 27, 0);
    AddTemplate(second, 9, 2000);  // block 2003: skipped when read
    auto third = User(3, 0x1, 0);
    AddTemplate(third, 0, 5);
    newer.users = {first, second, third};

    UserDataSet older = Blocks();
    auto olderUser = User(4, 0x3 | (1u << 6), 0);
    AddTemplate(olderUser, 0, 16);
    AddTemplate(olderUser, 2, 24);
    older.users = {olderUser, third};

    const bool written = Write(folder, "newer.bin", newer, quorfw::kBackupFormatNewer) &&
                         Write(folder, "older.bin", older, quorfw::kBackupFormatOlder) &&
                         Write(folder, "newer-blocks.bin", Blocks(), quorfw::kBackupFormatNewer) &&
                         Write(folder, "older-blocks.bin", Blocks(), quorfw::kBackupFormatOlder);
    return written ? 0 : 1;
}
