#include "packages/UpdateFile.h"

#include <gtest/gtest.h>

#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "tests/packages/PackageTestSupport.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

using test::RecordOf;
using test::SampleContent;

std::vector<std::uint8_t> ImageOf(const UpdateFile& file, int section)
{
    return file.GetSectionImage(section)->ToVector();
}

// Offset of the first section length word in a record built from `c`.
std::size_t LengthsOffset(const PackageRecordContent& c)
{
    const std::size_t title = c.rawTitle ? c.rawTitle->size() : c.title.size() * 2;
    const std::size_t name = c.rawName ? c.rawName->size() : c.name.size() * 2;
    return 1 + 4 + 12 * c.articles.size() + 4 + title + 4 + name + 24 * (c.formatVersion == 1 ? 2 : 4);
}

TEST(UpdateFileLoad, EachFormatCarriesExactlyItsSections)
{
    // Sections each format carries beyond 0-6 (format 1: only 0, 1, 4, 6).
    const std::vector<int> carried[] = {
        {},
        {0, 1, 4, 6},
        {0, 1, 2, 3, 4, 5, 6},
        {0, 1, 2, 3, 4, 5, 6, 7},
        {0, 1, 2, 3, 4, 5, 6, 7, 8},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
    };
    for (std::uint8_t format = 1; format <= 7; ++format) {
        const PackageRecordContent content = SampleContent(format);
        UpdateFile file;
        ASSERT_TRUE(file.LoadRecord(RecordOf(content), false)) << int{format};
        for (int s = 0; s < kPackageSectionCount; ++s) {
            const bool present = std::find(carried[format].begin(), carried[format].end(), s) != carried[format].end();
            const std::vector<std::uint8_t> expected = present ? content.sections[s].data : std::vector<std::uint8_t>{};
            EXPECT_EQ(ImageOf(file, s), expected) << "format " << int{format} << " section " << s;
            EXPECT_EQ(file.GetSectionVersion(s), present ? content.sections[s].version : "")
                << "format " << int{format} << " section " << s;
        }
        EXPECT_EQ(file.GetArticles(), content.articles);
        EXPECT_EQ(file.GetTitle(), "Title");
        EXPECT_EQ(file.GetName(), "Name");
        EXPECT_EQ(file.GetInfoText(), "info");
    }
}

TEST(UpdateFileLoad, Format2HasNoUnitSectionAndFormat5StopsAtSection10)
{
    UpdateFile format2;
    ASSERT_TRUE(format2.LoadRecord(RecordOf(SampleContent(2)), true));
    EXPECT_EQ(format2.GetVersion(3), "");
    EXPECT_TRUE(format2.GetImage(3)->empty());
    EXPECT_EQ(format2.GetVersion(5), "1.3.0.0");

    UpdateFile format5;
    ASSERT_TRUE(format5.LoadRecord(RecordOf(SampleContent(5)), true));
    EXPECT_EQ(format5.GetVersion(10), "1.9.0.0");
    EXPECT_EQ(format5.GetVersion(11), "1.10.0.0");
    EXPECT_EQ(format5.GetVersion(12), "");
    EXPECT_EQ(format5.GetVersion(7), "");
}

TEST(UpdateFileLoad, Format1InfoOnlyLeavesOutTheImagesButKeepsTheRest)
{
    test::TempFolder folder;
    const PackageRecordContent content = SampleContent(1);
    test::WriteFile(folder / "f1.qup", EncryptContainer(RecordOf(content), 0x0BADCAF0, ContainerHeader::Long));

    UpdateFile info;
    ASSERT_TRUE(info.Load((folder / "f1.qup").string(), true));
    EXPECT_TRUE(info.GetSectionImage(0)->empty());
    EXPECT_TRUE(info.GetSectionImage(1)->empty());
    EXPECT_TRUE(info.GetSectionImage(4)->empty());
    EXPECT_EQ(info.GetSectionVersion(0), "1.0.0.0");
    EXPECT_EQ(info.GetSectionVersion(1), "1.1.0.0");
    EXPECT_EQ(info.GetArticles(), content.articles);
    EXPECT_EQ(info.GetTitle(), "Title");
    EXPECT_EQ(info.GetName(), "Name");
    EXPECT_EQ(info.GetInfoText(), "info");
    EXPECT_EQ(info.GetPath(), (folder / "f1.qup").string());

    UpdateFile full;
    ASSERT_TRUE(full.Load((folder / "f1.qup").string(), false));
    EXPECT_EQ(ImageOf(full, 0), content.sections[0].data);
    EXPECT_EQ(ImageOf(full, 1), content.sections[1].data);
    EXPECT_EQ(ImageOf(full, 4), content.sections[4].data);
    EXPECT_EQ(full.GetInfoText(), "info");
}

