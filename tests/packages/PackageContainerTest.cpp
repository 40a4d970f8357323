#include "packages/PackageContainer.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "common/LittleEndian.h"
#include "tests/packages/PackageTestSupport.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

using test::Bytes;

std::vector<std::uint8_t> Header(std::uint32_t magic, std::uint32_t keyWord)
{
    std::vector<std::uint8_t> h(8);
    WriteLe32(h.data(), magic);
    WriteLe32(h.data() + 4, keyWord);
    return h;
}

// A short-header container around exactly the given payload blocks, with padding count P.
std::vector<std::uint8_t> ShortContainer(std::uint32_t keyMaterial, std::uint32_t padding,
                                         const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> c = Header(kContainerMagicShort, (keyMaterial & 0xFFFFFFF0u) | padding);
    c.insert(c.end(), payload.begin(), payload.end());
    return c;
}

std::vector<std::uint8_t> Decrypted(const std::vector<std::uint8_t>& container)
{
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(DecryptPackageData(container, out));
    return out;
}

TEST(DecryptPackageData, PaddingCountDropsBytesFromTheEnd)
{
    const std::vector<std::uint8_t> plain = Bytes(16, 0x40);
    const std::vector<std::uint8_t> full = EncryptContainer(plain, 0x2468ACE0, ContainerHeader::Short);
    ASSERT_EQ(full.size(), 8u + 16u);
    EXPECT_EQ(Decrypted(full), plain);  // P = 0 keeps all

    std::vector<std::uint8_t> oneByte = full;
    WriteLe32(oneByte.data() + 4, ReadLe32(oneByte.data() + 4) | 15);  // P = 15
    EXPECT_EQ(Decrypted(oneByte), std::vector<std::uint8_t>{plain[0]});
}

TEST(DecryptPackageData, RoundTripsEveryLengthThroughTheBuilder)
{
    for (std::size_t length = 0; length <= 70; ++length) {
        const std::vector<std::uint8_t> plain = test::RandomBytes(length, static_cast<std::uint32_t>(length));
        for (const ContainerHeader header : {ContainerHeader::Short, ContainerHeader::Long}) {
            const std::vector<std::uint8_t> container = EncryptContainer(plain, 0x9ABCDEF0, header);
            ASSERT_EQ((container.size() - (header == ContainerHeader::Long ? 12 : 8)) % 16, 0u);
            ASSERT_EQ(Decrypted(container), plain) << length;
        }
    }
}

TEST(DecryptPackageData, ShortAndLongHeadersDecryptTheSame)
{
    const std::vector<std::uint8_t> payload = test::RandomBytes(48, 3);
    const std::vector<std::uint8_t> shortForm = ShortContainer(0x7777AAA0, 5, payload);
    std::vector<std::uint8_t> longForm = Header(kContainerMagicLong, 0x7777AAA5);
    longForm.resize(12);
    WriteLe32(longForm.data() + 8, 12 + 48);
    longForm.insert(longForm.end(), payload.begin(), payload.end());

    const std::vector<std::uint8_t> plain = Decrypted(shortForm);
    EXPECT_EQ(plain.size(), 43u);
    EXPECT_EQ(Decrypted(longForm), plain);
}

TEST(DecryptPackageData, LongHeaderLengthMustMatchTheBytesPresent)
{
    std::vector<std::uint8_t> container = EncryptContainer(Bytes(40, 1), 0x13572460, ContainerHeader::Long);
    const std::vector<std::uint8_t> sentinel = {0xEE};
    std::vector<std::uint8_t> out = sentinel;

    container.push_back(0);
    EXPECT_FALSE(DecryptPackageData(container, out));
    EXPECT_EQ(out, sentinel);  // untouched

    container.pop_back();
    EXPECT_TRUE(DecryptPackageData(container, out));
    EXPECT_EQ(out, Bytes(40, 1));
}

TEST(DecryptPackageData, UnknownMagicGivesFalseAndAnExactCopy)
{
    for (const std::vector<std::uint8_t>& input : {Header(0xAB980003, 0x12345678), Header(0x0100000A, 0),
                                                   std::vector<std::uint8_t>{0x01, 0x00, 0x98}}) {
        std::vector<std::uint8_t> out = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
        EXPECT_FALSE(DecryptPackageData(input, out));
        EXPECT_EQ(out, input);
    }
}

