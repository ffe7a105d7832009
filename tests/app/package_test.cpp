// Unpacking library packages: the normal layout, the header variants and every refused input.
#include "app/package.h"

#include "core/file_memory.h"
#include "tests/support/temp_folder.h"
#include "tools/pack_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace qelt
{
namespace
{

using testing::bytesOf;
using testing::cTempFolder;
using testing::listTree;
using testing::readBytes;
using tools::cPackItem;

// Raw package bytes, for the inputs the writer never makes.
struct cPackageBytes
{
    std::vector<uint8_t> bytes;

    cPackageBytes& u32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(value >> shift));
        return *this;
    }
    cPackageBytes& text(const std::string& value)
    {
        bytes.insert(bytes.end(), value.begin(), value.end());
        bytes.push_back(0);
        return *this;
    }
    cPackageBytes& raw(const std::vector<uint8_t>& value)
    {
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    cPackageBytes& header() { return u32(package::kMagic).u32(2).u32(0).u32(1).u32(0).u32(0); }
    // A file entry whose stated sizes may lie.
    cPackageBytes& file(const std::string& name, const std::vector<uint8_t>& packed,
                        uint32_t unpackedSize, uint32_t method = package::kMethodZlib)
    {
        return u32(package::File)
            .text(name)
            .u32(method)
            .u32(unpackedSize)
            .u32(uint32_t(packed.size()))
            .raw(packed);
    }
};

std::vector<uint8_t> deflated(const std::vector<uint8_t>& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::vector<uint8_t> packed(size);
    compress(packed.data(), &size, data.data(), uLong(data.size()));
    packed.resize(size);
    return packed;
}

std::vector<uint8_t> patterned(std::size_t size)
{
    std::vector<uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = uint8_t((i * 31) ^ (i >> 7));
    return data;
}

bool extract(const std::string& target, const std::vector<uint8_t>& bytes,
             std::string* error = nullptr)
{
    cFileMemory source(bytes.data(), bytes.size());
    return extractPackage(target, source, {}, error);
}

TEST(ExtractPackage, UnpacksFoldersAndFilesAndReportsProgress)
{
    cTempFolder folder;
    std::vector<uint8_t> big = patterned(20000); // several 4096-byte blocks
    std::vector<uint8_t> package = tools::buildPackage({
        {cPackItem::Folder, "plugins", {}},
        {cPackItem::File, "QeltView.dll", big},
        {cPackItem::File, "plugins\\plinth_gl.dll", bytesOf("gl")},
        {cPackItem::File, "plugins/empty.dll", {}},
    });

    struct Report
    {
        std::string text, path;
        float percent;
    };
    std::vector<Report> reports;
    cFileMemory source(package.data(), package.size());
    std::string base = folder.path(); // no trailing separator: one is added
    ASSERT_TRUE(extractPackage(base, source,
                               [&](const char* text, const std::string& path, float percent) {
                                   reports.push_back({text, path, percent});
                               }));

    EXPECT_EQ(readBytes(folder / "QeltView.dll"), big);
    EXPECT_EQ(readBytes(folder / "plugins/plinth_gl.dll"), bytesOf("gl"));
    EXPECT_TRUE(readBytes(folder / "plugins/empty.dll").empty());
    EXPECT_EQ(listTree(folder.path()),
              (std::vector<std::string>{"QeltView.dll", "plugins", "plugins/empty.dll",
                                        "plugins/plinth_gl.dll"}));

    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().path, base + "/plugins");
    float last = 0;
    for (const Report& report : reports)
    {
        EXPECT_EQ(report.text, "Loading");
        EXPECT_GE(report.percent, last);
        last = report.percent;
    }
    EXPECT_FLOAT_EQ(reports.back().percent, 100.0f);
    EXPECT_EQ(reports.back().path, base + "/plugins/empty.dll");
}

TEST(ExtractPackage, ReplacesExistingFiles)
{
    cTempFolder folder;
    testing::writeBytes(folder / "a.dll", bytesOf("an older and longer library"));
    ASSERT_TRUE(extract(folder.path() + "/",
                        tools::buildPackage({{cPackItem::File, "a.dll", bytesOf("new")}})));
    EXPECT_EQ(readBytes(folder / "a.dll"), bytesOf("new"));
}

TEST(ExtractPackage, HeaderVariantsAndEndings)
{
    std::vector<uint8_t> packed = deflated(bytesOf("data"));
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        // Version 1 has no header words after the version.
        {"version 1", cPackageBytes()
                          .u32(package::kMagic)
                          .u32(1)
                          .file("a.dll", packed, 4)
                          .u32(package::End)
                          .bytes},
        {"no end entry", cPackageBytes().header().file("a.dll", packed, 4).bytes},
        {"bytes after the end entry",
         cPackageBytes().header().file("a.dll", packed, 4).u32(package::End).u32(99).bytes},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        cTempFolder folder;
        std::string error;
        EXPECT_TRUE(extract(folder.path(), c.bytes, &error)) << error;
        EXPECT_EQ(readBytes(folder / "a.dll"), bytesOf("data"));
    }
}

