// The resources of the built kelvora.exe, loaded as a data file: the two dialog templates
// byte for byte, the icon group and its images, the manifest, the languages, and the
// comctl32 import by ordinal. The program's path is the test's first argument; the second,
// "i386" or "amd64", names the machine it is built for when that is not the test's own (the
// 64-bit test checks the 32-bit program's bytes on a machine that cannot run the 32-bit test).
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/program_path_argument.h"
#include "app/resource.h"

namespace {

std::string ExePath() {
    return ProgramPathArgument();
}

// True when the program is a 64-bit one (PE32+).
bool ProgramIs64Bit() {
    if (__argc > 2) return strcmp(__argv[2], "amd64") == 0;
    return sizeof(void*) == 8;
}

// Little-endian writer for the expected templates.
struct Bytes {
    std::vector<unsigned char> data;
    void Word(unsigned v) {
        data.push_back(static_cast<unsigned char>(v & 0xFF));
        data.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
    }
    void Dword(unsigned long v) {
        Word(static_cast<unsigned>(v & 0xFFFF));
        Word(static_cast<unsigned>((v >> 16) & 0xFFFF));
    }
    void Text(const char* s) { // ASCII only, as all the templates' texts
        for (; *s; ++s) Word(static_cast<unsigned char>(*s));
        Word(0);
    }
    void Align4() {
        while (data.size() % 4 != 0) data.push_back(0);
    }
};

struct Control {
    unsigned id;
    unsigned atom;
    const char* title;
    unsigned long style;
    int x, y, cx, cy;
};

const unsigned long kLabel = 0x5002000C;
const unsigned long kCombo = 0x50210042;
const unsigned long kPush = 0x50010000;
const unsigned long kDefPush = 0x50010001;
const unsigned long kCheck = 0x50010003;

const Control kMainControls[] = {
    {65535, 0x82, "Fi&nd:", kLabel, 8, 8, 80, 9},
    {IDC_FIND, 0x85, "", kCombo, 8, 20, 156, 84},
    {65535, 0x82, "Re&place with:", kLabel, 8, 40, 72, 9},
    {IDC_REPLACE, 0x85, "", kCombo, 8, 52, 156, 84},
    {65535, 0x82, "File &Types:", kLabel, 8, 72, 76, 8},
    {IDC_FILETYPES, 0x85, "", kCombo, 8, 84, 156, 84},
    {IDC_FOLDER_LABEL, 0x82, "In F&older:", kLabel, 8, 104, 84, 8},
    {IDC_FOLDER, 0x85, "", kCombo, 8, 116, 156, 84},
    {IDC_BROWSE, 0x80, "...", kPush, 168, 116, 12, 14},
    {IDC_MATCHCASE, 0x80, "Match &Case", kCheck, 8, 136, 120, 11},
    {IDC_BACKUPS, 0x80, "Save &Backups", kCheck, 8, 152, 88, 10},
    {IDC_ONLYWORDS, 0x80, "Replace Only &Words", kCheck, 8, 168, 92, 10},
    {IDC_SUBFOLDERS, 0x80, "&Replace in Subfolders", kCheck, 8, 184, 112, 10},
    {IDOK, 0x80, "Replace &All", kDefPush, 172, 8, 50, 14},
    {IDCANCEL, 0x80, "Close", kPush, 172, 24, 50, 14},
};

const Control kProgressControls[] = {
    {IDCANCEL, 0x80, "Cancel", kDefPush, 28, 48, 50, 14},
    {65535, 0x82, "Replaced Strings:", kLabel, 8, 8, 64, 8},
    {IDC_REPLACED_STRINGS, 0x82, "0", kLabel, 72, 8, 32, 8},
    {65535, 0x82, "Replaced Files:", kLabel, 8, 20, 64, 8},
    {IDC_REPLACED_FILES, 0x82, "0", kLabel, 72, 20, 32, 8},
    {65535, 0x82, "Searched Files:", kLabel, 8, 32, 64, 8},
    {IDC_SEARCHED_FILES, 0x82, "0", kLabel, 72, 32, 32, 8},
};

// A classic template with style 0x80C800C0, no menu, the 8-point "MS Sans Serif".
std::vector<unsigned char> ExpectedTemplate(const char* windowClass, const char* caption, int cx,
                                            int cy, const Control* controls, size_t count) {
    Bytes b;
    b.Dword(0x80C800C0);
    b.Dword(0);
    b.Word(static_cast<unsigned>(count));
    b.Word(0);
    b.Word(0);
    b.Word(static_cast<unsigned>(cx));
    b.Word(static_cast<unsigned>(cy));
    b.Word(0); // no menu
    b.Text(windowClass);
    b.Text(caption);
    b.Word(8);
    b.Text("MS Sans Serif");
    for (size_t i = 0; i < count; ++i) {
        const Control& c = controls[i];
        b.Align4();
        b.Dword(c.style);
        b.Dword(0);
        b.Word(static_cast<unsigned>(c.x));
        b.Word(static_cast<unsigned>(c.y));
        b.Word(static_cast<unsigned>(c.cx));
        b.Word(static_cast<unsigned>(c.cy));
        b.Word(c.id);
        b.Word(0xFFFF);
        b.Word(c.atom);
        b.Text(c.title);
        b.Word(0); // no creation data
    }
    return b.data;
}

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); // 1033
const WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);      // 0

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<unsigned>*>(param)->push_back(
            static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR param) {
    // Named types show up as a value that cannot be a small id.
    reinterpret_cast<std::vector<ULONG_PTR>*>(param)->push_back(
        IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type) : 0xFFFFFFFF);
    return TRUE;
}

class ResourceBytesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "cannot load " << ExePath() << " error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    std::vector<unsigned char> Resource(LPCSTR type, unsigned id, WORD language) {
        HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), language);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const unsigned char* p = static_cast<const unsigned char*>(LockResource(loaded));
        const DWORD size = SizeofResource(module_, found);
        return p ? std::vector<unsigned char>(p, p + size) : std::vector<unsigned char>();
    }

    std::vector<WORD> Languages(LPCSTR type, unsigned id) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(module_, type, MAKEINTRESOURCEA(id), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    std::vector<unsigned> Names(LPCSTR type) {
        std::vector<unsigned> names;
        EnumResourceNamesA(module_, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

    HMODULE module_ = nullptr;
};

TEST_F(ResourceBytesTest, MainDialogTemplateIsExact) {
    const std::vector<unsigned char> expected =
        ExpectedTemplate("DmKelvoraClass", "Replace in Files", 231, 199, kMainControls,
                         sizeof kMainControls / sizeof kMainControls[0]);
    EXPECT_EQ(Resource(RT_DIALOG, IDD_MAIN, kEnglishUs), expected);
    EXPECT_EQ(Languages(RT_DIALOG, IDD_MAIN), std::vector<WORD>{kEnglishUs});
}

TEST_F(ResourceBytesTest, DialogTemplatesStartOnFourByteBoundaries) {
    for (unsigned id : {IDD_MAIN, IDD_PROGRESS}) {
        HRSRC found = FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(id), kEnglishUs);
        ASSERT_NE(found, nullptr) << id;
        const void* data = LockResource(LoadResource(module_, found));
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(data) % 4, 0u) << id;
    }
}

TEST_F(ResourceBytesTest, ProgressDialogTemplateIsExact) {
    const std::vector<unsigned char> expected =
        ExpectedTemplate("", "Replacing...", 106, 67, kProgressControls,
                         sizeof kProgressControls / sizeof kProgressControls[0]);
    EXPECT_EQ(expected.size(), 376u); // the size the dialog runner's worked example names
    EXPECT_EQ(Resource(RT_DIALOG, IDD_PROGRESS, kEnglishUs), expected);
    EXPECT_EQ(Languages(RT_DIALOG, IDD_PROGRESS), std::vector<WORD>{kEnglishUs});
}

TEST_F(ResourceBytesTest, OnlyTheProgramsResourcesExist) {
    std::vector<ULONG_PTR> types;
    EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
    std::vector<ULONG_PTR> expected = {3, 5, 14, 24}; // icon, dialog, group icon, manifest
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, expected);
    EXPECT_EQ(Names(RT_DIALOG), (std::vector<unsigned>{IDD_MAIN, IDD_PROGRESS}));
    EXPECT_EQ(Names(RT_GROUP_ICON), std::vector<unsigned>{IDI_APP});
    EXPECT_EQ(Names(RT_ICON), (std::vector<unsigned>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Names(RT_MANIFEST), std::vector<unsigned>{1});
}

unsigned Le16(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}

unsigned long Le32(const std::vector<unsigned char>& b, size_t at) {
    return Le16(b, at) | (static_cast<unsigned long>(Le16(b, at + 2)) << 16);
}

