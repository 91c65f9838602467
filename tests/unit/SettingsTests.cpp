// setting.ini through the real private-profile functions.
#include "TestSupport.h"
#include "settings/Ini.h"
#include "settings/Singleton.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeEmptyDir("settings");
        CSingleton::GetInstance().SetFolder(folder_);
    }
    CIni& Ini() { return CSingleton::GetInstance().Ini(); }
    std::string FileText() { return testing_support::ReadFileBytes(folder_ + "\\setting.ini"); }

    std::string folder_;
};

TEST(SettingsPath, OneBackslashBetweenFolderAndFile) {
    EXPECT_EQ("C:\\Tools\\Pdf\\setting.ini", SettingsPathForFolder("C:\\Tools\\Pdf"));
    EXPECT_EQ("C:\\Tools\\Pdf\\setting.ini", SettingsPathForFolder("C:\\Tools\\Pdf\\"));
    EXPECT_EQ("C:\\setting.ini", SettingsPathForFolder("C:\\"));
    EXPECT_EQ("\\setting.ini", SettingsPathForFolder(""));
}

TEST_F(SettingsFile, MissingFileReadsEmptyEverywhere) {
    EXPECT_EQ("", Ini().GetString("command", "-dPDFSETTINGS"));
    EXPECT_EQ(0u, Ini().GetPermissions());
    EXPECT_STREQ("", Ini().ReadValue(nullptr, "key").get());
    EXPECT_STREQ("", Ini().ReadValue("command", nullptr).get());
    EXPECT_FALSE(testing_support::FileExists(folder_ + "\\setting.ini"));
}

TEST_F(SettingsFile, ValuesOfAnyLengthAreReadBackWhole) {
    for (size_t length : {0u, 1u, 510u, 511u, 512u, 513u, 1023u, 1024u, 1500u, 5000u}) {
        std::string value;
        for (size_t i = 0; i < length; ++i) value += static_cast<char>('a' + i % 26);
        WriteSetting("description", "/Title", value.c_str());
        EXPECT_EQ(value, Ini().GetString("description", "/Title")) << "length " << length;
    }
}

TEST_F(SettingsFile, EmptyValueAndRemovedKeyReadTheSame) {
    WriteSetting("description", "/Subject", "");
    WriteSetting("command", "-sOwnerPassword", "secret word");
    EXPECT_EQ("secret word", Ini().GetString("command", "-sOwnerPassword"));
    WriteSetting("command", "-sOwnerPassword", nullptr);
    EXPECT_EQ("", Ini().GetString("description", "/Subject"));
    EXPECT_EQ("", Ini().GetString("command", "-sOwnerPassword"));
    std::string text = FileText();
    EXPECT_NE(std::string::npos, text.find("/Subject=")) << text;
    EXPECT_EQ(std::string::npos, text.find("-sOwnerPassword")) << text;
}

TEST_F(SettingsFile, SectionAndKeyNamesIgnoreCaseValuesDoNot) {
    WriteSetting("option", "set password", "True");
    EXPECT_EQ("True", Ini().GetString("OPTION", "Set Password"));
}

TEST_F(SettingsFile, HandEditedFileReadsAsWritten) {
    testing_support::WriteFileBytes(folder_ + "\\setting.ini",
                                    "[command]\r\n"
                                    "-dPermissions=12abc\r\n"
                                    "-dKeyLength = 128 \r\n"
                                    "garbage line without equals\r\n"
                                    "[description]\r\n"
                                    "/Title=\"quoted\"\r\n");
    EXPECT_EQ(12u, Ini().GetPermissions());
    EXPECT_EQ("128", Ini().GetString("command", "-dKeyLength"));
    EXPECT_EQ("quoted", Ini().GetString("description", "/Title"));
}

TEST(Permissions, ParsesLikeStrtoul) {
    struct Case {
        std::string stored;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"", 0},
        {"3900", 3900},
        {"abc", 0},
        {"12abc", 12},
        {"   42", 42},
        {"-4", 4294967292u},
        {"99999999999", 4294967295u},
        // Only the first 64 bytes count.
        {std::string(63, '0') + "7" + "5", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ParsePermissions(c.stored)) << c.stored;
}

}  // namespace
