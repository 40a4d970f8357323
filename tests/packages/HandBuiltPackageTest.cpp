// Packages assembled here byte by byte from the documented layout and encrypted with
// Crypto++'s RC6, with the key taken from the key word bit by bit. Nothing of our own
// builder or cipher is used, so a misreading shared by reader and builder shows up here.
#include <filesystem>
#include <string>
#include <vector>

#include <crypto++/algparam.h>
#include <crypto++/argnames.h>
#include <crypto++/rc6.h>
#include <gtest/gtest.h>

#include "packages/PackageContainer.h"
#include "packages/UpdateFile.h"
#include "tests/packages/PackageTestSupport.h"

namespace quorfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void PutBytes(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// ASCII text as UTF-16LE, NUL-padded to `field` bytes (0: no padding).
Bytes Utf16(const std::string& text, std::size_t field = 0)
{
    Bytes out;
    for (const char ch : text) {
        out.push_back(static_cast<std::uint8_t>(ch));
        out.push_back(0);
    }
    out.resize(std::max(out.size(), field), 0);
    return out;
}

bool Bit(std::uint32_t v, int bit) { return ((v >> bit) & 1u) != 0; }

// Key bits 0-7 are key-word bits 24-31, with bits 28 and 12 both landing on key bit 4;
// key bits 28-31 are key-word bits 4-7; nothing else.
std::uint32_t KeyOf(std::uint32_t keyWord)
{
    std::uint32_t k = 0;
    for (int i = 0; i < 8; ++i) {
        k |= static_cast<std::uint32_t>(Bit(keyWord, 24 + i)) << i;
    }
    k |= static_cast<std::uint32_t>(Bit(keyWord, 12)) << 4;
    for (int i = 0; i < 4; ++i) {
        k |= static_cast<std::uint32_t>(Bit(keyWord, 4 + i)) << (28 + i);
    }
    return k;
}

// A container as another maker's tool would write it: pad with arbitrary bytes to whole
// blocks, note the count in the key word's low bits, run RC6 decryption over the blocks.
Bytes Container(const Bytes& plain, std::uint32_t keyMaterial, bool longHeader)
{
    const std::uint32_t padding = static_cast<std::uint32_t>((16 - plain.size() % 16) % 16);
    const std::uint32_t keyWord = (keyMaterial & 0xFFFFFFF0u) | padding;
    Bytes payload = plain;
    payload.resize(plain.size() + padding, 0xC5);

    const std::uint32_t key = KeyOf(keyWord);
    const CryptoPP::byte keyBytes[4] = {static_cast<CryptoPP::byte>(key), static_cast<CryptoPP::byte>(key >> 8),
                                        static_cast<CryptoPP::byte>(key >> 16), static_cast<CryptoPP::byte>(key >> 24)};
    CryptoPP::RC6::Decryption rc6;
    rc6.UncheckedSetKey(keyBytes, 4, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 16));
    for (std::size_t i = 0; i < payload.size(); i += 16) {
        rc6.ProcessBlock(payload.data() + i);
    }

    Bytes out;
    Put32(out, longHeader ? 0xAB980002u : 0xAB980001u);
    Put32(out, keyWord);
    if (longHeader) {
        Put32(out, static_cast<std::uint32_t>(12 + payload.size()));
    }
    PutBytes(out, payload);
    return out;
}

Bytes Plain(std::span<const std::uint8_t> container)
{
    Bytes plain;
    EXPECT_TRUE(DecryptPackageData(container, plain));
    return plain;
}

Bytes Filler(std::size_t count, std::uint8_t seed)
{
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>(seed * 31 + i * 13);
    }
    return out;
}

