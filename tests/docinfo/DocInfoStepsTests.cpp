// The document-information steps of a conversion on the process's table,
// builder and settings file: scan of the spool file, stored values from a
// real setting.ini, the rewritten copy replacing the spool file, and the
// file errors that end a conversion.
#include "DocInfoFixtures.h"
#include "app/CommandLineBuilder.h"
#include "settings/Singleton.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

using docinfo_test::SevenLines;
using docinfo_test::Values;
using docinfo_test::ValuesOf;
using testing_support::FileExists;
using testing_support::ListFiles;
using testing_support::MakeEmptyDir;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const char kJob[] =
    "%!PS-Adobe-3.0\r\n%%Title: Old title\r\n%%Keywords: job keywords\r\n%%Creator: Writer\r\n"
    "%%EndComments\r\nshowpage\r\n";

// Each test gets an empty temporary folder of its own and a settings folder.
class DocInfoSteps : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_temp = MakeEmptyDir(name + "-temp");
        m_settings = MakeEmptyDir(name + "-settings");
        ::SetEnvironmentVariableA("TMP", m_temp.c_str());
        CSingleton::GetInstance().SetFolder(m_settings);
        m_spool = m_temp + "\\spool.tmp";
        WriteFileBytes(m_spool, kJob);
        GetCommandLineBuilder().SetTempFilePath(m_spool);
    }
    void TearDown() override {
        GetCommandLineBuilder().SetTempFilePath("");
        ::SetEnvironmentVariableA("TMP", (testing_support::TestDir() + "\\tmp").c_str());
    }

    std::string m_temp;
    std::string m_settings;
    std::string m_spool;
};

TEST_F(DocInfoSteps, StoredValuesOverrideTheJobAndTheCopyReplacesTheSpoolFile) {
    WriteSetting("description", "/Title", "Minutes");
    WriteSetting("description", "/Subject", "Budget (draft)");
    WriteSetting("description", "/Keywords", "");  // empty: the job's value stays
    WriteSetting("description", "/CreationDate", "2009-06-30T14:05:09-05'00'");

    ScanDscHeader();
    EXPECT_EQ((Values{"Old title", "", "", "job keywords", "", "Writer", ""}),
              ValuesOf(GetDocInfoTable()));
    ApplyStoredDocInfo();
    const Values final = {"Minutes",     "", "Budget (draft)", "job keywords",
                          "2009-06-30T14:05:09-05'00'", "Writer", ""};
    EXPECT_EQ(final, ValuesOf(GetDocInfoTable()));

    RewriteDscHeader();
    const std::string copy = GetCommandLineBuilder().GetTempFilePath();
    EXPECT_FALSE(FileExists(m_spool));
    ASSERT_EQ(1u, ListFiles(m_temp).size());
    EXPECT_EQ(m_temp + "\\" + ListFiles(m_temp)[0], copy);
    EXPECT_EQ(0u, ListFiles(m_temp)[0].find("~or"));
    EXPECT_EQ("%!PS-Adobe-3.0\r\n" + SevenLines(final) + "%%EndComments\r\nshowpage\r\n",
              ReadFileBytes(copy));

    EXPECT_EQ("[ /Subject (Budget \\(draft\\)) /Keywords (job keywords) "
              "/CreationDate (D:20090630140509-05'00') /DOCINFO pdfmark",
              BuildDocInfoPdfmark());
}

TEST_F(DocInfoSteps, EverySettingsKeyIsReadFromItsOwnName) {
    const char* const keys[] = {"/Title",        "/Author",  "/Subject", "/Keywords",
                                "/CreationDate", "/Creator", "/Producer"};
    Values stored;
    for (std::size_t i = 0; i < DocInfoFieldCount; ++i) {
        stored[i] = std::string("stored ") + keys[i];
        WriteSetting("description", keys[i], stored[i].c_str());
    }
    ScanDscHeader();
    ApplyStoredDocInfo();
    EXPECT_EQ(stored, ValuesOf(GetDocInfoTable()));
}

