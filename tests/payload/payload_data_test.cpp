// The embedded arrays: the setup scripts byte for byte, the cabinets'
// headers and members against their scripts, and the driver pair choice.
#include "payload/payload_arrays.h"
#include "payload/payload_data.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace
{

std::string bytes_of(const unsigned char *bytes, int length)
{
    return std::string(reinterpret_cast<const char *>(bytes), static_cast<size_t>(length));
}

// FNV-1a over the whole text: any changed, added or lost byte shows.
uint32_t fnv1a(const std::string &text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

std::vector<std::string> crlf_lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The names of a section's lines: the text before a comma, blanks trimmed;
// comment and empty lines skipped.
std::vector<std::string> section_names(const std::string &script, const std::string &section)
{
    std::vector<std::string> names;
    bool inside = false;
    for (const std::string &line : crlf_lines(script)) {
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (!inside || line.empty() || line[0] == ';') {
            continue;
        }
        std::string name = line.substr(0, line.find_first_of(",="));
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
        names.push_back(name);
    }
    return names;
}

std::string copy_section_of(const std::string &script)
{
    std::vector<std::string> lines = crlf_lines(script);
    for (const std::string &line : lines) {
        if (line.rfind("CopyFiles=", 0) == 0) {
            return line.substr(10);
        }
    }
    return "";
}

uint32_t read32(const std::string &bytes, size_t offset)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 3])) << 24;
}

uint16_t read16(const std::string &bytes, size_t offset)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

struct cabinet_view {
    uint32_t total_size;
    int version_major;
    int version_minor;
    int folders;
    int flags;
    std::vector<std::string> names;
    std::vector<int> folder_of_file;
    std::vector<uint16_t> attributes;
};

// Reads a cabinet header and its file entries (no reserved areas).
cabinet_view parse_cabinet(const std::string &cab)
{
    cabinet_view view = {};
    if (cab.size() < 36 || cab.compare(0, 4, "MSCF") != 0) {
        ADD_FAILURE() << "not a cabinet";
        return view;
    }
    view.total_size = read32(cab, 8);
    uint32_t first_file = read32(cab, 16);
    view.version_minor = static_cast<unsigned char>(cab[24]);
    view.version_major = static_cast<unsigned char>(cab[25]);
    view.folders = read16(cab, 26);
    int files = read16(cab, 28);
    view.flags = read16(cab, 30);
    size_t position = first_file;
    for (int i = 0; i < files && position + 16 < cab.size(); ++i) {
        view.folder_of_file.push_back(read16(cab, position + 8));
        view.attributes.push_back(read16(cab, position + 14));
        size_t name_end = cab.find('\0', position + 16);
        if (name_end == std::string::npos) {
            ADD_FAILURE() << "unterminated member name";
            break;
        }
        view.names.push_back(cab.substr(position + 16, name_end - position - 16));
        position = name_end + 1;
    }
    return view;
}

struct script_case {
    const char *name;
    const unsigned char *bytes;
    const int *length;
    int expected_length;
    size_t expected_lines;
    const char *copy_section;
    uint32_t expected_hash; // of the text as the installer must carry it
};

const script_case scripts[] = {
    {"common", common_setup_script, &common_setup_script_length, 1018, 42, "ProgramFiles",
     0xb53fe34eu},
    {"win10", win10_setup_script, &win10_setup_script_length, 1008, 34, "DRIVER_LYN200_WIN10",
     0x6cabcf68u},
    {"win7", win7_setup_script, &win7_setup_script_length, 1004, 34, "DRIVER_LYN200_WIN7",
     0x054dc625u},
};

TEST(SetupScripts, ExactBytesWithCrLfLinesAndNoTerminator)
{
    for (const script_case &script : scripts) {
        SCOPED_TRACE(script.name);
        ASSERT_EQ(script.expected_length, *script.length);
        std::string text = bytes_of(script.bytes, *script.length);

        // Only CR LF line ends: no lone CR or LF, no NUL, plain ASCII.
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            ASSERT_NE(0, c) << "at " << i;
            ASSERT_LT(c, 0x80) << "at " << i;
            if (c == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "at " << i;
            }
            if (c == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "at " << i;
            }
        }
        std::vector<std::string> lines = crlf_lines(text);
        EXPECT_EQ(script.expected_lines, lines.size());
        EXPECT_EQ(";*** BEGIN **********************************************************",
                  lines.front());
        std::string ending = std::string("DelFiles = ") + script.copy_section + "\r\n\r\n";
        ASSERT_GE(text.size(), ending.size());
        EXPECT_EQ(ending, text.substr(text.size() - ending.size()));
        EXPECT_EQ(script.copy_section, copy_section_of(text));
        EXPECT_EQ(script.expected_hash, fnv1a(text)) << std::hex << fnv1a(text);
    }
}

