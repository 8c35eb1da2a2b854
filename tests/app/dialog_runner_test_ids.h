// Ids of the dialog runner tests' own dialog templates.
#pragma once

#define IDD_TEST_FONT 201
#define IDD_TEST_NO_FONT 202
#define IDD_TEST_TRUNCATED 203
#define IDD_TEST_MISSING 299
