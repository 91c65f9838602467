// Running the header scan and rewrite on jobs held as byte strings: each job
// is written to a file of the test folder and read back through fw::CFile,
// as the conversion reads its spool file.
#pragma once

#include "TestSupport.h"
#include "app/DocumentInfo.h"
#include "framework/File.h"

#include <array>
#include <string>

namespace docinfo_test {

inline std::string NextFixturePath(const char* kind) {
    static int counter = 0;
    return testing_support::TestDir() + "\\" + kind + std::to_string(++counter) + ".bin";
}

inline DocInfoTable Scan(const std::string& job, std::size_t blockSize = DocInfoBlockSize) {
    const std::string path = NextFixturePath("scan");
    testing_support::WriteFileBytes(path, job);
    fw::CFile file;
    if (!file.Open(path, fw::CFile::modeRead)) throw std::runtime_error("cannot open " + path);
    DocInfoTable table;
    ScanJobHeader(file, table, blockSize);
    return table;
}

inline std::string Rewrite(const std::string& job, const DocInfoTable& table,
                           std::size_t blockSize = DocInfoBlockSize) {
    const std::string spoolPath = NextFixturePath("spool");
    const std::string outPath = NextFixturePath("out");
    testing_support::WriteFileBytes(spoolPath, job);
    {
        fw::CFile spool;
        fw::CFile out;
        if (!spool.Open(spoolPath, fw::CFile::modeRead) ||
            !out.Open(outPath, fw::CFile::modeWrite | fw::CFile::modeCreate)) {
            throw std::runtime_error("cannot open the fixture files");
        }
        RewriteJobHeader(spool, out, table, blockSize);
    }
    return testing_support::ReadFileBytes(outPath);
}

using Values = std::array<std::string, DocInfoFieldCount>;

inline Values ValuesOf(const DocInfoTable& table) {
    Values values;
    for (std::size_t i = 0; i < DocInfoFieldCount; ++i) values[i] = table.rows[i].value;
    return values;
}

inline DocInfoTable TableWith(const Values& values) {
    DocInfoTable table;
    for (std::size_t i = 0; i < DocInfoFieldCount; ++i) table.rows[i].value = values[i];
    return table;
}

// The seven lines that the rewrite puts after the first line.
inline std::string SevenLines(const Values& values) {
    static const char* const kPrefixes[DocInfoFieldCount] = {
        "%%Title: ",        "%%For: ",     "%%Subject: ",  "%%Keywords: ",
        "%%CreationDate: ", "%%Creator: ", "%%Producer: "};
    std::string lines;
    for (std::size_t i = 0; i < DocInfoFieldCount; ++i) lines += kPrefixes[i] + values[i] + "\r\n";
    return lines;
}

}  // namespace docinfo_test