TEST(UpdateFileLoad, FormatByteOutsideOneToSevenIsRejected)
{
    for (const std::uint8_t format : {0, 8, 255}) {
        std::vector<std::uint8_t> record = RecordOf(SampleContent(7));
        record[0] = format;
        UpdateFile file;
        EXPECT_FALSE(file.LoadRecord(record, false)) << int{format};
    }
    UpdateFile file;
    EXPECT_FALSE(file.LoadRecord(std::vector<std::uint8_t>{}, false));
}

TEST(UpdateFileLoad, TitleAndNameAreLimitedTo50Bytes)
{
    const std::string chars25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    PackageRecordContent content = SampleContent(2);
    content.title = chars25;
    content.name = chars25;
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(content), false));
    EXPECT_EQ(file.GetTitle(), chars25);
    EXPECT_EQ(file.GetName(), chars25);

    PackageRecordContent longTitle = SampleContent(2);
    longTitle.rawTitle = *Utf8ToUtf16Le(chars25 + "Z");  // 52 bytes
    EXPECT_FALSE(file.LoadRecord(RecordOf(longTitle), false));

    PackageRecordContent longName = SampleContent(2);
    longName.rawName = *Utf8ToUtf16Le(chars25 + "Z");
    EXPECT_FALSE(file.LoadRecord(RecordOf(longName), false));
}

TEST(UpdateFileLoad, OddLengthTextEndsInAFinalCodeUnitOfItsLastByte)
{
    PackageRecordContent content = SampleContent(2);
    content.rawTitle = std::vector<std::uint8_t>{'A', 0, 'B', 0, 'C'};
    content.rawName = std::vector<std::uint8_t>{'N'};
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(content), false));
    EXPECT_EQ(file.GetTitle(), "ABC");
    EXPECT_EQ(file.GetName(), "N");
    EXPECT_EQ(file.GetVersion(6), "1.0.0.0");  // the fields after it are where they belong
}

TEST(UpdateFileLoad, ArticleFieldsWithAndWithoutTerminator)
{
    PackageRecordContent content = SampleContent(2);
    content.articles = {"123456", "1234", "ABCDEF", ""};
    std::vector<std::uint8_t> record = RecordOf(content);
    // Text after a NUL code unit in a field is not part of the article.
    const std::size_t third = 5 + 2 * 12;
    record[third + 2] = 0;
    record[third + 3] = 0;
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(record, false));
    EXPECT_EQ(file.GetArticles(), (std::vector<std::string>{"123456", "1234", "A", ""}));
}

TEST(UpdateFileLoad, BytesAfterTheLastFieldAreIgnored)
{
    for (const std::uint8_t format : {1, 2, 7}) {
        PackageRecordContent content = SampleContent(format);
        content.trailing = test::RandomBytes(33, format);
        UpdateFile file;
        ASSERT_TRUE(file.LoadRecord(RecordOf(content), false)) << int{format};
        EXPECT_EQ(ImageOf(file, 6), content.sections[6].data);
    }
}

// Every length in the record is checked against the bytes present: a record cut anywhere
// before its end is rejected, whatever field the cut falls into.
TEST(UpdateFileLoad, EveryTruncatedRecordIsRejected)
{
    for (const std::uint8_t format : {1, 2, 7}) {
        const std::vector<std::uint8_t> record = RecordOf(SampleContent(format));
        for (const bool infoOnly : {false, true}) {
            UpdateFile file;
            ASSERT_TRUE(file.LoadRecord(record, infoOnly));
            for (std::size_t size = 0; size < record.size(); ++size) {
                ASSERT_FALSE(file.LoadRecord(std::vector<std::uint8_t>(record.begin(), record.begin() + size), infoOnly))
                    << "format " << int{format} << " cut at " << size << (infoOnly ? " info only" : "");
            }
        }
    }
}

TEST(UpdateFileLoad, LengthsBeyondTheDataAreRejected)
{
    const PackageRecordContent content = SampleContent(7);
    const std::vector<std::uint8_t> valid = RecordOf(content);
    const std::size_t lengths = LengthsOffset(content);
    // The first extra block (section 7) follows sections 0-6.
    std::size_t extra = lengths + 7 * 4;
    for (int s = 0; s <= 6; ++s) {
        extra += content.sections[s].data.size();
    }

    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"article count", 1, 0xFFFFFFFF},
        {"section 0 length 2^31", lengths, 0x80000000},
        {"section 6 length", lengths + 6 * 4, 0x7FFFFFF0},
        {"section 3 length past the end", lengths + 3 * 4, 1000},
        {"extra block length", extra + 24, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> record = valid;
        WriteLe32(record.data() + c.offset, c.value);
        UpdateFile file;
        EXPECT_FALSE(file.LoadRecord(record, false)) << c.what;
    }
}

