// The engine argument list and the temporary files of a conversion.
#include "TestSupport.h"
#include "app/CommandLineBuilder.h"
#include "app/TempFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<std::string> Entries(const CCommandLineBuilder& builder) {
    std::vector<char*> pointers(static_cast<size_t>(builder.GetCount()));
    builder.CopyArguments(pointers.data());
    return std::vector<std::string>(pointers.begin(), pointers.end());
}

TEST(CommandLineBuilder, KeepsOrderAndTextExactly) {
    CCommandLineBuilder builder;
    builder.AddCommandLine("gs -dBATCH -dSAFER -DNOPAUSE -q -sDEVICE=pdfwrite");
    builder.AddArgument("-sOutputFile=C:\\My Files\\a b.pdf");
    builder.AddArgument("-sOwnerPassword= two  blanks ");
    builder.AddArgument("");
    builder.AddCommandLine("-c .setpdfwrite");
    EXPECT_EQ((std::vector<std::string>{"gs", "-dBATCH", "-dSAFER", "-DNOPAUSE", "-q",
                                        "-sDEVICE=pdfwrite", "-sOutputFile=C:\\My Files\\a b.pdf",
                                        "-sOwnerPassword= two  blanks ", "", "-c",
                                        ".setpdfwrite"}),
              Entries(builder));
    EXPECT_EQ(11, builder.GetCount());
}

TEST(CommandLineBuilder, OwnsPrivateCopies) {
    CCommandLineBuilder builder;
    std::string text = "-dPDFSETTINGS=/screen";
    builder.AddArgument(text);
    text[0] = 'X';
    char* pointer = nullptr;
    builder.CopyArguments(&pointer);
    EXPECT_STREQ("-dPDFSETTINGS=/screen", pointer);

    // Pointers stay valid while more entries are appended.
    for (int i = 0; i < 100; ++i) builder.AddArgument("more");
    EXPECT_STREQ("-dPDFSETTINGS=/screen", pointer);
}

TEST(CommandLineBuilder, EmptyBuilderWritesNothing) {
    CCommandLineBuilder builder;
    EXPECT_EQ(0, builder.GetCount());
    char* sentinel = reinterpret_cast<char*>(0x1234);
    builder.CopyArguments(&sentinel);
    EXPECT_EQ(reinterpret_cast<char*>(0x1234), sentinel);
    EXPECT_EQ("", builder.GetTempFilePath());
}

TEST(CommandLineBuilder, ResetStartsAfreshAndDeletesTheTempFile) {
    CCommandLineBuilder builder;
    std::string path;
    ASSERT_TRUE(CreateTempFilePath(path));
    builder.AddCommandLine("gs -q");
    builder.SetTempFilePath(path);
    builder.Reset();
    EXPECT_EQ(0, builder.GetCount());
    EXPECT_EQ("", builder.GetTempFilePath());
    EXPECT_FALSE(testing_support::FileExists(path));
}

TEST(CommandLineBuilder, DestructionDeletesTheTempFile) {
    std::string path;
    ASSERT_TRUE(CreateTempFilePath(path));
    {
        CCommandLineBuilder builder;
        builder.SetTempFilePath(path);
    }
    EXPECT_FALSE(testing_support::FileExists(path));
}

// The process-wide builder deletes its file at exit, also when the process
// ends after a failure (here: a non-zero exit status from main).
TEST(CommandLineBuilder, ProcessExitDeletesTheLastTempFile) {
    const std::string probe = testing_support::BinaryDir() + "\\tests\\unit\\builder_exit_probe.exe";
    for (const char* mode : {"ok", "fail"}) {
        auto result = testing_support::RunProcess("\"" + probe + "\" " + mode);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(std::string(mode) == "ok" ? 0u : 3u, result.exitCode);
        std::string path = result.output.substr(0, result.output.find_first_of("\r\n"));
        ASSERT_FALSE(path.empty());
        EXPECT_FALSE(testing_support::FileExists(path)) << path;
    }
}

TEST(TempFile, TwoCallsGiveTwoDistinctEmptyFilesInTheTempFolder) {
    std::string folder = testing_support::MakeEmptyDir("temp-files");
    ::SetEnvironmentVariableA("TMP", folder.c_str());
    std::string first, second;
    ASSERT_TRUE(CreateTempFilePath(first));
    ASSERT_TRUE(CreateTempFilePath(second));
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        EXPECT_EQ(0u, testing_support::ReadFileBytes(path).size()) << path;
        std::string name = path.substr(path.rfind('\\') + 1);
        EXPECT_EQ(0u, name.find("~or")) << name;
        EXPECT_EQ(0, ::lstrcmpiA(".tmp", name.substr(name.size() - 4).c_str())) << name;
        EXPECT_EQ(folder + "\\" + name, path);
    }
    EXPECT_EQ(2u, testing_support::ListFiles(folder).size());
    ::SetEnvironmentVariableA("TMP", (testing_support::TestDir() + "\\tmp").c_str());
}

TEST(TempFile, FailsWithoutAUsableTemporaryFolder) {
    std::string missing = testing_support::TestDir() + "\\does-not-exist";
    ::SetEnvironmentVariableA("TMP", missing.c_str());
    std::string path = "unchanged";
    EXPECT_FALSE(CreateTempFilePath(path));
    EXPECT_EQ("unchanged", path);

    std::string tooLong = "C:\\" + std::string(600, 'x');
    ::SetEnvironmentVariableA("TMP", tooLong.c_str());
    EXPECT_FALSE(CreateTempFilePath(path));
    ::SetEnvironmentVariableA("TMP", (testing_support::TestDir() + "\\tmp").c_str());
}

}  // namespace
