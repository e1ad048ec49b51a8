// The program's version information, read from its exe's resources as Windows' file
// properties read it, and the release archive that ships it.
#include "host_check.h"

#include "formats/byte_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>

namespace {
const char* const kProductName = "Bexa's Mirelth Game";
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kVftApp = 1;
constexpr uint32_t kVersionInfoName = 1;
constexpr uint32_t kSubdirectory = 0x80000000;

// The offset field of the entry `id` (any id when `anyId`) of a resource directory; names
// come before ids and are skipped. 0 when there is none.
uint32_t Entry(const ByteReader& rsrc, uint32_t directory, uint32_t id, bool anyId = false) {
    const uint32_t named = rsrc.U16(directory + 12), count = named + rsrc.U16(directory + 14);
    for (uint32_t index = named; index < count; ++index) {
        const uint32_t at = directory + 16 + index * 8;
        if (anyId || rsrc.U32(at) == id) return rsrc.U32(at + 4);
    }
    ADD_FAILURE() << "no resource " << id << " in the directory at " << directory;
    return 0;
}

// One node of the version tree: its key, where its value and children lie, where it ends.
struct Block { std::string key; uint32_t valueLength, value, children, end; bool ok; };

// NUL-terminated UTF-16 text of ASCII characters at `at`; `at` moves past it.
std::string Utf16(const ByteReader& info, uint32_t& at, bool& ok) {
    std::string text;
    for (;;) {
        if (!info.Holds(at, 2)) return ok = false, text;
        const uint16_t code = info.U16(at);
        at += 2;
        if (code == 0) return text;
        if (code < 32 || code > 126) return ok = false, text;
        text += static_cast<char>(code);
    }
}

Block ReadBlock(const ByteReader& info, uint32_t at) {
    Block block{};
    const uint32_t length = info.U16(at);
    block.valueLength = info.U16(at + 2);
    block.end = at + length;
    block.ok = length >= 6 && block.end <= info.Size();
    uint32_t keyEnd = at + 6;
    block.key = Utf16(info, keyEnd, block.ok);
    block.value = (keyEnd + 3) & ~3u;
    const uint32_t valueEnd = block.value + block.valueLength * (info.U16(at + 4) == 1 ? 2 : 1);
    block.children = (valueEnd + 3) & ~3u;
    return block;
}

void CheckVersion(const std::string& exe, const std::string& version) {
    SCOPED_TRACE(exe);
    std::vector<uint8_t> file = ReadBytes(exe);
    ByteReader pe(file.data(), file.size());
    // PE headers: the resource table's address, and the section that holds it.
    const uint32_t peAt = pe.U32(60);
    ASSERT_TRUE(pe.Holds(0, 64) && pe.Holds(peAt, 264)) << "ends inside its headers";
    ASSERT_TRUE(pe.U16(0) == 0x5A4D && pe.U32(peAt) == 0x4550) << "no PE file";
    const uint16_t magic = pe.U16(peAt + 24);
    ASSERT_TRUE(magic == 0x10B || magic == 0x20B) << "unknown optional header " << magic;
    const uint32_t directories = magic == 0x10B ? 120 : 136;  // 24 + 96: PE32; 24 + 112: PE32+
    const uint32_t resourcesRva = pe.U32(peAt + directories + 2 * 8);
    ASSERT_NE(resourcesRva, 0u) << "no resources";
    const uint32_t tableAt = peAt + 24 + pe.U16(peAt + 20), sections = pe.U16(peAt + 6);
    ASSERT_TRUE(pe.Holds(tableAt, sections * 40));
    ByteReader rsrc;
    for (uint32_t at = tableAt; at < tableAt + sections * 40; at += 40) {
        const uint32_t va = pe.U32(at + 12), rawSize = pe.U32(at + 16), rawAt = pe.U32(at + 20);
        if (resourcesRva >= va && resourcesRva < va + rawSize)
            rsrc = pe.Part(rawAt + resourcesRva - va, rawSize - (resourcesRva - va));
    }
    ASSERT_NE(rsrc.Size(), 0u) << "the resource table lies in no section, or past the file's end";

    // type RT_VERSION -> name 1 (VS_VERSION_INFO) -> the one language -> data entry.
    const uint32_t names = Entry(rsrc, 0, kRtVersion) & ~kSubdirectory;
    const uint32_t languages = Entry(rsrc, names, kVersionInfoName) & ~kSubdirectory;
    const uint32_t dataEntry = Entry(rsrc, languages, 0, true);
    const uint32_t versionRva = rsrc.U32(dataEntry), versionSize = rsrc.U32(dataEntry + 4);
    ASSERT_TRUE(versionRva >= resourcesRva && versionRva % 4 == 0 && versionSize >= 92 &&
                rsrc.Holds(versionRva - resourcesRva, versionSize))
        << "version resource at " << versionRva << ", " << versionSize << " bytes, out of place";
    const ByteReader info = rsrc.Part(versionRva - resourcesRva, versionSize);

    Block root = ReadBlock(info, 0);
    ASSERT_TRUE(root.ok && root.key == "VS_VERSION_INFO" && root.valueLength == 52)
        << "root version block \"" << root.key << "\" with " << root.valueLength << " value bytes";
    EXPECT_EQ(info.U32(root.value), kFixedInfoSignature);
    EXPECT_EQ(info.U32(root.value + 36), kVftApp) << "file type";
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;
    for (uint32_t field : {8u, 16u}) {  // the file's version, then the product's
        EXPECT_EQ(info.U32(root.value + field), major << 16 | minor) << "fixed file info at " << field;
        EXPECT_EQ(info.U32(root.value + field + 4), patch << 16) << "fixed file info at " << field + 4;
    }

    // The children: StringFileInfo's tables of strings, and VarFileInfo's Translation, which
    // names the table that Windows shows.
    std::map<std::string, std::string> strings;  // "TABLE/Name" -> value
    std::string translation;
    for (uint32_t at = root.children; at < root.end;) {
        Block section = ReadBlock(info, at);
        ASSERT_TRUE(section.ok) << "version block at " << at << " runs past the resource";
        for (uint32_t child = section.children; child < section.end;) {
            Block block = ReadBlock(info, child);
            ASSERT_TRUE(block.ok) << "version block at " << child << " runs past the resource";
            if (section.key == "VarFileInfo" && block.key == "Translation") {
                char key[9];
                std::snprintf(key, sizeof key, "%04X%04X", info.U16(block.value), info.U16(block.value + 2));
                translation = key;
            } else if (section.key == "StringFileInfo") {
                std::string table = block.key;
                std::transform(table.begin(), table.end(), table.begin(), ::toupper);
                for (uint32_t s = block.children; s < block.end;) {
                    Block entry = ReadBlock(info, s);
                    uint32_t valueAt = entry.value;
                    strings[table + "/" + entry.key] = Utf16(info, valueAt, entry.ok);
                    ASSERT_TRUE(entry.ok) << "version string at " << s << " is not ended, or not ASCII";
                    s = (entry.end + 3) & ~3u;
                }
            }
            child = (block.end + 3) & ~3u;
        }
        at = (section.end + 3) & ~3u;
    }
    // The table's key is the translation as eight hex digits; Windows compares it as text.
    ASSERT_FALSE(translation.empty()) << "no Translation in VarFileInfo";
    const std::pair<const char*, std::string> kFields[] = {
        {"ProductName", kProductName}, {"FileVersion", version}, {"ProductVersion", version},
        {"FileDescription", ""}};
    for (const auto& [name, want] : kFields) {
        const std::string got = strings[translation + "/" + name];
        EXPECT_TRUE(!got.empty() && (want.empty() || got == want))
            << name << " in table " << translation << " is \"" << got << "\"";
        std::cout << name << ": " << got << "\n";
    }
}
}  // namespace

