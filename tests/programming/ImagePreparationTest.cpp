#include <gtest/gtest.h>

#include <lzo/lzo1f.h>

#include <chrono>
#include <random>

#include "common/Clock.h"
#include "common/LittleEndian.h"
#include "programming/DeviceContainer.h"
#include "programming/ImageCompression.h"
#include "programming/ImageConfigPatch.h"
#include "programming/ModuleProgramming.h"
#include "programming/SettingsMerge.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

std::vector<std::uint8_t> Compressible(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>((i % 97) < 40 ? i % 7 : 0xE5);
    return v;
}

std::vector<std::uint8_t> Decompress(std::span<const std::uint8_t> packed, std::size_t expectedLength)
{
    std::vector<std::uint8_t> out(expectedLength + 16);
    lzo_uint outLength = out.size();
    const int rc = lzo1f_decompress_safe(packed.data(), packed.size(), out.data(), &outLength, nullptr);
    if (rc != LZO_E_OK)
        return {};
    out.resize(outLength);
    return out;
}

// ---- Compression ----

TEST(ImageCompression, CompressesWhatShrinksAndKeepsTheRestRaw)
{
    const auto text = Compressible(100000);
    const PackedImage packed = CompressImage(text);
    EXPECT_TRUE(packed.compressed);
    EXPECT_LT(packed.bytes.size(), text.size());
    EXPECT_EQ(Decompress(packed.bytes, text.size()), text);

    const auto noise = Noise(5000, 1);
    const PackedImage raw = CompressImage(noise);
    EXPECT_FALSE(raw.compressed);
    EXPECT_EQ(raw.bytes, noise);
}

// ---- Device container ----

TEST(DeviceContainer, ValueTexts)
{
    struct Case {
        const char* text;
        std::uint32_t value;
    } cases[] = {{"931166", 931166}, {" 42x", 42}, {"", 0}, {"abc", 0}, {"-1", 0xFFFFFFFF}, {"4294967297", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(DeviceValueFromText(c.text), c.value) << c.text;
}

TEST(DeviceContainer, LaysOutImageVersionSettingsAndValues)
{
    const auto image = Noise(3000, 2);
    const auto settings = Noise(400, 3);
    const std::vector<std::string> values{"931166", "720314", "12"};
    const auto container = BuildDeviceContainer(image, VersionToBcd(5050012), settings, values);
    ASSERT_TRUE(container);
    const auto& c = *container;
    ASSERT_EQ(c.size(), 1048976u + 12);
    EXPECT_EQ(ReadLe32(&c[0]), 1048976u + 12);
    EXPECT_EQ(ReadLe32(&c[4]), 2u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), c.begin() + 8));
    EXPECT_TRUE(std::all_of(c.begin() + 8 + 3000, c.begin() + 1048584, [](auto b) { return b == 0; }));
    EXPECT_EQ(ReadLe32(&c[1048584]), 0x05050012u);
    EXPECT_TRUE(std::equal(settings.begin(), settings.begin() + 388, c.begin() + 1048588));
    EXPECT_EQ(ReadLe32(&c[1048976]), 931166u);
    EXPECT_EQ(ReadLe32(&c[1048980]), 720314u);
    EXPECT_EQ(ReadLe32(&c[1048984]), 12u);
}

TEST(DeviceContainer, KeepsAtMost61ValuesAndRefusesWhatDoesNotFit)
{
    const auto settings = Noise(388, 4);
    const std::vector<std::string> many(62, "7");
    const auto capped = BuildDeviceContainer(Noise(10, 5), 0, settings, many);
    ASSERT_TRUE(capped);
    EXPECT_EQ(capped->size(), 1048976u + 4 * 61);
    EXPECT_EQ(ReadLe32(capped->data()), 1048976u + 4 * 61);

    EXPECT_TRUE(BuildDeviceContainer(std::vector<std::uint8_t>(1048576, 1), 0, settings, {}));
    EXPECT_FALSE(BuildDeviceContainer(std::vector<std::uint8_t>(1048577, 1), 0, settings, {}));
    EXPECT_FALSE(BuildDeviceContainer(Noise(10, 5), 0, Noise(387, 4), {}));
}