TEST_F(DocInfoSteps, WithoutSettingsFileTheScannedValuesStay) {
    ASSERT_TRUE(ListFiles(m_settings).empty());
    ScanDscHeader();
    ApplyStoredDocInfo();
    EXPECT_EQ((Values{"Old title", "", "", "job keywords", "", "Writer", ""}),
              ValuesOf(GetDocInfoTable()));
}

TEST_F(DocInfoSteps, SetDocInfoValueActsOnTheProcessTable) {
    ScanDscHeader();
    EXPECT_TRUE(SetDocInfoValue("%%For: ", "jsmith"));
    EXPECT_FALSE(SetDocInfoValue("%%Author: ", "nobody"));
    EXPECT_EQ((Values{"Old title", "jsmith", "", "job keywords", "", "Writer", ""}),
              ValuesOf(GetDocInfoTable()));
}

void ExpectFileError(void (*step)(), const std::string& path) {
    try {
        step();
        ADD_FAILURE() << "no fw::CFileException";
    } catch (const fw::CFileException& e) {
        EXPECT_EQ(path, e.Path());
        EXPECT_NE(std::string::npos, std::string(e.what()).find(path)) << e.what();
    }
}

TEST_F(DocInfoSteps, MissingSpoolFileIsAFileError) {
    const std::string missing = m_temp + "\\gone.tmp";
    GetCommandLineBuilder().SetTempFilePath(missing);
    ExpectFileError(&ScanDscHeader, missing);
    ExpectFileError(&RewriteDscHeader, missing);
    EXPECT_EQ(missing, GetCommandLineBuilder().GetTempFilePath());
    EXPECT_EQ(std::vector<std::string>{"spool.tmp"}, ListFiles(m_temp));
}

// No new file can be made: the builder keeps the spool file, which stays as
// it was, so that it is deleted at exit.
TEST_F(DocInfoSteps, UnusableTemporaryFolderIsAFileError) {
    const std::string notAFolder = m_temp + "\\plain-file";
    WriteFileBytes(notAFolder, "x");
    for (const std::string& folder : {m_temp + "\\missing", notAFolder}) {
        SCOPED_TRACE(folder);
        ::SetEnvironmentVariableA("TMP", folder.c_str());
        EXPECT_THROW(RewriteDscHeader(), fw::CFileException);
        EXPECT_EQ(m_spool, GetCommandLineBuilder().GetTempFilePath());
        EXPECT_EQ(kJob, ReadFileBytes(m_spool));
    }
    EXPECT_EQ(2u, ListFiles(m_temp).size());
}

// A spool file that fails while it is read: the half-written copy is
// removed and the builder keeps the spool file. The failing file is a pipe
// whose writer goes away after 200 KB.
TEST_F(DocInfoSteps, ReadFailureRemovesTheHalfWrittenCopy) {
    const std::string pipeName = "\\\\.\\pipe\\orv-docinfo-read-failure";
    fw::FileHandle pipe(::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr));
    ASSERT_TRUE(pipe.IsValid());
    std::thread writer([&pipe] {
        ::ConnectNamedPipe(pipe.Get(), nullptr);
        const std::string job = kJob + std::string(200 * 1024, 'b');
        DWORD written = 0;
        ::WriteFile(pipe.Get(), job.data(), static_cast<DWORD>(job.size()), &written, nullptr);
        ::FlushFileBuffers(pipe.Get());
        pipe.Reset();
    });
    GetCommandLineBuilder().SetTempFilePath(pipeName);

    ExpectFileError(&RewriteDscHeader, pipeName);
    writer.join();
    EXPECT_EQ(pipeName, GetCommandLineBuilder().GetTempFilePath());
    EXPECT_EQ(std::vector<std::string>{"spool.tmp"}, ListFiles(m_temp));
}

}  // namespace
