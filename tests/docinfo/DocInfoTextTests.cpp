// The texts built from the document information: the pdfmark with its
// PostScript string escaping and date conversion, the creation-date string
// and the user name of the "Automaticly Fill" button.
#include "DocInfoFixtures.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using docinfo_test::TableWith;
using docinfo_test::Values;

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(PostScriptString, EscapesWhatAStringLiteralNeeds) {
    const TextCase cases[] = {
        {"", ""},
        {"Quarterly report 2009", "Quarterly report 2009"},
        {"a(b)c", "a\\(b\\)c"},
        {"((", "\\(\\("},
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {std::string("\x00", 1), "\\000"},
        {"\x01\x07\x1F", "\\001\\007\\037"},
        {"\t\n\r", "\\011\\012\\015"},
        {"\x7F", "\\177"},
        {"\x1A", "\\032"},
        // Everything from the blank to the tilde, and all high bytes, as is.
        {" ~%/<>[]{}", " ~%/<>[]{}"},
        {"\x80\xE9\xFF", "\x80\xE9\xFF"},
        {"a\\(b)\x1F", "a\\\\\\(b\\)\\037"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(c.expected, EscapePostScriptString(c.input)) << c.input;
    }
}

TEST(PdfDate, ConvertsTheAutoFillFormOnly) {
    const TextCase cases[] = {
        {"2009-06-30T14:05:09-05'00'", "D:20090630140509-05'00'"},
        {"2009-06-30T14:05:09+08'00'", "D:20090630140509+08'00'"},
        {"2009-06-30T14:05:09+05'00'", "D:20090630140509+05'00'"},
        {"2024-12-31T23:59:59-00'00'", "D:20241231235959-00'00'"},
        // Anything else is passed as typed.
        {"", ""},
        {"30 June 2009", "30 June 2009"},
        {"2009-06-30", "2009-06-30"},
        {"2009-06-30T14:05:09", "2009-06-30T14:05:09"},
        {"2009-06-30 14:05:09-05'00'", "2009-06-30 14:05:09-05'00'"},
        {"2009-06-30T14:05:09*05'00'", "2009-06-30T14:05:09*05'00'"},
        {"2009-06-30T14:05:09-5'00'", "2009-06-30T14:05:09-5'00'"},
        {"2009-06-30T14:05:09-105'00'", "2009-06-30T14:05:09-105'00'"},
        {"2009-06-30T14:05:09-05'00", "2009-06-30T14:05:09-05'00"},
        {"2009-06-30T14:05:09-05'30'", "2009-06-30T14:05:09-05'30'"},
        {"2009-06-30T14:05:09-05'00' ", "2009-06-30T14:05:09-05'00' "},
        {"2009-O6-30T14:05:09-05'00'", "2009-O6-30T14:05:09-05'00'"},
        {"D:20090630140509-05'00'", "D:20090630140509-05'00'"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(c.expected, ToPdfDate(c.input)) << c.input;
}

TEST(Pdfmark, CarriesOnlyTheFieldsTheHeaderCannotCarry) {
    struct PdfmarkCase {
        Values values;
        std::string expected;
    };
    const PdfmarkCase cases[] = {
        {Values{}, ""},
        // Title, author, creator and producer reach the PDF through the header.
        {Values{"T", "A", "", "", "", "C", "P"}, ""},
        {Values{"", "", "Budget", "", "", "", ""}, "[ /Subject (Budget) /DOCINFO pdfmark"},
        {Values{"", "", "", "pdf, (draft)", "", "", ""},
         "[ /Keywords (pdf, \\(draft\\)) /DOCINFO pdfmark"},
        {Values{"", "", "", "", "2009-06-30T14:05:09+08'00'", "", ""},
         "[ /CreationDate (D:20090630140509+08'00') /DOCINFO pdfmark"},
        {Values{"", "", "", "", "last (June)", "", ""},
         "[ /CreationDate (last \\(June\\)) /DOCINFO pdfmark"},
        {Values{"T", "A", "S\\1", "K\n2", "2009-06-30T14:05:09-05'00'", "C", "P"},
         "[ /Subject (S\\\\1) /Keywords (K\\0122) /CreationDate (D:20090630140509-05'00') "
         "/DOCINFO pdfmark"},
    };
    for (const PdfmarkCase& c : cases) {
        EXPECT_EQ(c.expected, BuildDocInfoPdfmark(TableWith(c.values))) << c.expected;
    }
}

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
    std::tm time = {};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(PdfDateString, FormatsLocalTimeAndStandardBias) {
    const std::tm june = Time(2009, 6, 30, 14, 5, 9);
    const std::tm newYear = Time(2010, 1, 2, 3, 4, 5);
    struct DateCase {
        const std::tm* time;
        long bias;
        const char* expected;
    };
    const DateCase cases[] = {
        {&june, 300, "2009-06-30T14:05:09-05'00'"},   // five hours west of UTC
        {&june, -480, "2009-06-30T14:05:09+08'00'"},  // eight hours east
        {&june, 0, "2009-06-30T14:05:09-00'00'"},
        {&june, -330, "2009-06-30T14:05:09+05'00'"},  // half hours are truncated
        {&june, 600, "2009-06-30T14:05:09-10'00'"},
        {&june, 59, "2009-06-30T14:05:09-00'00'"},
        {&june, -59, "2009-06-30T14:05:09+00'00'"},
        {&june, 6000, "2009-06-30T14:05:09-100'00'"},
        {&newYear, -60, "2010-01-02T03:04:05+01'00'"},
        {nullptr, 300, "-05'00'"},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(c.expected, FormatPdfDateString(c.time, c.bias)) << c.expected;
    }
}

TEST(PdfDateString, IsTheCurrentLocalTimeWithTheZoneBias) {
    TIME_ZONE_INFORMATION zone = {};
    ::GetTimeZoneInformation(&zone);
    const std::time_t before = std::time(nullptr);
    const std::string text = GetPdfDateString();
    const std::time_t after = std::time(nullptr);

    std::tm local = {};
    std::string atBefore = FormatPdfDateString(&(local = *std::localtime(&before)), zone.Bias);
    std::string atAfter = FormatPdfDateString(&(local = *std::localtime(&after)), zone.Bias);
    EXPECT_TRUE(text == atBefore || text == atAfter) << text << " not " << atBefore;
    EXPECT_EQ(0u, ToPdfDate(text).find("D:")) << text;
}

TEST(LogonUserName, IsTheNameOfTheProcessUser) {
    wchar_t wide[260] = {};
    DWORD size = 260;
    ASSERT_TRUE(::GetUserNameW(wide, &size));
    char expected[520] = {};
    ASSERT_GT(::WideCharToMultiByte(CP_ACP, 0, wide, -1, expected, sizeof expected, nullptr, nullptr),
              1);
    EXPECT_EQ(expected, GetLogonUserName());
}

}  // namespace