TEST(DecryptPackageData, MalformedContainersAreRejectedWithOutputUntouched)
{
    std::vector<std::uint8_t> longTooShort = Header(kContainerMagicLong, 0);
    longTooShort.resize(11);
    std::vector<std::uint8_t> shortUnder8 = Header(kContainerMagicShort, 0);
    shortUnder8.resize(7);
    std::vector<std::uint8_t> longLengthTooBig = Header(kContainerMagicLong, 0);
    longLengthTooBig.resize(12);
    WriteLe32(longLengthTooBig.data() + 8, 0xFFFFFFFF);

    struct Case {
        const char* what;
        std::vector<std::uint8_t> input;
    };
    const Case cases[] = {
        {"empty input", {}},
        {"long header under 12 bytes", longTooShort},
        {"long header claiming more bytes", longLengthTooBig},
        {"short header under 8 bytes", shortUnder8},
        {"payload not whole blocks", ShortContainer(0, 0, Bytes(17, 0))},
        {"payload of one byte", ShortContainer(0, 0, Bytes(1, 0))},
        {"padding above payload", ShortContainer(0, 1, {})},
        {"long header, padding above empty payload", [] {
             std::vector<std::uint8_t> c = Header(kContainerMagicLong, 3);
             c.resize(12);
             WriteLe32(c.data() + 8, 12);
             return c;
         }()},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out = {0xEE};
        EXPECT_FALSE(DecryptPackageData(c.input, out)) << c.what;
        EXPECT_EQ(out, std::vector<std::uint8_t>{0xEE}) << c.what;
        std::vector<std::uint8_t> inPlace = c.input;
        EXPECT_FALSE(DecryptPackageDataInPlace(inPlace)) << c.what;
        EXPECT_EQ(inPlace, c.input) << c.what;
    }
}

TEST(DecryptPackageData, HeaderOnlyContainerIsEmptyPlainText)
{
    std::vector<std::uint8_t> out = {1, 2, 3};
    EXPECT_TRUE(DecryptPackageData(Header(kContainerMagicShort, 0x12345670), out));
    EXPECT_TRUE(out.empty());
}

TEST(DecryptPackageData, KeyWordsDifferingInBitsZeroToThreeShareTheKey)
{
    const std::vector<std::uint8_t> payload = test::RandomBytes(32, 11);
    const std::vector<std::uint8_t> p0 = Decrypted(ShortContainer(0x4D3C2B10, 0, payload));
    const std::vector<std::uint8_t> p9 = Decrypted(ShortContainer(0x4D3C2B10, 9, payload));
    ASSERT_EQ(p9.size(), 23u);
    EXPECT_EQ(std::vector<std::uint8_t>(p0.begin(), p0.begin() + 23), p9);

    const std::vector<std::uint8_t> otherKey = Decrypted(ShortContainer(0x4D3C2B20, 0, payload));
    EXPECT_NE(otherKey, p0);
}

TEST(DecryptPackageData, InPlaceAgreesWithTheCopyingForm)
{
    for (const ContainerHeader header : {ContainerHeader::Short, ContainerHeader::Long}) {
        std::vector<std::uint8_t> buffer = EncryptContainer(test::RandomBytes(1000, 5), 0xFEDCBA90, header);
        const std::vector<std::uint8_t> copied = Decrypted(buffer);
        ASSERT_TRUE(DecryptPackageDataInPlace(buffer));
        EXPECT_EQ(buffer, copied);
    }
}

TEST(ReadPackageFile, ReadsDecryptsAndReportsFailures)
{
    test::TempFolder folder;
    const std::vector<std::uint8_t> plain = Bytes(100, 3);
    test::WriteFile(folder / "good.qup", EncryptContainer(plain, 0x31415920, ContainerHeader::Long));
    test::WriteFile(folder / "empty.qup", {});
    std::vector<std::uint8_t> truncated = EncryptContainer(plain, 0x31415920, ContainerHeader::Long);
    truncated.pop_back();
    test::WriteFile(folder / "truncated.qup", truncated);
    test::WriteFile(folder / "plain.qup", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
    std::filesystem::create_directory(folder / "folder.qup");

    std::vector<std::uint8_t> out;
    EXPECT_TRUE(ReadPackageFile(folder / "good.qup", out));
    EXPECT_EQ(out, plain);

    out = {1};
    EXPECT_TRUE(ReadPackageFile(folder / "empty.qup", out));
    EXPECT_TRUE(out.empty());

    out = {1};
    EXPECT_FALSE(ReadPackageFile(folder / "truncated.qup", out));
    EXPECT_TRUE(out.empty());

    EXPECT_FALSE(ReadPackageFile(folder / "plain.qup", out));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));

    EXPECT_FALSE(ReadPackageFile(folder / "missing.qup", out));
    EXPECT_FALSE(ReadPackageFile(folder / "folder.qup", out));
    EXPECT_FALSE(ReadPackageFile("", out));
}

}  // namespace
}  // namespace quorfw