TEST(release, version) { CheckVersion(Setting("MIRELTH_EXE"), Setting("MIRELTH_VERSION")); }

// The release archive holds exactly one folder named like it with the shipped files, each
// the same bytes as the build's own (so the archive is not older than the build), and the
// exe that it holds carries the version.
TEST(release, archive) {
    const std::string zip = Setting("MIRELTH_PACKAGE"), build = Setting("MIRELTH_BUILD_DIR");
    const std::string top = zip.substr(zip.rfind('/') + 1, zip.size() - zip.rfind('/') - 5);
    ToolRun listing = RunTool({MIRELTH_CMAKE_COMMAND, "-E", "tar", "tf", zip});
    ASSERT_EQ(listing.status, 0) << "cannot list " << zip << ": build the package target";
    std::vector<std::string> held, wanted;
    std::istringstream lines(listing.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.back() != '/') held.push_back(line);
    std::istringstream shipped(Setting("MIRELTH_SHIPPED"));
    std::vector<std::string> names;
    for (std::string name; std::getline(shipped, name, ',');) {
        names.push_back(name);
        wanted.push_back(top + "/" + name);
    }
    std::sort(held.begin(), held.end());
    std::sort(wanted.begin(), wanted.end());
    ASSERT_EQ(held, wanted) << zip << " holds other files than those that ship";
    const std::string work = Scratch("release");
    ASSERT_EQ(RunTool({MIRELTH_CMAKE_COMMAND, "-E", "chdir", work, MIRELTH_CMAKE_COMMAND, "-E",
                       "tar", "xf", zip}).status, 0) << "cannot unpack " << zip;
    for (const std::string& name : names) {
        const bool text = name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
        const std::vector<uint8_t> built = ReadBytes(build + (text ? "/release/" : "/") + name);
        EXPECT_TRUE(!built.empty() && built == ReadBytes(work + "/" + top + "/" + name))
            << name << " in " << zip << " differs from the build's: build the package target again";
    }
    CheckVersion(work + "/" + top + "/mirelth.exe", Setting("MIRELTH_VERSION"));
}