TEST_F(ResourceBytesTest, IconGroupListsNineImagesInOrder) {
    const std::vector<unsigned char> group = Resource(RT_GROUP_ICON, IDI_APP, kNeutral);
    ASSERT_EQ(group.size(), 6u + 9u * 14u);
    EXPECT_EQ(Le16(group, 0), 0u);
    EXPECT_EQ(Le16(group, 2), 1u);
    ASSERT_EQ(Le16(group, 4), 9u);
    EXPECT_EQ(Languages(RT_GROUP_ICON, IDI_APP), std::vector<WORD>{kNeutral});

    const unsigned sizes[] = {48, 32, 16};
    const unsigned depths[] = {4, 8, 32};
    for (unsigned i = 0; i < 9; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const size_t e = 6 + i * 14;
        const unsigned size = sizes[i % 3];
        const unsigned bits = depths[i / 3];
        EXPECT_EQ(group[e], size);
        EXPECT_EQ(group[e + 1], size);
        EXPECT_EQ(group[e + 2], bits == 4 ? 16u : 0u);
        EXPECT_EQ(Le16(group, e + 4), 1u);
        EXPECT_EQ(Le16(group, e + 6), bits);
        EXPECT_EQ(Le16(group, e + 12), i + 1);

        // The image: a DIB of twice the height (colour bits, then the AND mask).
        const std::vector<unsigned char> image = Resource(RT_ICON, i + 1, kNeutral);
        EXPECT_EQ(Languages(RT_ICON, i + 1), std::vector<WORD>{kNeutral});
        ASSERT_GE(image.size(), 40u);
        EXPECT_EQ(Le32(group, e + 8), image.size());
        EXPECT_EQ(Le32(image, 0), 40u);
        EXPECT_EQ(Le32(image, 4), size);
        EXPECT_EQ(Le32(image, 8), 2 * size);
        EXPECT_EQ(Le16(image, 12), 1u);
        EXPECT_EQ(Le16(image, 14), bits);
        EXPECT_EQ(Le32(image, 16), 0u); // BI_RGB
        const size_t palette = bits == 32 ? 0 : (4u << bits);
        const size_t colourRow = ((bits * size + 31) / 32) * 4;
        const size_t maskRow = ((size + 31) / 32) * 4;
        EXPECT_EQ(image.size(), 40 + palette + size * (colourRow + maskRow));
    }
}

TEST_F(ResourceBytesTest, IconImagesHaveTransparentCornersAndOpaquePicture) {
    for (unsigned id = 1; id <= 9; ++id) {
        SCOPED_TRACE("image " + std::to_string(id));
        const std::vector<unsigned char> image = Resource(RT_ICON, id, kNeutral);
        ASSERT_GE(image.size(), 40u);
        const unsigned size = Le32(image, 4);
        const unsigned bits = Le16(image, 14);
        const size_t palette = bits == 32 ? 0 : (4u << bits);
        const size_t colourRow = ((bits * size + 31) / 32) * 4;
        const size_t maskRow = ((size + 31) / 32) * 4;
        const size_t mask = 40 + palette + size * colourRow;
        size_t transparent = 0;
        for (unsigned row = 0; row < size; ++row) {
            for (unsigned col = 0; col < size; ++col) {
                if (image[mask + row * maskRow + col / 8] & (0x80 >> (col % 8))) ++transparent;
            }
        }
        // Bottom-up rows: the last mask row is the top of the picture; its right end is clear.
        EXPECT_TRUE(image[mask + (size - 1) * maskRow + (size - 1) / 8] & (0x80 >> ((size - 1) % 8)));
        EXPECT_GT(transparent, size * size / 10);
        EXPECT_LT(transparent, size * size / 2);
        if (bits == 32) { // alpha agrees with the mask at the transparent top right corner
            const size_t corner = 40 + (size - 1) * colourRow + (size - 1) * 4;
            EXPECT_EQ(image[corner + 3], 0u);
        }
    }
}

TEST_F(ResourceBytesTest, ManifestAsksForCommonControls6OnThisArchitecture) {
    const std::vector<unsigned char> bytes = Resource(RT_MANIFEST, 1, kEnglishUs);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(Languages(RT_MANIFEST, 1), std::vector<WORD>{kEnglishUs});
    const std::string xml(bytes.begin(), bytes.end());
    const std::string arch = ProgramIs64Bit() ? "processorArchitecture=\"amd64\""
                                              : "processorArchitecture=\"X86\"";
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u);
    EXPECT_NE(xml.find("xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\""),
              std::string::npos);
    const size_t own = xml.find("<assemblyIdentity version=\"1.0.0.0\" " + arch +
                                " name=\"Dunmak.Kelvora\" type=\"win32\"/>");
    EXPECT_NE(own, std::string::npos);
    EXPECT_NE(xml.find("<description>Kelvora</description>"), std::string::npos);
    const size_t dependency = xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"");
    ASSERT_NE(dependency, std::string::npos);
    EXPECT_NE(xml.find(arch, dependency), std::string::npos);
    EXPECT_NE(xml.find("publicKeyToken=\"6595b64144ccf1df\" language=\"*\"", dependency),
              std::string::npos);
    EXPECT_EQ(xml.find("X86") == std::string::npos, arch.find("X86") == std::string::npos);
}

