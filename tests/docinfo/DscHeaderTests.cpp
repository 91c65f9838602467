// Scanning a job's header comments and writing its copy with the seven
// document-information lines, on fixture jobs.
#include "DocInfoFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace {

using docinfo_test::Rewrite;
using docinfo_test::Scan;
using docinfo_test::SevenLines;
using docinfo_test::TableWith;
using docinfo_test::Values;
using docinfo_test::ValuesOf;

// A job, the stored texts that override the scanned values (as
// ApplyStoredDocInfo would), the values the scan must find and the exact
// bytes the rewrite must produce.
struct HeaderCase {
    const char* name;
    std::string job;
    std::vector<std::pair<std::string, std::string>> stored;
    Values scanned;
    std::string expected;
};

Values With(std::vector<std::pair<std::size_t, std::string>> fields) {
    Values values;
    for (auto& field : fields) values[field.first] = field.second;
    return values;
}

enum Row : std::size_t { kTitle, kAuthor, kSubject, kKeywords, kDate, kCreator, kProducer };

std::vector<HeaderCase> HeaderCases() {
    std::vector<HeaderCase> cases;
    {
        Values v = With({{kTitle, "(Quarterly report)"}});
        cases.push_back({"title with parentheses is copied verbatim",
                         "%!PS-Adobe-3.0\r\n%%Title: (Quarterly report)\r\n%%Pages: 1\r\n"
                         "%%EndComments\r\nshowpage\r\n",
                         {}, v,
                         "%!PS-Adobe-3.0\r\n" + SevenLines(v) +
                             "%%Pages: 1\r\n%%EndComments\r\nshowpage\r\n"});
    }
    cases.push_back({"stored title replaces the job's and drops its line",
                     "%!PS-Adobe-3.0\n%%Title: Draft\n%%EndComments\n",
                     {{"%%Title: ", "Minutes"}}, With({{kTitle, "Draft"}}),
                     "%!PS-Adobe-3.0\n" + SevenLines(With({{kTitle, "Minutes"}})) +
                         "%%EndComments\n"});
    cases.push_back({"%%For fills the author", "%!PS\n%%For: jsmith\n%%EndComments\n", {},
                     With({{kAuthor, "jsmith"}}),
                     "%!PS\n" + SevenLines(With({{kAuthor, "jsmith"}})) + "%%EndComments\n"});
    cases.push_back({"a keyword without its blank is not recognised and is kept",
                     "%!PS\n%%Title:(x)\n%%EndComments\n", {}, Values{},
                     "%!PS\n" + SevenLines(Values{}) + "%%Title:(x)\n%%EndComments\n"});
    {
        Values v = With({{kTitle, "again"}, {kCreator, "late"}});
        cases.push_back({"without %%EndComment every keyword line anywhere is read and dropped",
                         "%!PS\n%%Title: a\n%%Pages: 2\nbody 1\n%%Creator: late\n%%Title: again\n"
                         "body 2\n",
                         {}, v, "%!PS\n" + SevenLines(v) + "%%Pages: 2\nbody 1\nbody 2\n"});
    }
    {
        Values v = With({{kCreator, "App"}});
        cases.push_back({"a keyword line after %%EndComments is neither read nor dropped",
                         "%!PS\n%%Creator: App\n%%EndComments\n%%Creator: inside body\n", {}, v,
                         "%!PS\n" + SevenLines(v) + "%%EndComments\n%%Creator: inside body\n"});
    }
    cases.push_back({"an empty job gets an empty first line", "", {}, Values{},
                     "\r\n" + SevenLines(Values{})});
    cases.push_back({"the first line is copied even when it is a keyword line",
                     "%%Title: first\n%%EndComments\n", {{"%%Title: ", "Stored"}},
                     With({{kTitle, "first"}}),
                     "%%Title: first\n" + SevenLines(With({{kTitle, "Stored"}})) +
                         "%%EndComments\n"});
    cases.push_back({"a later line replaces an earlier value",
                     "%!PS\n%%Title: one\n%%Title: two\n%%EndComments\n", {},
                     With({{kTitle, "two"}}),
                     "%!PS\n" + SevenLines(With({{kTitle, "two"}})) + "%%EndComments\n"});
    cases.push_back({"%%EndComment ends the rewritten header but not the scan",
                     "%!PS\n%%EndComment\n%%Title: late\n%%EndComments\n%%For: body\n", {},
                     With({{kTitle, "late"}}),
                     "%!PS\n" + SevenLines(With({{kTitle, "late"}})) +
                         "%%EndComment\n%%Title: late\n%%EndComments\n%%For: body\n"});
    cases.push_back({"keywords match case and blank exactly; a keyword alone gives an empty value",
                     "%!PS\n%%title: lower\n%%Subject: \n%%Keywords:\n %%For: indented\n"
                     "%%EndComments\n",
                     {}, Values{},
                     "%!PS\n" + SevenLines(Values{}) +
                         "%%title: lower\n%%Keywords:\n %%For: indented\n%%EndComments\n"});
    {
        Values v = With({{kTitle, "cr"}, {kAuthor, "crlf"}, {kSubject, "lf"}});
        cases.push_back({"LF, CR LF and a lone CR each end a line and are kept as they were",
                         "%!PS\r%%Title: cr\r%%For: crlf\r\n%%Subject: lf\n%%Pages: 1\r"
                         "%%EndComments\rtail\r\n",
                         {}, v, "%!PS\r" + SevenLines(v) + "%%Pages: 1\r%%EndComments\rtail\r\n"});
    }
    cases.push_back({"a one-line job gets a line end after its line", "%!PS", {}, Values{},
                     "%!PS\r\n" + SevenLines(Values{})});
    cases.push_back({"a job that is one line end keeps it", "\n", {}, Values{},
                     "\n" + SevenLines(Values{})});
    cases.push_back({"a last keyword line without line end is read and dropped",
                     "%!PS\n%%Title: end", {}, With({{kTitle, "end"}}),
                     "%!PS\n" + SevenLines(With({{kTitle, "end"}}))});
    cases.push_back({"a last kept line without line end stays without one",
                     "%!PS\n\n%%Title: t\n%%Pages: 1", {}, With({{kTitle, "t"}}),
                     "%!PS\n" + SevenLines(With({{kTitle, "t"}})) + "\n%%Pages: 1"});
    {
        Values stored = {"T", "A", "S", "K", "2009-06-30T14:05:09-05'00'", "C", "P"};
        std::string job = "%!PS\n%%Title: t\n%%For: a\n%%Subject: s\n%%Keywords: k\n"
                          "%%CreationDate: d\n%%Creator: c\n%%Producer: p\n%%EndComments\n";
        cases.push_back({"every row is read, overridden and written in table order", job,
                         {{"%%Title: ", "T"},
                          {"%%For: ", "A"},
                          {"%%Subject: ", "S"},
                          {"%%Keywords: ", "K"},
                          {"%%CreationDate: ", "2009-06-30T14:05:09-05'00'"},
                          {"%%Creator: ", "C"},
                          {"%%Producer: ", "P"}},
                         Values{"t", "a", "s", "k", "d", "c", "p"},
                         "%!PS\n" + SevenLines(stored) + "%%EndComments\n"});
    }
    return cases;
}