TEST(DeviceContainer, PackedBehindItsHeader)
{
    const auto settings = Noise(388, 6);
    const auto container = BuildDeviceContainer(Compressible(200000), 0x01020304, settings, {}).value();
    const auto packed = PackDeviceContainer(container);
    ASSERT_GT(packed.size(), 12u);
    EXPECT_EQ(ReadLe32(&packed[0]), packed.size());
    EXPECT_EQ(ReadLe32(&packed[4]), 0u);
    EXPECT_EQ(ReadLe32(&packed[8]), container.size());
    EXPECT_LT(packed.size(), container.size());
    EXPECT_EQ(Decompress(std::span(packed).subspan(12), container.size()), container);
}

// ---- Settings merge ----

constexpr std::uint32_t kKey = 0x5A5A5A50;

struct MergeFixture : ::testing::Test {
    ModuleInfo module;
    std::vector<std::uint8_t> block = Noise(388, 7);
    std::array<std::uint8_t, 404> original{};

    void SetUp() override
    {
        module = ModuleInfo{};
        auto noise = Noise(404, 8);
        std::copy(noise.begin(), noise.end(), module.information.begin());
        SetSerial("93116600000001");
        WriteLe32(&module.information[8], 3000419);
        block[265] |= 0x04;
        original = module.information;
    }
    void SetSerial(const std::string& serial)
    {
        std::copy(serial.begin(), serial.end(), module.information.begin() + 16);
    }
    void Merge(int yearMonth = 202401)
    {
        original = module.information;
        const auto sealed = EncryptContainer(block, kKey, ContainerHeader::Short);
        MergeSettingsTemplate(module, &sealed, yearMonth);
    }
    std::uint32_t Word(std::size_t offset) const { return ReadLe32(&module.information[offset]); }
    bool FromBlock(std::size_t first, std::size_t last) const
    {
        return std::equal(block.begin() + first, block.begin() + last + 1, module.information.begin() + first);
    }
    bool Kept(std::size_t first, std::size_t last) const
    {
        return std::equal(original.begin() + first, original.begin() + last + 1, module.information.begin() + first);
    }
};

TEST_F(MergeFixture, TakesTheBlocksFieldsAndSavesTheModulesSettings)
{
    SetSerial("93000000000001");
    Merge();
    const std::uint32_t expectedFlags = (ReadLe32(&block[108]) & 0xFFDCDD6F) | (ReadLe32(&original[108]) & 0x232290);
    EXPECT_EQ(Word(108), expectedFlags);
    EXPECT_EQ(module.updateFlags & 0x4, 0x4u);

    EXPECT_EQ(module.settingsValid, 1);
    const std::array<std::uint8_t, 4> saved{original[208], original[218], original[270], original[256]};
    EXPECT_EQ(module.settingBytes, saved);
    EXPECT_EQ(module.settingWord, ReadLe32(&original[112]));
    EXPECT_EQ(module.information[218], block[218]);
    EXPECT_EQ(module.information[270], block[270]);

    for (auto [first, last] : {std::pair{164, 183}, {200, 203}, {208, 208}, {240, 259}, {344, 347}, {380, 385}})
        EXPECT_TRUE(FromBlock(first, last)) << first;
    EXPECT_EQ(Word(376), 0u);
    EXPECT_TRUE(std::all_of(module.information.begin() + 88, module.information.begin() + 100, [](auto b) { return b == 0; }));
    EXPECT_EQ(module.information[31], 0);
    for (auto [first, last] : {std::pair{0, 30}, {32, 87}, {100, 107}, {112, 163}, {184, 199}, {204, 207},
                               {209, 217}, {219, 239}, {260, 269}, {271, 343}, {348, 375}, {386, 403}})
        EXPECT_TRUE(Kept(first, last)) << first;
}