struct cabinet_case {
    const char *name;
    const unsigned char *bytes;
    const int *length;
    const unsigned char *script;
    const int *script_length;
};

const cabinet_case cabinets[] = {
    {"common", common_cabinet, &common_cabinet_length, common_setup_script,
     &common_setup_script_length},
    {"ndis650 x64", ndis650_x64_cabinet, &ndis650_x64_cabinet_length, win10_setup_script,
     &win10_setup_script_length},
    {"ndis650 x86", ndis650_x86_cabinet, &ndis650_x86_cabinet_length, win10_setup_script,
     &win10_setup_script_length},
    {"ndis620 x64", ndis620_x64_cabinet, &ndis620_x64_cabinet_length, win7_setup_script,
     &win7_setup_script_length},
    {"ndis620 x86", ndis620_x86_cabinet, &ndis620_x86_cabinet_length, win7_setup_script,
     &win7_setup_script_length},
};

TEST(Cabinets, HeaderMatchesTheCarriedLengthAndTheMembersTheirScript)
{
    for (const cabinet_case &cabinet : cabinets) {
        SCOPED_TRACE(cabinet.name);
        std::string cab = bytes_of(cabinet.bytes, *cabinet.length);
        cabinet_view view = parse_cabinet(cab);
        EXPECT_EQ(static_cast<uint32_t>(*cabinet.length), view.total_size);
        EXPECT_EQ(1, view.version_major);
        EXPECT_EQ(3, view.version_minor);
        EXPECT_EQ(1, view.folders);
        EXPECT_EQ(0, view.flags) << "chained or with reserved areas";
        for (int folder : view.folder_of_file) {
            EXPECT_EQ(0, folder);
        }

        std::string script = bytes_of(cabinet.script, *cabinet.script_length);
        std::vector<std::string> copied = section_names(script, copy_section_of(script));
        EXPECT_EQ(copied, view.names);
        EXPECT_EQ(copied, section_names(script, "SourceDisksFiles"));
        for (const std::string &name : view.names) {
            EXPECT_EQ(std::string::npos, name.find_first_of("\\/")) << name;
        }
    }
}

// The capture looks for "inf" in target paths: among all members only the
// driver INF may contain it.
TEST(Cabinets, OnlyTheDriverInfNameContainsInf)
{
    for (const cabinet_case &cabinet : cabinets) {
        SCOPED_TRACE(cabinet.name);
        cabinet_view view = parse_cabinet(bytes_of(cabinet.bytes, *cabinet.length));
        int matches = 0;
        for (const std::string &name : view.names) {
            if (name.find("inf") != std::string::npos) {
                ++matches;
                EXPECT_EQ(".inf", name.substr(name.size() - 4));
            }
        }
        EXPECT_EQ(cabinet.bytes == common_cabinet ? 0 : 1, matches);
    }
}

TEST(PayloadPairs, CommonPairIsTheCommonCabinetAndScript)
{
    payload_pair pair = common_payload_pair();
    EXPECT_EQ(common_cabinet, pair.cabinet);
    EXPECT_EQ(common_cabinet_length, pair.cabinet_length);
    EXPECT_EQ(common_setup_script, pair.script);
    EXPECT_EQ(1018, pair.script_length);
}

TEST(PayloadPairs, DriverPairForEverySystemType)
{
    struct expected {
        int sys_type;
        int result;
        const unsigned char *cabinet;
        int cabinet_length;
        const unsigned char *script;
        int script_length;
    };
    const expected table[] = {
        {-1, -1, nullptr, 0, nullptr, 0},
        {0, -1, nullptr, 0, nullptr, 0},
        {1, -1, nullptr, 0, nullptr, 0},
        {2, -1, nullptr, 0, nullptr, 0},
        {3, 0, ndis620_x86_cabinet, ndis620_x86_cabinet_length, win7_setup_script, 1004},
        {4, 0, ndis620_x64_cabinet, ndis620_x64_cabinet_length, win7_setup_script, 1004},
        {5, 0, ndis650_x86_cabinet, ndis650_x86_cabinet_length, win10_setup_script, 1008},
        {6, 0, ndis650_x64_cabinet, ndis650_x64_cabinet_length, win10_setup_script, 1008},
        {7, -1, nullptr, 0, nullptr, 0},
    };
    for (const expected &row : table) {
        SCOPED_TRACE(row.sys_type);
        // A pair left over from an earlier choice must not survive.
        payload_pair pair = common_payload_pair();
        EXPECT_EQ(row.result, driver_payload_pair(row.sys_type, &pair));
        EXPECT_EQ(row.cabinet, pair.cabinet);
        EXPECT_EQ(row.cabinet_length, pair.cabinet_length);
        EXPECT_EQ(row.script, pair.script);
        EXPECT_EQ(row.script_length, pair.script_length);
    }
}

} // namespace
