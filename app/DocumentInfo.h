// Document information of a job: read from the job's header comments
// (Document Structuring Conventions), overridden by the texts stored in
// setting.ini section "description", and written back as exactly seven
// header lines into a fresh copy of the job.
//
// The conversion calls, in this order: ScanDscHeader, ApplyStoredDocInfo,
// RewriteDscHeader; then it hands BuildDocInfoPdfmark() to the engine after
// the job, because the engine takes only title, author and creator from the
// header comments.
#pragma once

#include <array>
#include <cstddef>
#include <ctime>
#include <string>

class CIni;
namespace fw {
class CFile;
}

// One field: the key under which the Description page stores it, the header
// keyword with its colon and one blank, and the current value.
struct DocInfoField {
    const char* settingsKey;
    const char* headerPrefix;
    std::string value;
};

inline constexpr std::size_t DocInfoFieldCount = 7;

// The seven fields in their significant order: the order of matching, of
// the settings lookups and of the lines written.
struct DocInfoTable {
    DocInfoTable();
    std::array<DocInfoField, DocInfoFieldCount> rows;
};

// The process's table, created on first use with empty values.
DocInfoTable& GetDocInfoTable();

// Sets the value of the first row whose header prefix equals `prefix`
// exactly; false when no row has it.
bool SetDocInfoValue(DocInfoTable& table, const std::string& prefix, const std::string& value);
bool SetDocInfoValue(const std::string& prefix, const std::string& value);

// Entry points of the conversion, on the process's table and builder.
// ScanDscHeader reads the file named by the builder's temporary-file path.
// RewriteDscHeader writes the new copy, makes it the builder's path and
// deletes the spool file. Both throw fw::CFileException when a file cannot be
// opened, created, read or written; the builder then still names the spool
// file and no new file is left behind.
void ScanDscHeader();
void ApplyStoredDocInfo();
void RewriteDscHeader();

// The same steps on given files and tables. Lines end at LF, CR LF or a lone
// CR. The files are streamed through one read and one write buffer of
// `blockSize` bytes, so memory does not grow with the job or with the length
// of a line; only a keyword line's value is held whole, in its row.
inline constexpr std::size_t DocInfoBlockSize = 64 * 1024;
// Values start empty; every header line before one beginning with
// "%%EndComments" that begins with a row's prefix sets that row's value to the
// rest of the line.
void ScanJobHeader(fw::CFile& job, DocInfoTable& table, std::size_t blockSize = DocInfoBlockSize);
// Overrides values with the non-empty texts of section "description".
void ApplyStoredDocInfo(DocInfoTable& table, const CIni& ini);
// Writes the first line of `spool`, the seven rows as prefix + value + CR LF,
// then the rest of the job without the header lines that begin with a prefix.
// Every byte that is copied keeps its exact value.
void RewriteJobHeader(fw::CFile& spool, fw::CFile& out, const DocInfoTable& table,
                      std::size_t blockSize = DocInfoBlockSize);

// "[ /Subject (...) /Keywords (...) /CreationDate (...) /DOCINFO pdfmark"
// with only the non-empty ones of these three fields, in this order; empty
// when all three are empty. No line end follows.
std::string BuildDocInfoPdfmark(const DocInfoTable& table);
std::string BuildDocInfoPdfmark();

// The bytes of a PostScript string literal, without its parentheses.
std::string EscapePostScriptString(const std::string& text);
// "2009-06-30T14:05:09-05'00'" (the form of GetPdfDateString) becomes
// "D:20090630140509-05'00'"; any other text comes back unchanged.
std::string ToPdfDate(const std::string& text);

// The name of the user the process runs as; empty when it cannot be had.
std::string GetLogonUserName();
// The current local time and zone, as in "2009-06-30T14:05:09-05'00'".
std::string GetPdfDateString();
// The same text for a given local time (null: not available, so the date and
// time part is empty) and a time-zone bias in minutes (UTC = local + bias).
std::string FormatPdfDateString(const std::tm* localTime, long biasMinutes);