void CheckCase(const HeaderCase& c, std::size_t blockSize) {
    DocInfoTable table = Scan(c.job, blockSize);
    EXPECT_EQ(c.scanned, ValuesOf(table));
    for (const auto& stored : c.stored) ASSERT_TRUE(SetDocInfoValue(table, stored.first, stored.second));
    EXPECT_EQ(c.expected, Rewrite(c.job, table, blockSize));
}

TEST(DscHeader, EdgeCases) {
    for (const HeaderCase& c : HeaderCases()) {
        SCOPED_TRACE(c.name);
        CheckCase(c, DocInfoBlockSize);
    }
}

// Lines, CR LF pairs and keywords that straddle the end of a read buffer.
TEST(DscHeader, SameResultsWhateverTheBufferSize) {
    for (std::size_t blockSize : {1, 2, 3, 7, 16, 17}) {
        for (const HeaderCase& c : HeaderCases()) {
            SCOPED_TRACE(std::string(c.name) + ", block size " + std::to_string(blockSize));
            CheckCase(c, blockSize);
        }
    }
}

TEST(DscHeader, SetValueMatchesWholePrefixesOnly) {
    DocInfoTable table;
    EXPECT_TRUE(SetDocInfoValue(table, "%%Producer: ", "p"));
    EXPECT_FALSE(SetDocInfoValue(table, "%%Producer:", "no"));
    EXPECT_FALSE(SetDocInfoValue(table, "%%producer: ", "no"));
    EXPECT_FALSE(SetDocInfoValue(table, "/Producer", "no"));
    EXPECT_FALSE(SetDocInfoValue(table, "", "no"));
    EXPECT_EQ(With({{kProducer, "p"}}), ValuesOf(table));
}

TEST(DscHeader, ScanStartsFromEmptyValues) {
    const std::string path = docinfo_test::NextFixturePath("rescan");
    testing_support::WriteFileBytes(path, "%!PS\n%%For: second job\n");
    DocInfoTable table = TableWith({"old title", "old author"});
    fw::CFile file;
    ASSERT_TRUE(file.Open(path, fw::CFile::modeRead));
    ScanJobHeader(file, table);
    EXPECT_EQ(With({{kAuthor, "second job"}}), ValuesOf(table));
}