TEST(HandBuiltPackage, Format7LoadsEveryFieldWhereTheLayoutPutsIt)
{
    // Sections 0-6 back to back, then [version][length][data] for 7 to 12.
    const Bytes image0 = Container(Filler(100, 0), 0x5A3C1F20, false);
    const Bytes image3 = Container(Filler(33, 3), 0x10001000, true);
    Bytes sections[13];
    for (int s = 0; s < 13; ++s) {
        sections[s] = Filler(static_cast<std::size_t>(5 + s), static_cast<std::uint8_t>(s));
    }
    sections[0] = image0;
    sections[3] = image3;
    sections[6] = {'H', 'i', 0, 'x'};

    Bytes record;
    record.push_back(7);
    Put32(record, 3);
    PutBytes(record, Utf16("100301"));        // fills its field, no terminator
    PutBytes(record, Utf16("2005", 12));      // NUL-padded
    PutBytes(record, Utf16("ABCDEF"));
    const Bytes title = Utf16("ABCDEFGHIJKLMNOPQRSTUVWXY");  // 50 bytes
    Put32(record, static_cast<std::uint32_t>(title.size()));
    PutBytes(record, title);
    const Bytes name = Utf16("Pkg");
    Put32(record, static_cast<std::uint32_t>(name.size()));
    PutBytes(record, name);
    PutBytes(record, Utf16("3.0.4.20", 24));
    PutBytes(record, Utf16("12.34.56.789", 24));  // 12 characters, no terminator
    PutBytes(record, Utf16("2.0.0.0", 24));
    PutBytes(record, Utf16("6.4.10.0", 24));
    for (int s = 0; s <= 6; ++s) {
        Put32(record, static_cast<std::uint32_t>(sections[s].size()));
    }
    for (int s = 0; s <= 6; ++s) {
        PutBytes(record, sections[s]);
    }
    for (int s = 7; s <= 12; ++s) {
        PutBytes(record, Utf16("1." + std::to_string(s) + ".0.0", 24));
        Put32(record, static_cast<std::uint32_t>(sections[s].size()));
        PutBytes(record, sections[s]);
    }
    PutBytes(record, Filler(9, 99));  // ignored

    test::TempFolder folder;
    test::WriteFile(folder / "hand.qup", Container(record, 0xE7B29A60, true));
    UpdateFile file;
    ASSERT_TRUE(file.Load((folder / "hand.qup").string(), true));

    EXPECT_EQ(file.GetArticles(), (std::vector<std::string>{"100301", "2005", "ABCDEF"}));
    EXPECT_EQ(file.GetTitle(), "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(file.GetName(), "Pkg");
    EXPECT_EQ(file.GetInfoText(), "Hi");
    const std::pair<int, std::string> versions[] = {{6, "3.0.4.20"}, {1, "12.34.56.789"}, {9, "12.34.56.789"},
                                                     {2, "2.0.0.0"},  {5, "6.4.10.0"},     {3, "1.7.0.0"},
                                                     {8, "1.8.0.0"},  {10, "1.9.0.0"},     {11, "1.10.0.0"},
                                                     {12, "1.11.0.0"}, {7, "1.12.0.0"}};
    for (const auto& [type, version] : versions) {
        EXPECT_EQ(file.GetVersion(type), version) << "type " << type;
    }
    for (int s = 0; s < 13; ++s) {
        EXPECT_EQ(file.GetSectionImage(s)->ToVector(), sections[s]) << "section " << s;
    }
    // The images inside stay containers, and they open with our reader too.
    EXPECT_EQ(Plain(*file.GetImage(6)), Filler(100, 0));
    EXPECT_EQ(Plain(*file.GetImage(5)), Filler(33, 3));
    EXPECT_FALSE(file.AppliesToSerial("20050100005678"));  // "2005" is a whole entry
    EXPECT_TRUE(file.AppliesToSerial("2005"));
    EXPECT_TRUE(file.AppliesToSerial("10030112345678"));
}

TEST(HandBuiltPackage, Format1WithAndWithoutImages)
{
    const Bytes image0 = Container(Filler(40, 1), 0x01234560, false);
    const Bytes image1 = Container(Filler(17, 2), 0xFEDCBA90, false);
    const Bytes settings = Container(Filler(388, 4), 0x0F0F0F00, false);
    const Bytes info = {'n', 'o', 't', 'e'};

    Bytes record;
    record.push_back(1);
    Put32(record, 1);
    PutBytes(record, Utf16("300701"));
    const Bytes title = Utf16("T");
    Put32(record, static_cast<std::uint32_t>(title.size()));
    PutBytes(record, title);
    Put32(record, 0);  // empty name
    PutBytes(record, Utf16("1.0.0.1", 24));
    PutBytes(record, Utf16("1.0.0.2", 24));
    for (const Bytes* s : {&image0, &image1, &settings, &info}) {
        Put32(record, static_cast<std::uint32_t>(s->size()));
    }
    for (const Bytes* s : {&image0, &image1, &settings, &info}) {
        PutBytes(record, *s);
    }

    test::TempFolder folder;
    test::WriteFile(folder / "old.qup", Container(record, 0x33333330, false));
    for (const bool infoOnly : {true, false}) {
        UpdateFile file;
        ASSERT_TRUE(file.Load((folder / "old.qup").string(), infoOnly)) << infoOnly;
        EXPECT_EQ(file.GetArticles(), std::vector<std::string>{"300701"});
        EXPECT_EQ(file.GetTitle(), "T");
        EXPECT_EQ(file.GetName(), "");
        EXPECT_EQ(file.GetVersion(6), "1.0.0.1");
        EXPECT_EQ(file.GetVersion(1), "1.0.0.2");
        EXPECT_EQ(file.GetVersion(2), "");
        EXPECT_EQ(file.GetInfoText(), "note");
        EXPECT_EQ(file.GetImage(6)->ToVector(), infoOnly ? Bytes{} : image0);
        EXPECT_EQ(file.GetImage(1)->ToVector(), infoOnly ? Bytes{} : image1);
        EXPECT_EQ(file.GetSectionImage(4)->ToVector(), infoOnly ? Bytes{} : settings);
        if (!infoOnly) {
            EXPECT_EQ(Plain(*file.GetSectionImage(4)), Filler(388, 4));
        }
    }
}

}  // namespace
}  // namespace quorfw
