#include <gtest/gtest.h>

#include "platform/windows_error.h"

TEST(FormatWindowsError, KnownCodeKeepsTheSystemTextWithItsLineBreak) {
    const std::string text = FormatWindowsError(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text, "Unknown Windows Error");
}

TEST(FormatWindowsError, UnknownCodeGivesTheFixedText) {
    EXPECT_EQ(FormatWindowsError(0x7FFFFF17u), "Unknown Windows Error");
}

TEST(FormatWindowsError, LastErrorGivesTheSameTextAsTheCode) {
    for (DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_CLASS_DOES_NOT_EXIST}, DWORD{0x7FFFFF17u}}) {
        SetLastError(code);
        // Read first: formatting an unknown code sets a new last error.
        const std::string throughLastError = FormatLastWindowsError();
        EXPECT_EQ(throughLastError, FormatWindowsError(code)) << code;
    }
}