TEST_F(MergeFixture, WithoutTheValidBitSavedBytesAre0And1AndTheModuleKeeps218And270)
{
    block[265] &= static_cast<std::uint8_t>(~0x04);
    module.settingsValid = 1;
    Merge();
    EXPECT_EQ(module.settingsValid, 0);
    EXPECT_EQ(module.settingBytes[1], 0);
    EXPECT_EQ(module.settingBytes[2], 1);
    EXPECT_EQ(module.settingBytes[0], original[208]);
    EXPECT_EQ(module.information[218], original[218]);
    EXPECT_EQ(module.information[270], original[270]);
}

TEST_F(MergeFixture, ArticleRules)
{
    struct Case {
        const char* serial;
        int yearMonth;
        std::uint32_t value112;  // 0: the block's value, 1: kept
        bool clears266;
    } cases[] = {
        {"93116600000001", 202401, 0, false}, {"93124900000001", 202401, 0, false},
        {"72031400000001", 201501, 2000, false}, {"72031400000001", 201502, 1, false},
        {"72031400000001", 201412, 1, false}, {"93130800000001", 202401, 1, true},
        {"93172400000001", 202401, 1, true}, {"93000000000001", 202401, 1, false},
    };
    for (const auto& c : cases) {
        SetUp();
        SetSerial(c.serial);
        module.information[266] = 0x5C;
        Merge(c.yearMonth);
        const std::uint32_t expected = c.value112 == 0   ? ReadLe32(&block[112])
                                       : c.value112 == 1 ? ReadLe32(&original[112])
                                                         : c.value112;
        EXPECT_EQ(Word(112), expected) << c.serial << " " << c.yearMonth;
        EXPECT_EQ(module.information[266], c.clears266 ? 0 : 0x5C) << c.serial;
    }
}

TEST_F(MergeFixture, SerialRulesReaddressTheModule)
{
    struct Case {
        const char* serial;
        std::uint32_t value112, value160;
    } cases[] = {{"93188913130256", 105, 1}, {"93188933120218", 105, 1},
                 {"93091404140865", 800, 15}, {"93091404140867", 800, 15}};
    for (const auto& c : cases) {
        SetUp();
        SetSerial(c.serial);
        WriteLe32(&module.information[32], 0x70ABCDEF);
        Merge();
        const std::uint32_t flags = (ReadLe32(&block[108]) & 0xFFDCDD6F) | (ReadLe32(&original[108]) & 0x232290);
        EXPECT_EQ(Word(32), 0x30ABCDEFu) << c.serial;
        EXPECT_EQ(Word(108), flags | 0x400100) << c.serial;
        EXPECT_EQ(Word(112), c.value112) << c.serial;
        EXPECT_EQ(Word(160), c.value160) << c.serial;
    }
}

TEST_F(MergeFixture, Byte269OnlyForFirmwareGeneration6)
{
    WriteLe32(&module.information[8], 6010203);
    Merge();
    EXPECT_EQ(module.information[269], block[269]);

    SetUp();
    WriteLe32(&module.information[8], 7010203);
    Merge();
    EXPECT_EQ(module.information[269], original[269]);
}

TEST_F(MergeFixture, AnUnusableBlockOnlyClearsTheClearedArea)
{
    const std::vector<std::uint8_t> garbage{1, 2, 3, 4, 5, 6, 7, 8, 9};
    const auto shortBlock = EncryptContainer(Noise(387, 9), kKey, ContainerHeader::Short);
    for (const std::vector<std::uint8_t>* tmpl : {static_cast<const std::vector<std::uint8_t>*>(nullptr), &garbage, &shortBlock}) {
        SetUp();
        module.settingsValid = 1;
        MergeSettingsTemplate(module, tmpl, 202401);
        EXPECT_EQ(module.settingsValid, 1);
        EXPECT_EQ(module.updateFlags, 0u);
        EXPECT_TRUE(Kept(0, 87));
        EXPECT_TRUE(Kept(100, 403));
        EXPECT_TRUE(std::all_of(module.information.begin() + 88, module.information.begin() + 100, [](auto b) { return b == 0; }));
    }
}

