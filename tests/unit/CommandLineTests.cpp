// The proposed output name and the splitting of command lines.
#include "TestSupport.h"
#include "app/JobInput.h"
#include "framework/Text.h"

#include <gtest/gtest.h>

namespace {

struct OutputNameCase {
    const char* commandLine;
    const char* expected;
};

const OutputNameCase kOutputNameCases[] = {
    {"orvpdf.exe \"-sOutputFile=C:\\My Docs\\a.pdf\"", "C:\\My Docs\\a.pdf"},
    {"orvpdf.exe -sOutputFile=report", "report"},
    {"orvpdf.exe -soutputfile=x.pdf", "out.pdf"},
    {"orvpdf.exe -sOutputFile= -sOutputFile=b.pdf", "out.pdf"},
    {"orvpdf.exe -sOutputFile=a.pdf -sOutputFile=b.pdf", "a.pdf"},
    {"orvpdf.exe", "out.pdf"},
    {"orvpdf.exe other -sOutputFile=later.pdf", "later.pdf"},
    {"orvpdf.exe \"-sOutputFile=Invoice 12\"", "Invoice 12"},
    {"orvpdf.exe -sOutputFile=\"quoted part\".pdf", "quoted part.pdf"},
    {"orvpdf.exe -sOutputFile=a\\\"b", "a\"b"},
    // The program's own path is visited too.
    {"-sOutputFile=self.pdf", "self.pdf"},
};

TEST(OutputName, FollowsTheCommandLineRules) {
    for (const OutputNameCase& c : kOutputNameCases) {
        EXPECT_EQ(c.expected, OutputNameFromArguments(fw::SplitCommandLine(c.commandLine)))
            << c.commandLine;
    }
}

TEST(OutputName, AnArgumentTooLongForTheBufferIsSkipped) {
    std::string longName(300, 'n');
    std::string line = "orvpdf.exe -sOutputFile=" + longName + " -sOutputFile=short.pdf";
    EXPECT_EQ("short.pdf", OutputNameFromArguments(fw::SplitCommandLine(line)));

    // 246 + 13 = 259 bytes: the longest argument that still fits.
    std::string fitting(246, 'f');
    line = "orvpdf.exe -sOutputFile=" + fitting;
    EXPECT_EQ(fitting, OutputNameFromArguments(fw::SplitCommandLine(line)));
    line = "orvpdf.exe -sOutputFile=" + fitting + "x";
    EXPECT_EQ("out.pdf", OutputNameFromArguments(fw::SplitCommandLine(line)));
}

// The same rules through a real process started with those arguments.
TEST(OutputName, RealProcessSeesItsOwnCommandLine) {
    const std::string probe = testing_support::BinaryDir() + "\\tests\\unit\\output_name_probe.exe";
    const OutputNameCase cases[] = {
        {" \"-sOutputFile=C:\\My Docs\\a.pdf\"", "C:\\My Docs\\a.pdf"},
        {" -soutputfile=x.pdf", "out.pdf"},
        {" -sOutputFile= -sOutputFile=b.pdf", "out.pdf"},
        {" -sOutputFile=a.pdf -sOutputFile=b.pdf", "a.pdf"},
        {"", "out.pdf"},
    };
    for (const OutputNameCase& c : cases) {
        auto result = testing_support::RunProcess("\"" + probe + "\"" + c.commandLine);
        ASSERT_TRUE(result.finished) << c.commandLine;
        // The probe's standard output is a text stream: lines end with CR LF.
        EXPECT_EQ(std::string(c.expected) + "\r\n", result.output) << c.commandLine;
    }
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"gs", "-dBATCH", "-dSAFER", "-DNOPAUSE", "-q", "-sDEVICE=pdfwrite"}),
              fw::SplitCommandLine("gs -dBATCH -dSAFER -DNOPAUSE -q -sDEVICE=pdfwrite"));
    EXPECT_EQ((V{"-c", ".setpdfwrite"}), fw::SplitCommandLine("-c .setpdfwrite"));
    EXPECT_EQ((V{"C:\\Program Files\\x.exe", "a b", "c"}),
              fw::SplitCommandLine("\"C:\\Program Files\\x.exe\" \"a b\"\tc"));
}

TEST(Text, LastBackslashAndFolder) {
    EXPECT_EQ("C:\\Tools\\Pdf", fw::FolderOf("C:\\Tools\\Pdf\\orvpdf.exe"));
    EXPECT_EQ("", fw::FolderOf("orvpdf.exe"));
    EXPECT_EQ(std::string::npos, fw::FindLastBackslash("no separators"));
    EXPECT_EQ(2u, fw::FindLastBackslash("C:\\"));
}

}  // namespace
