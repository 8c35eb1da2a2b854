// The large-file tests' fixture: a file's path in a scratch folder, removed afterwards, and
// the request record cleared, under code page 1252.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_job.h"
#include "tests/engine/engine_file_helpers.h"

class LargeFileTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        ReplaceJob = ReplaceJobRecord();
        folder = ScratchFolder();
        path = folder + "large.bin";
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
        ReplaceJob = ReplaceJobRecord();
    }
    std::string folder;
    std::string path;
};