TEST(SettingsMerge, LocalMonthComesFromTheClock)
{
    using namespace std::chrono;
    // Mid-month, so that no time zone moves it into another month.
    VirtualClock january(sys_days{year{2015} / January / 15} + hours{12});
    EXPECT_EQ(LocalYearMonth(january), 201501);
    january.AdvanceMs(31ull * 24 * 3600 * 1000);
    EXPECT_EQ(LocalYearMonth(january), 201502);
}

// ---- Image configuration patch ----

TEST(ImageConfigPatch, LayoutByVersion)
{
    struct Case {
        std::uint32_t version;
        ImageLayout layout;
    } cases[] = {{0, kLayoutUpTo5000000},          {3000420, kLayoutUpTo5000000},
                 {5000000, kLayoutUpTo5000000},    {5000001, kLayoutBelow5050000},
                 {5049999, kLayoutBelow5050000},   {5050000, kLayoutFrom5050000},
                 {99999999, kLayoutFrom5050000}};
    for (const auto& c : cases)
        EXPECT_EQ(ImageLayoutForVersion(c.version), c.layout) << c.version;
    EXPECT_EQ(kLayoutBelow5050000.checksumOffset, 0x3Cu);
    EXPECT_EQ(kLayoutFrom5050000.checksumOffset, 0x1040u);
}

TEST(ImageConfigPatch, WordSumWrapsAndCountsAPartialWordWhole)
{
    std::vector<std::uint8_t> image(16, 0);
    WriteLe32(&image[0], 0xFFFFFFFF);
    WriteLe32(&image[4], 2);
    WriteLe32(&image[8], 0x01020304);
    EXPECT_EQ(ImageWordSum(image, 0, 8), 1u);
    EXPECT_EQ(ImageWordSum(image, 4, 4), 0u);
    EXPECT_EQ(ImageWordSum(image, 8, 4), 0u);
    EXPECT_EQ(ImageWordSum(image, 4, 9), 2u + 0x01020304);
    // Bytes past the end of the image count as zero.
    EXPECT_EQ(ImageWordSum(std::span(image).first(10), 8, 10), 0x0304u);
}

TEST(ImageConfigPatch, FlagWordFromOptionsAndAddress)
{
    struct Case {
        std::uint32_t options, address, flag;
    } cases[] = {{0x10, 0x60000000, 0x40000000}, {0x10, 0x30000000, 0x40000000},
                 {0xEF, 0x6FFFFFFF, 0x80000000}, {0, 0x70000000, 0}};
    for (const auto& c : cases) {
        ModuleInfo m;
        WriteLe32(&m.information[108], c.options);
        WriteLe32(&m.information[32], c.address);
        EXPECT_EQ(ConfigFlagWord(m), c.flag);
    }
}

std::vector<std::uint8_t> ModuleImage(std::size_t size, std::uint32_t end)
{
    auto image = Noise(size, 11);
    WriteLe32(&image[0x20], end);
    return image;
}

TEST(ImageConfigPatch, WritesConfigurationAreaAndChecksumForEachLayout)
{
    for (std::uint32_t version : {3000420u, 5040000u, 5050000u}) {
        const ImageLayout layout = ImageLayoutForVersion(version);
        const std::size_t size = layout.configOffset + 392 + 1001;  // the end falls mid-word
        auto image = ModuleImage(size, static_cast<std::uint32_t>(size));
        const auto before = image;
        ModuleInfo module;
        auto noise = Noise(404, 12);
        std::copy(noise.begin(), noise.end(), module.information.begin());
        WriteLe32(&module.information[108], 0x10);

        ASSERT_TRUE(PatchImageConfig(image, version, module, nullptr, 202401)) << version;
        EXPECT_EQ(ReadLe32(&image[layout.configOffset]), 0x40000000u);
        const std::uint8_t* info = &image[layout.configOffset + 4];
        EXPECT_EQ(ReadLe32(info), 404u);
        EXPECT_EQ(ReadLe32(info + 8), version);
        EXPECT_EQ(info[31], 0);
        EXPECT_TRUE(std::equal(info, info + 388, module.information.begin()));
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + layout.checksumOffset, before.begin()));
        EXPECT_TRUE(std::equal(image.begin() + layout.configOffset + 392, image.end(), before.begin() + layout.configOffset + 392));

        std::uint32_t sum = 0;
        for (std::size_t pos = layout.sumStart; pos < size; pos += 4) {
            std::uint32_t word = 0;
            for (std::size_t i = 0; i < 4 && pos + i < size; ++i)
                word |= static_cast<std::uint32_t>(image[pos + i]) << (8 * i);
            sum += word;
        }
        EXPECT_EQ(ReadLe32(&image[layout.checksumOffset]), sum) << version;
    }
}