TEST(UpdateFileVersions, ModuleTypesMapToTheirSections)
{
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(SampleContent(7)), false));
    const std::pair<int, int> typeToSection[] = {{6, 0}, {1, 1}, {9, 1}, {2, 2}, {5, 3},  {3, 7},
                                                 {8, 8}, {10, 9}, {11, 10}, {12, 11}, {7, 12}};
    for (const auto& [type, section] : typeToSection) {
        EXPECT_EQ(file.GetVersion(type), "1." + std::to_string(section) + ".0.0") << "type " << type;
        ASSERT_NE(file.GetImage(type), nullptr) << "type " << type;
        EXPECT_EQ(file.GetImage(type), file.GetSectionImage(section)) << "type " << type;
    }
    EXPECT_EQ(file.GetVersion(1), file.GetVersion(9));
    for (const int type : {-1, 0, 4, 13, 1000}) {
        EXPECT_EQ(file.GetVersion(type), "") << "type " << type;
        EXPECT_EQ(file.GetImage(type), nullptr) << "type " << type;
    }
    EXPECT_EQ(file.GetSectionImage(13), nullptr);
    EXPECT_EQ(file.GetSectionVersion(-1), "");
}

TEST(UpdateFileArticles, AppliesToSerialComparesTheFirstSixCharacters)
{
    PackageRecordContent content = SampleContent(2);
    content.articles = {"200501", "1234", "930001"};
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(content), false));

    struct Case {
        const char* serial;
        bool applies;
    };
    const Case cases[] = {
        {"20050100005678", true},   // 14 digits, article listed
        {"200501-anything", true},  // listed article followed by anything
        {"200501", true},
        {"20050", false},           // five-character prefix of a listed entry
        {"1234", true},             // shorter serial equal to a short entry
        {"123456", false},          // a short entry does not match a longer article
        {"20060100009012", false},
        {"930001\xC3\xA4", true},
        {"93000\xC3\xA4", false},   // six characters, not six bytes
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(file.AppliesToSerial(c.serial), c.applies) << c.serial;
    }
}

TEST(UpdateFileValue, CopiesShareImageBytesAndAreOtherwiseIndependent)
{
    test::TempFolder folder;
    test::WriteFile(folder / "p.qup", EncryptContainer(RecordOf(SampleContent(7)), 0x600DF00D, ContainerHeader::Short));
    UpdateFile original;
    ASSERT_TRUE(original.Load((folder / "p.qup").string(), false));

    UpdateFile copy = original;
    for (int s = 0; s < kPackageSectionCount; ++s) {
        EXPECT_EQ(copy.GetSectionImage(s)->data(), original.GetSectionImage(s)->data()) << s;
    }
    UpdateFile assigned;
    assigned = original;
    EXPECT_EQ(assigned.GetImage(5)->data(), original.GetImage(5)->data());

    copy.Clear();
    EXPECT_TRUE(copy.GetImage(5)->empty());
    EXPECT_EQ(copy.GetPath(), "");
    EXPECT_TRUE(copy.GetArticles().empty());
    ASSERT_TRUE(assigned.LoadRecord(RecordOf(SampleContent(2)), false));

    EXPECT_EQ(original.GetPath(), (folder / "p.qup").string());
    EXPECT_EQ(original.GetVersion(7), "1.12.0.0");
    EXPECT_EQ(ImageOf(original, 3), SampleContent(7).sections[3].data);
    EXPECT_EQ(original.GetArticles(), SampleContent(7).articles);
}

TEST(UpdateFileValue, SectionsAreSlicesOfOneBufferNotCopies)
{
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(SampleContent(7)), false));
    // Sections 0-6 lie back to back in the record: adjacent slices prove one buffer.
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(file.GetSectionImage(s)->data() + file.GetSectionImage(s)->size(), file.GetSectionImage(s + 1)->data())
            << s;
    }
}

TEST(UpdateFileLoad, FailedLoadKeepsThePathAndWhatWasReadBefore)
{
    test::TempFolder folder;
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(RecordOf(SampleContent(7)), false));
    EXPECT_FALSE(file.Load((folder / "missing.qup").string(), false));
    EXPECT_EQ(file.GetPath(), (folder / "missing.qup").string());
    EXPECT_EQ(file.GetVersion(5), "");
    EXPECT_TRUE(file.GetArticles().empty());

    // A record cut inside the title: the articles before it were read.
    std::vector<std::uint8_t> record = RecordOf(SampleContent(7));
    record.resize(5 + 2 * 12 + 4 + 3);
    test::WriteFile(folder / "cut.qup", EncryptContainer(record, 0, ContainerHeader::Long));
    EXPECT_FALSE(file.Load((folder / "cut.qup").string(), false));
    EXPECT_EQ(file.GetArticles(), SampleContent(7).articles);
    EXPECT_EQ(file.GetTitle(), "");

    // An empty file decrypts to an empty record, which is no package.
    test::WriteFile(folder / "empty.qup", {});
    EXPECT_FALSE(file.Load((folder / "empty.qup").string(), true));
}

}  // namespace
}  // namespace quorfw
