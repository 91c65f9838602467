#include "app/DocumentInfo.h"

#include "app/CommandLineBuilder.h"
#include "app/TempFile.h"
#include "framework/File.h"
#include "settings/Ini.h"
#include "settings/Singleton.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

struct DocInfoKeyword {
    const char* settingsKey;
    const char* headerPrefix;
};

constexpr DocInfoKeyword kKeywords[DocInfoFieldCount] = {
    {"/Title", "%%Title: "},
    {"/Author", "%%For: "},
    {"/Subject", "%%Subject: "},
    {"/Keywords", "%%Keywords: "},
    {"/CreationDate", "%%CreationDate: "},
    {"/Creator", "%%Creator: "},
    {"/Producer", "%%Producer: "},
};

// The fields that the engine ignores in the header and that therefore go
// into the pdfmark, in the table's order. The Producer is always the
// engine's own.
constexpr const char* kPdfmarkKeys[] = {"/Subject", "/Keywords", "/CreationDate"};

constexpr const char kEndOfScan[] = "%%EndComments";
constexpr const char kEndOfHeader[] = "%%EndComment";
constexpr const char kLineEnd[] = "\r\n";

constexpr std::size_t Length(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

constexpr std::size_t LongestKeyword() {
    std::size_t longest = Length(kEndOfScan);
    for (const DocInfoKeyword& keyword : kKeywords) {
        if (Length(keyword.headerPrefix) > longest) longest = Length(keyword.headerPrefix);
    }
    return longest;
}

// How much of a line's start is held to decide what the line is.
constexpr std::size_t kHeadLength = LongestKeyword();

// Reads a job as lines without ever holding a whole line, so that a line of
// any length costs no more memory than one block: each line is first seen
// as its head (at most kHeadLength bytes of its text, enough to match every
// keyword), then the rest of its text passes through in pieces of at most
// one block, then its terminator. Lines end at LF, CR LF or a lone CR; a CR
// at the end of one block finds its LF at the start of the next.
class JobLineReader {
public:
    JobLineReader(fw::CFile& file, std::size_t blockSize)
        : m_file(file), m_block(blockSize > 0 ? blockSize : 1) {}
    JobLineReader(const JobLineReader&) = delete;
    JobLineReader& operator=(const JobLineReader&) = delete;

    // Starts the next line and reads its head; false when no byte is left.
    bool ReadHead() {
        m_head.clear();
        m_terminator.clear();
        m_lineEnded = false;
        if (!Fill()) return false;
        while (m_head.size() < kHeadLength) {
            if (!Fill()) {
                m_lineEnded = true;
                break;
            }
            const char byte = m_block[m_position];
            if (byte == '\r' || byte == '\n') {
                ReadTerminator();
                break;
            }
            m_head.push_back(byte);
            ++m_position;
        }
        return true;
    }

    const std::string& Head() const { return m_head; }

    bool HeadStartsWith(const char* keyword) const {
        const std::size_t length = std::strlen(keyword);
        return m_head.size() >= length && std::memcmp(m_head.data(), keyword, length) == 0;
    }

    // Hands the rest of the line's text, after the head, to `take(data,
    // size)` in pieces, and reads the terminator.
    template <class Take>
    void ReadRest(Take&& take) {
        while (!m_lineEnded) {
            if (!Fill()) {
                m_lineEnded = true;
                break;
            }
            const std::size_t start = m_position;
            while (m_position < m_end && m_block[m_position] != '\r' &&
                   m_block[m_position] != '\n') {
                ++m_position;
            }
            if (m_position > start) take(&m_block[start], m_position - start);
            if (m_position < m_end) ReadTerminator();
        }
    }

    void SkipRest() {
        ReadRest([](const char*, std::size_t) {});
    }

    // The bytes that ended the line: "\n", "\r\n", "\r", or nothing at the
    // end of the file. Valid once the rest has been read.
    const std::string& Terminator() const { return m_terminator; }

    // Hands every byte not read yet to `take`, a block at a time.
    template <class Take>
    void ReadRemainder(Take&& take) {
        while (Fill()) {
            take(&m_block[m_position], m_end - m_position);
            m_position = m_end;
        }
    }

private:
    // Makes sure an unread byte is in the block; false at the end of the file.
    bool Fill() {
        if (m_position < m_end) return true;
        if (m_atEnd) return false;
        m_position = 0;
        m_end = m_file.Read(m_block.data(), m_block.size());
        m_atEnd = m_end == 0;
        return !m_atEnd;
    }

    // At a CR or LF: takes it, and the LF that may follow a CR.
    void ReadTerminator() {
        const char byte = m_block[m_position++];
        m_terminator.push_back(byte);
        if (byte == '\r' && Fill() && m_block[m_position] == '\n') {
            m_terminator.push_back('\n');
            ++m_position;
        }
        m_lineEnded = true;
    }

    fw::CFile& m_file;
    std::vector<char> m_block;
    std::size_t m_position = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    std::string m_head;
    std::string m_terminator;
    bool m_lineEnded = false;
};

// Gathers small writes into one block so that a header of many short lines
// does not cost one system call per piece; a piece of a block or more goes
// straight to the file. Flush must be called at the end: a destructor could
// not report a failed write.
class BlockWriter {
public:
    BlockWriter(fw::CFile& file, std::size_t blockSize)
        : m_file(file), m_capacity(blockSize > 0 ? blockSize : 1) {
        m_buffer.reserve(m_capacity);
    }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    void Write(const char* data, std::size_t size) {
        if (m_buffer.size() + size > m_capacity) {
            Flush();
            if (size >= m_capacity) {
                m_file.Write(data, size);
                return;
            }
        }
        m_buffer.insert(m_buffer.end(), data, data + size);
    }
    void Write(const std::string& text) { Write(text.data(), text.size()); }

    void Flush() {
        if (m_buffer.empty()) return;
        m_file.Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

private:
    fw::CFile& m_file;
    std::size_t m_capacity;
    std::vector<char> m_buffer;
};

// Index of the first row whose prefix begins the line; DocInfoFieldCount
// when there is none.
std::size_t MatchingRow(const DocInfoTable& table, const JobLineReader& reader) {
    std::size_t index = 0;
    while (index < DocInfoFieldCount && !reader.HeadStartsWith(table.rows[index].headerPrefix)) {
        ++index;
    }
    return index;
}

bool IsPdfmarkKey(const char* key) {
    for (const char* pdfmarkKey : kPdfmarkKeys) {
        if (std::strcmp(key, pdfmarkKey) == 0) return true;
    }
    return false;
}

void CopyLine(JobLineReader& reader, BlockWriter& writer) {
    writer.Write(reader.Head());
    reader.ReadRest([&writer](const char* data, std::size_t size) { writer.Write(data, size); });
    writer.Write(reader.Terminator());
}

void OpenOrThrow(fw::CFile& file, const std::string& path, unsigned flags) {
    if (!file.Open(path, flags)) throw fw::CFileException(path, ::GetLastError(), "opening");
}

// The folder in which temporary files are made, for the report of a failure.
std::string TemporaryFolder() {
    char folder[MAX_PATH + 1] = {};  // a longer folder is reported as empty
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DocInfoTable::DocInfoTable()
    : rows{{
          {kKeywords[0].settingsKey, kKeywords[0].headerPrefix, {}},
          {kKeywords[1].settingsKey, kKeywords[1].headerPrefix, {}},
          {kKeywords[2].settingsKey, kKeywords[2].headerPrefix, {}},
          {kKeywords[3].settingsKey, kKeywords[3].headerPrefix, {}},
          {kKeywords[4].settingsKey, kKeywords[4].headerPrefix, {}},
          {kKeywords[5].settingsKey, kKeywords[5].headerPrefix, {}},
          {kKeywords[6].settingsKey, kKeywords[6].headerPrefix, {}},
      }} {}

DocInfoTable& GetDocInfoTable() {
    static DocInfoTable table;
    return table;
}

bool SetDocInfoValue(DocInfoTable& table, const std::string& prefix, const std::string& value) {
    for (DocInfoField& row : table.rows) {
        if (prefix == row.headerPrefix) {
            row.value = value;
            return true;
        }
    }
    return false;
}

bool SetDocInfoValue(const std::string& prefix, const std::string& value) {
    return SetDocInfoValue(GetDocInfoTable(), prefix, value);
}

void ScanJobHeader(fw::CFile& job, DocInfoTable& table, std::size_t blockSize) {
    for (DocInfoField& row : table.rows) row.value.clear();
    JobLineReader reader(job, blockSize);
    while (reader.ReadHead()) {
        if (reader.HeadStartsWith(kEndOfScan)) break;
        const std::size_t index = MatchingRow(table, reader);
        if (index == DocInfoFieldCount) {
            reader.SkipRest();
            continue;
        }
        // The value is kept whole, however long: it grows with the line and
        // is never cut.
        DocInfoField& row = table.rows[index];
        std::string value = reader.Head().substr(std::strlen(row.headerPrefix));
        reader.ReadRest([&value](const char* data, std::size_t size) { value.append(data, size); });
        row.value = std::move(value);
    }
}

void ApplyStoredDocInfo(DocInfoTable& table, const CIni& ini) {
    for (const DocInfoKeyword& keyword : kKeywords) {
        const std::string stored = ini.GetString("description", keyword.settingsKey);
        if (!stored.empty()) SetDocInfoValue(table, keyword.headerPrefix, stored);
    }
}

void RewriteJobHeader(fw::CFile& spool, fw::CFile& out, const DocInfoTable& table,
                      std::size_t blockSize) {
    JobLineReader reader(spool, blockSize);
    BlockWriter writer(out, blockSize);

    // The first line, whatever it is; an empty job gives an empty line, and
    // a last line without a terminator is given one.
    if (reader.ReadHead()) CopyLine(reader, writer);
    if (reader.Terminator().empty()) writer.Write(kLineEnd, sizeof kLineEnd - 1);

    for (const DocInfoField& row : table.rows) {
        writer.Write(row.headerPrefix, std::strlen(row.headerPrefix));
        writer.Write(row.value);
        writer.Write(kLineEnd, sizeof kLineEnd - 1);
    }

    while (reader.ReadHead()) {
        if (MatchingRow(table, reader) != DocInfoFieldCount) {
            reader.SkipRest();
            continue;
        }
        CopyLine(reader, writer);
        if (reader.HeadStartsWith(kEndOfHeader)) break;
    }
    reader.ReadRemainder([&writer](const char* data, std::size_t size) { writer.Write(data, size); });
    writer.Flush();
}

void ScanDscHeader() {
    fw::CFile job;
    OpenOrThrow(job, GetCommandLineBuilder().GetTempFilePath(), fw::CFile::modeRead);
    ScanJobHeader(job, GetDocInfoTable());
}

void ApplyStoredDocInfo() { ApplyStoredDocInfo(GetDocInfoTable(), CSingleton::GetInstance().Ini()); }

void RewriteDscHeader() {
    CCommandLineBuilder& builder = GetCommandLineBuilder();
    const std::string spoolPath = builder.GetTempFilePath();
    fw::CFile spool;
    OpenOrThrow(spool, spoolPath, fw::CFile::modeRead);

    std::string newPath;
    if (!CreateTempFilePath(newPath)) {
        const DWORD error = ::GetLastError();
        throw fw::CFileException(TemporaryFolder(), error, "creating a file in");
    }
    // Until the copy is complete the builder keeps naming the spool file, so
    // that it is still deleted at exit; a half-written copy is removed.
    try {
        fw::CFile out;
        OpenOrThrow(out, newPath, fw::CFile::modeWrite | fw::CFile::modeCreate);
        RewriteJobHeader(spool, out, GetDocInfoTable());
    } catch (...) {
        ::DeleteFileA(newPath.c_str());
        throw;
    }
    spool.Close();
    builder.SetTempFilePath(newPath);
    ::DeleteFileA(spoolPath.c_str());
}

std::string EscapePostScriptString(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '(' || c == ')') {
            escaped += '\\';
            escaped += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                  static_cast<char>('0' + ((byte >> 3) & 7)),
                                  static_cast<char>('0' + (byte & 7))};
            escaped.append(octal, sizeof octal);
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string ToPdfDate(const std::string& text) {
    // 'd' stands for a digit, 's' for the sign of the offset.
    static const char kPattern[] = "dddd-dd-ddTdd:dd:ddsdd'00'";
    if (text.size() != sizeof kPattern - 1) return text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = kPattern[i];
        const bool matches = expected == 'd'   ? IsDigit(text[i])
                             : expected == 's' ? text[i] == '+' || text[i] == '-'
                                               : text[i] == expected;
        if (!matches) return text;
    }
    return "D:" + text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2) + text.substr(11, 2) +
           text.substr(14, 2) + text.substr(17, 2) + text.substr(19);
}

std::string BuildDocInfoPdfmark(const DocInfoTable& table) {
    std::string entries;
    for (const DocInfoField& row : table.rows) {
        if (row.value.empty() || !IsPdfmarkKey(row.settingsKey)) continue;
        const bool isDate = std::strcmp(row.settingsKey, "/CreationDate") == 0;
        entries += ' ';
        entries += row.settingsKey;
        entries += " (";
        entries += EscapePostScriptString(isDate ? ToPdfDate(row.value) : row.value);
        entries += ')';
    }
    return entries.empty() ? std::string() : "[" + entries + " /DOCINFO pdfmark";
}

std::string BuildDocInfoPdfmark() { return BuildDocInfoPdfmark(GetDocInfoTable()); }

std::string GetLogonUserName() {
    // A name of more than 259 characters makes the call fail: the result is
    // then empty rather than cut.
    char name[260] = {};
    DWORD size = sizeof name;
    if (!::GetUserNameA(name, &size)) return std::string();
    return std::string(name, strnlen(name, sizeof name));
}

std::string FormatPdfDateString(const std::tm* localTime, long biasMinutes) {
    std::string text;
    if (localTime) {
        // The pattern gives 19 characters; a result that would not fit makes
        // strftime return 0, and the date and time part stays empty.
        char dateTime[64] = {};
        if (std::strftime(dateTime, sizeof dateTime, "%Y-%m-%dT%H:%M:%S", localTime) > 0) {
            text = dateTime;
        }
    }
    const long long bias = biasMinutes;
    text += bias >= 0 ? '-' : '+';
    std::string hours = std::to_string((bias >= 0 ? bias : -bias) / 60);
    if (hours.size() < 2) hours.insert(0, 1, '0');
    text += hours;
    text += "'00'";
    return text;
}

std::string GetPdfDateString() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = now == static_cast<std::time_t>(-1) ? nullptr : std::localtime(&now);
    // The standard bias only: daylight saving time is not applied. When the
    // call fails the structure stays zero, as for UTC.
    TIME_ZONE_INFORMATION zone = {};
    ::GetTimeZoneInformation(&zone);
    return FormatPdfDateString(local, zone.Bias);
}