// Compares long byte strings without printing them whole.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    return ::testing::AssertionFailure()
           << "sizes " << expected.size() << " and " << actual.size() << ", first difference at "
           << at;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Bytes that text streams alter (Ctrl-Z, NUL, lone CR) survive, in header
// values and in the body, and the body is copied byte for byte.
TEST(DscHeader, BinaryJobIsCopiedByteForByte) {
    const std::string title("Scan \x1A\x00\x7F of (x)", 14);
    const std::string header = "%!PS-Adobe-3.0\r\n%%Title: " + title +
                               "\r\n%%Creator: scanner\r\n%%BoundingBox: 0 0 612 792\r\n"
                               "%%EndComments\r\n";
    const std::string body = std::string("save\r\n\x1A\x00\r\r\n\n\r%%Title: in body\r\n", 34) +
                             RandomBytes(5 * 1024 * 1024, 1) + std::string("\x00\x1A\r", 3) +
                             "%%Creator: no line end";
    const std::string job = header + body;

    DocInfoTable table = Scan(job);
    const Values scanned = With({{kTitle, title}, {kCreator, "scanner"}});
    EXPECT_EQ(scanned, ValuesOf(table));
    const std::string expected = "%!PS-Adobe-3.0\r\n" + SevenLines(scanned) +
                                 "%%BoundingBox: 0 0 612 792\r\n%%EndComments\r\n" + body;
    EXPECT_TRUE(SameBytes(expected, Rewrite(job, table)));
}

// A job without %%EndComments is handled line by line to its end: random
// binary lines with every kind of line end, some of them keyword lines.
TEST(DscHeader, BinaryJobWithoutEndOfHeaderKeepsEveryOtherLineExactly) {
    std::mt19937 random(7);
    const char* const kEnds[] = {"\n", "\r\n", "\r"};
    std::string job = "%!PS-Adobe-3.0\r\n";
    std::string kept;
    std::string lastTitle;
    for (int line = 0; line < 4000; ++line) {
        std::string text;
        if (line % 97 == 5) {
            lastTitle = "T" + std::to_string(line) + std::string("\x00\x1A", 2);
            text = "%%Title: " + lastTitle;
        } else {
            // Text of 1 to 200 bytes without CR or LF; it never starts with "%%".
            text.resize(1 + random() % 200);
            for (char& byte : text) {
                do byte = static_cast<char>(random() & 0xFF);
                while (byte == '\r' || byte == '\n');
            }
            if (text[0] == '%') text[0] = 'x';
        }
        const std::string end = kEnds[random() % 3];
        job += text + end;
        if (text.compare(0, 2, "%%") != 0) kept += text + end;
    }

    for (std::size_t blockSize : {std::size_t{5}, DocInfoBlockSize}) {
        SCOPED_TRACE("block size " + std::to_string(blockSize));
        DocInfoTable table = Scan(job, blockSize);
        EXPECT_EQ(With({{kTitle, lastTitle}}), ValuesOf(table));
        EXPECT_TRUE(SameBytes("%!PS-Adobe-3.0\r\n" + SevenLines(ValuesOf(table)) + kept,
                              Rewrite(job, table, blockSize)));
    }
}

// Lines far longer than the read buffer are read and copied whole.
TEST(DscHeader, VeryLongHeaderLines) {
    const std::string longTitle = RandomBytes(1024 * 1024, 3);
    std::string title = longTitle;
    for (char& byte : title) {
        if (byte == '\r' || byte == '\n') byte = ' ';
    }
    const std::string data = "%%DocumentData: " + std::string(300 * 1024, 'd');
    const std::string firstLine = "%!PS-Adobe-3.0 " + std::string(200 * 1024, 'f');
    const std::string job =
        firstLine + "\r\n%%Title: " + title + "\r\n" + data + "\r\n%%EndComments\r\nbody";

    for (std::size_t blockSize : {std::size_t{1000}, DocInfoBlockSize}) {
        SCOPED_TRACE("block size " + std::to_string(blockSize));
        DocInfoTable table = Scan(job, blockSize);
        EXPECT_TRUE(SameBytes(title, table.rows[kTitle].value));
        const std::string expected = firstLine + "\r\n" + SevenLines(ValuesOf(table)) + data +
                                     "\r\n%%EndComments\r\nbody";
        EXPECT_TRUE(SameBytes(expected, Rewrite(job, table, blockSize)));
    }

    // A long first line that is the whole job gets its line end.
    EXPECT_TRUE(SameBytes(firstLine + "\r\n" + SevenLines(Values{}), Rewrite(firstLine, DocInfoTable())));
}

}  // namespace
