// The character model from the platform: the ANSI code page decides it, and the fixed
// table's lead bytes agree with what the platform reports for each known page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engine/character_model.h"
#include "engine/character_model_win.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

bool RunningUnderJapaneseLocale() {
    const char* lcAll = std::getenv("LC_ALL");
    return lcAll && std::strncmp(lcAll, "ja_JP", 5) == 0;
}

TEST(CharacterModelWin, FollowsTheAnsiCodePage) {
    InitCharacterModel();
    EXPECT_EQ(ProcessCharacterModel.codePage, GetACP());
    if (RunningUnderJapaneseLocale()) {
        EXPECT_EQ(ProcessCharacterModel.codePage, 932u);
        EXPECT_TRUE(ProcessCharacterModel.doubleByte);
        EXPECT_TRUE(IsLeadByte(ProcessCharacterModel, 0x82));
        // ASCII letters fold, lead bytes never do, half-width katakana are not letters.
        EXPECT_EQ(ProcessCharacterModel.fold['A'], 'a');
        EXPECT_EQ(ProcessCharacterModel.fold[0x82], 0x82);
        EXPECT_EQ(ProcessCharacterModel.fold[0xB1], 0xB1);
    } else {
        EXPECT_FALSE(ProcessCharacterModel.doubleByte);
        // Single-byte pages fold the 26 ASCII letters only.
        EXPECT_EQ(ProcessCharacterModel.fold['Z'], 'z');
        EXPECT_EQ(ProcessCharacterModel.fold[0xC9], 0xC9);
    }
}

// Under the Japanese locale the process's own model keeps double-byte characters whole:
// the 'a' that is the trail byte of 0x82 0x61 is not replaced, the one after it is.
TEST(CharacterModelWin, ProcessModelKeepsCharactersWholeInFiles) {
    InitCharacterModel();
    std::string folder = ScratchFolder();
    std::string path = folder + "japanese.txt";
    WriteWholeFile(path, "\x82" "a" "a\x82" "a");
    ReplaceJob = ReplaceJobRecord();
    SetRequest("a", "X");
    int result = ReplaceInFile(path.c_str());
    std::string content = ReadWholeFile(path);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    ReplaceJob = ReplaceJobRecord();
    if (RunningUnderJapaneseLocale()) {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(content, "\x82" "aX\x82" "a");
    } else {
        EXPECT_EQ(result, 3);
        EXPECT_EQ(content, "\x82" "XX\x82" "X");
    }
}

TEST(CharacterModelWin, TableLeadBytesAgreeWithThePlatform) {
    for (unsigned codePage : {932u, 936u, 949u, 950u, 1361u}) {
        CPINFO info = {};
        ASSERT_TRUE(GetCPInfo(codePage, &info)) << codePage;
        EXPECT_EQ(info.MaxCharSize, 2u) << codePage;
        bool platformLead[256] = {};
        for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] || info.LeadByte[i + 1]); i += 2) {
            for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
                platformLead[b] = true;
        }
        CharacterModel model;
        ASSERT_TRUE(MakeKnownDoubleByteModel(&model, codePage));
        for (int b = 0; b < 256; ++b) {
            // Wine reports 1361's first lead byte as 0x84; 0x81-0x83 start no assigned
            // character there, and the fixed table keeps them as lead bytes.
            bool expected = platformLead[b] || (codePage == 1361 && b >= 0x81 && b <= 0x83);
            EXPECT_EQ(IsLeadByte(model, static_cast<unsigned char>(b)), expected)
                << "code page " << codePage << " byte " << b;
        }
    }
}

} // namespace
