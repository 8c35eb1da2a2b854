// Fixing the process's character model from the system's ANSI code page.
#pragma once

#include "engine/character_model.h"

// Builds the model of the ANSI code page (GetACP) into model: the five known double-byte
// pages from their table, any other double-byte page from GetCPInfo, single-byte otherwise;
// for double-byte pages the single-byte fold map comes from the platform's character tables.
void BuildCharacterModelForAnsiCodePage(CharacterModel* model);

// Fixes ProcessCharacterModel; called once at start-up, before any other thread runs.
void InitCharacterModel();