// The program's file, for the import table.
std::vector<unsigned char> ReadExe() {
    std::vector<unsigned char> bytes;
    FILE* f = fopen(ExePath().c_str(), "rb");
    if (!f) return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

// The program's import table: each DLL's name and the raw thunks of its lookup table: PE32+
// with 8-byte thunks for the 64-bit program, PE32 with 4-byte thunks for the 32-bit one.
struct Import {
    std::string dll;
    std::vector<unsigned long long> thunks;
};

void ReadImports(const std::vector<unsigned char>& file, std::vector<Import>* imports) {
    const bool pe32Plus = ProgramIs64Bit();
    ASSERT_GT(file.size(), 0x400u);
    const size_t nt = Le32(file, 0x3C);
    ASSERT_LT(nt + 0x108, file.size());
    ASSERT_EQ(Le32(file, nt), 0x4550u); // "PE\0\0"
    ASSERT_EQ(Le16(file, nt + 4), pe32Plus ? 0x8664u : 0x14Cu); // x86-64 or i386
    const unsigned sections = Le16(file, nt + 6);
    const unsigned optionalSize = Le16(file, nt + 20);
    const size_t optional = nt + 24;
    ASSERT_EQ(Le16(file, optional), pe32Plus ? 0x20Bu : 0x10Bu);
    const unsigned long importRva = Le32(file, optional + (pe32Plus ? 112 : 96) + 8);
    const size_t sectionTable = optional + optionalSize;

    auto toOffset = [&](unsigned long rva) -> size_t {
        for (unsigned s = 0; s < sections; ++s) {
            const size_t h = sectionTable + s * 40;
            const unsigned long va = Le32(file, h + 12), rawSize = Le32(file, h + 16),
                                raw = Le32(file, h + 20);
            if (rva >= va && rva < va + rawSize) return raw + (rva - va);
        }
        return 0;
    };

    for (size_t d = toOffset(importRva); d && Le32(file, d + 12) != 0; d += 20) {
        Import import;
        import.dll = reinterpret_cast<const char*>(&file[toOffset(Le32(file, d + 12))]);
        size_t t = toOffset(Le32(file, d) ? Le32(file, d) : Le32(file, d + 16));
        for (;; t += pe32Plus ? 8 : 4) {
            unsigned long long v = Le32(file, t);
            if (pe32Plus) v |= static_cast<unsigned long long>(Le32(file, t + 4)) << 32;
            if (v == 0) break;
            import.thunks.push_back(v);
        }
        imports->push_back(import);
    }
}

TEST(ProgramImports, InitCommonControlsByOrdinal17Only) {
    std::vector<Import> imports;
    ASSERT_NO_FATAL_FAILURE(ReadImports(ReadExe(), &imports));
    size_t comctl = 0;
    std::vector<unsigned long long> thunks;
    for (const Import& import : imports) {
        if (_stricmp(import.dll.c_str(), "comctl32.dll") != 0) continue;
        ++comctl;
        thunks.insert(thunks.end(), import.thunks.begin(), import.thunks.end());
    }
    EXPECT_EQ(comctl, 1u);
    const unsigned long long byOrdinal = ProgramIs64Bit() ? 0x8000000000000000ull : 0x80000000ull;
    EXPECT_EQ(thunks, std::vector<unsigned long long>{byOrdinal | 17});
}

// The program's header says it may use addresses above 2 GiB: the 64-bit linker sets that by
// itself; the 32-bit program asks for it, so that on 64-bit Windows a file's view may be
// placed in the whole 4 GiB of its address space.
TEST(ProgramHeader, LargeAddressAware) {
    const std::vector<unsigned char> file = ReadExe();
    ASSERT_GT(file.size(), 0x400u);
    const size_t nt = Le32(file, 0x3C);
    ASSERT_LT(nt + 24, file.size());
    ASSERT_EQ(Le32(file, nt), 0x4550u); // "PE\0\0"
    EXPECT_NE(Le16(file, nt + 22) & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0u);
}

// The program is shipped alone: it needs no MinGW runtime DLL (libgcc_s_*, libstdc++-6,
// libwinpthread-1) beside it, only the system's own.
TEST(ProgramImports, NoMinGwRuntimeDll) {
    std::vector<Import> imports;
    ASSERT_NO_FATAL_FAILURE(ReadImports(ReadExe(), &imports));
    ASSERT_FALSE(imports.empty());
    for (const Import& import : imports) {
        EXPECT_NE(_strnicmp(import.dll.c_str(), "lib", 3), 0) << import.dll;
    }
}

} // namespace