// Each faulty entry comes after a good one: the good one stays, the faulty one and everything
// after it leave nothing, inside or outside the target folder.
TEST(ExtractPackage, RefusesFaultyEntries)
{
    std::vector<uint8_t> data = patterned(5000);
    std::vector<uint8_t> packed = deflated(data);
    std::vector<uint8_t> damaged = packed;
    damaged[damaged.size() / 2] ^= 0x5A;
    damaged[damaged.size() / 2 + 1] ^= 0xA5;
    std::vector<uint8_t> cut(packed.begin(), packed.end() - 8);

    struct Case
    {
        const char* name;
        cPackageBytes entry;
    };
    const Case cases[] = {
        {"unknown method", cPackageBytes().file("bad.dll", packed, 5000, 2)},
        {"unknown entry type", cPackageBytes().u32(7).text("bad.dll")},
        {"parent folder", cPackageBytes().file("../bad.dll", packed, 5000)},
        {"parent folder with backslash", cPackageBytes().file("..\\bad.dll", packed, 5000)},
        {"parent folder deeper in", cPackageBytes().file("sub/../../bad.dll", packed, 5000)},
        {"absolute name", cPackageBytes().file("/tmp/bad.dll", packed, 5000)},
        {"absolute name with backslash", cPackageBytes().file("\\bad.dll", packed, 5000)},
        {"drive prefix", cPackageBytes().file("C:bad.dll", packed, 5000)},
        {"empty name", cPackageBytes().file("", packed, 5000)},
        {"folder leaving the target", cPackageBytes().u32(package::Folder).text("..")},
        {"name too long", cPackageBytes().file(std::string(300, 'n') + ".dll", packed, 5000)},
        {"damaged stream", cPackageBytes().file("bad.dll", damaged, 5000)},
        {"stream cut short", cPackageBytes().file("bad.dll", cut, 5000)},
        {"inflates to more than stated", cPackageBytes().file("bad.dll", packed, 4999)},
        {"inflates to less than stated", cPackageBytes().file("bad.dll", packed, 5001)},
        {"packed size past the end", cPackageBytes()
                                         .u32(package::File)
                                         .text("bad.dll")
                                         .u32(1)
                                         .u32(5000)
                                         .u32(0x7FFFFFFF)
                                         .raw(packed)},
        {"impossible unpacked size", cPackageBytes().file("bad.dll", packed, 0xFFFFFFFF)},
        {"entry header cut short", cPackageBytes().u32(package::File).text("bad.dll").u32(1)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        cTempFolder outer;
        std::string target = outer / "target";
        std::filesystem::create_directory(target);
        cPackageBytes bytes =
            cPackageBytes().header().file("good.dll", deflated(bytesOf("good")), 4);
        bytes.raw(c.entry.bytes).file("later.dll", deflated(bytesOf("later")), 5);

        std::string error;
        EXPECT_FALSE(extract(target, bytes.bytes, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(listTree(outer.path()), (std::vector<std::string>{"target", "target/good.dll"}));
    }
}

TEST(ExtractPackage, RefusesWrongMagicAndCutHeaders)
{
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"wrong magic", cPackageBytes().u32(0x12345678).u32(2).bytes},
        {"empty", {}},
        {"magic only", cPackageBytes().u32(package::kMagic).bytes},
        {"header cut short", cPackageBytes().u32(package::kMagic).u32(2).u32(0).bytes},
    };
    for (const auto& [name, bytes] : cases)
    {
        SCOPED_TRACE(name);
        cTempFolder folder;
        std::string error;
        EXPECT_FALSE(extract(folder.path(), bytes, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(listTree(folder.path()).empty());
    }
}

TEST(ExtractPackage, FailsWhenAFileCannotBeCreated)
{
    cTempFolder folder;
    std::string error;
    EXPECT_FALSE(extract(folder / "missing",
                         tools::buildPackage({{cPackItem::File, "a.dll", bytesOf("a")}}), &error));
    EXPECT_NE(error.find("a.dll"), std::string::npos);
    EXPECT_TRUE(listTree(folder.path()).empty());
}

TEST(ListPackage, ListsEntriesWithoutInflating)
{
    std::vector<uint8_t> package = tools::buildPackage(
        {{cPackItem::Folder, "sub", {}}, {cPackItem::File, "sub/a.dll", patterned(1000)}});
    cFileMemory source(package.data(), package.size());
    std::vector<cPackageEntryInfo> entries;
    ASSERT_TRUE(listPackage(source, entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].type, package::Folder);
    EXPECT_EQ(entries[0].name, "sub");
    EXPECT_EQ(entries[1].name, "sub/a.dll");
    EXPECT_EQ(entries[1].unpackedSize, 1000u);
    EXPECT_EQ(entries[1].packedSize, deflated(patterned(1000)).size());
}

} // namespace
} // namespace qelt