TEST(ImageConfigPatch, VersionZeroKeepsTheModulesVersionAndAnEmptyRangeSumsToZero)
{
    auto image = ModuleImage(0x38 + 392, 0x28);
    ModuleInfo module;
    WriteLe32(&module.information[8], 3000100);
    ASSERT_TRUE(PatchImageConfig(image, 0, module, nullptr, 202401));
    EXPECT_EQ(ReadLe32(&image[0x24]), 0u);
    EXPECT_EQ(ReadLe32(&image[0x38 + 4 + 8]), 3000100u);
}

TEST(ImageConfigPatch, RefusesImagesTooShortForTheirLayoutWithoutTouchingAnything)
{
    struct Case {
        std::uint32_t version;
        std::size_t size;
        std::uint32_t end;
    } cases[] = {{3000420, 0x38 + 391, 0x38 + 391}, {5049999, 0x50 + 391, 0x50}, {5050000, 0x1054 + 391, 0x1044},
                 {3000420, 0x38 + 392, 0x38 + 393}, {3000420, 0x1000, 0xFFFFFFFF}, {3000420, 0, 0}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> image = c.size >= 0x24 ? ModuleImage(c.size, c.end) : std::vector<std::uint8_t>(c.size);
        const auto before = image;
        ModuleInfo module;
        auto noise = Noise(404, 13);
        std::copy(noise.begin(), noise.end(), module.information.begin());
        const auto info = module.information;
        const auto sealed = EncryptContainer(Noise(388, 14), kKey, ContainerHeader::Short);
        EXPECT_FALSE(PatchImageConfig(image, c.version, module, &sealed, 202401)) << c.version << " " << c.size;
        EXPECT_EQ(image, before);
        EXPECT_EQ(module.information, info);
        EXPECT_EQ(module.updateFlags, 0u);
    }
}

TEST(ImageConfigPatch, MergesTheSettingsBlockBeforeWriting)
{
    auto image = ModuleImage(0x38 + 392, 0x38 + 392);
    ModuleInfo module;
    WriteLe32(&module.information[108], 0x10);  // a bit the module keeps, and that sets the flag word
    auto block = Noise(388, 15);
    WriteLe32(&block[108], 0x01);  // a bit the package decides
    const auto sealed = EncryptContainer(block, kKey, ContainerHeader::Long);
    ASSERT_TRUE(PatchImageConfig(image, 3000420, module, &sealed, 202401));
    EXPECT_EQ(module.updateFlags & 0x4, 0x4u);
    EXPECT_EQ(ReadLe32(&image[0x38]), 0x40000000u);
    EXPECT_EQ(ReadLe32(&image[0x38 + 4 + 108]), 0x11u);
    EXPECT_TRUE(std::equal(block.begin() + 164, block.begin() + 184, image.begin() + 0x38 + 4 + 164));
}

TEST(VersionToBcd, GroupsBecomeBcdBytes)
{
    EXPECT_EQ(VersionToBcd(3000419), 0x03000419u);
    EXPECT_EQ(VersionToBcd(5050000), 0x05050000u);
    EXPECT_EQ(VersionToBcd(99999999), 0x99999999u);
    EXPECT_EQ(VersionToBcd(0), 0u);
    EXPECT_EQ(VersionToBcd(12345678), 0x12345678u);
}

}  // namespace
}  // namespace quorfw
