// The stored switches and the output path as the engine receives them.
#include "app/ConversionJob.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Stored = std::map<std::string, std::string>;  // "section/key" -> value
using Args = std::vector<std::string>;

Args SwitchesFor(const Stored& stored) {
    return StoredSwitchArguments([&stored](const char* section, const char* key) {
        auto found = stored.find(std::string(section) + "/" + key);
        return found == stored.end() ? std::string() : found->second;
    });
}

const Stored kAllSwitches = {
    {"command/-dPDFSETTINGS", "/prepress"},     {"command/-sProcessColorModel", "DeviceCMYK"},
    {"command/-dCompressFonts", "false"},       {"command/-sOwnerPassword", "own er"},
    {"command/-sUserPassword", "user"},         {"command/-dPermissions", "3900"},
    {"command/-dEncryptionR", "3"},             {"command/-dKeyLength", "128"},
};

TEST(StoredSwitches, FollowTheFixedOrderAndTheSetPasswordGate) {
    struct Case {
        const char* label;
        Stored stored;
        Args expected;
    };
    Stored setFalse = kAllSwitches;
    setFalse["option/set password"] = "false";
    Stored setTrue = kAllSwitches;
    setTrue["option/set password"] = "true";
    Stored setCapital = kAllSwitches;
    setCapital["option/set password"] = "False";
    const Args all = {"-dPDFSETTINGS=/prepress", "-sProcessColorModel=DeviceCMYK",
                      "-dCompressFonts=false",   "-sOwnerPassword=own er",
                      "-sUserPassword=user",     "-dPermissions=3900",
                      "-dEncryptionR=3",         "-dKeyLength=128"};
    const Args optimizationOnly(all.begin(), all.begin() + 3);
    const Case cases[] = {
        {"nothing stored", {}, {}},
        {"no set password key", kAllSwitches, all},
        {"set password true", setTrue, all},
        {"set password false", setFalse, optimizationOnly},
        {"only exactly false gates", setCapital, all},
        {"only the key length",
         {{"option/set password", "true"},
          {"command/-dPDFSETTINGS", "/screen"},
          {"command/-dKeyLength", "40"}},
         {"-dPDFSETTINGS=/screen", "-dKeyLength=40"}},
        {"empty values are left out",
         {{"command/-dPDFSETTINGS", ""}, {"command/-sUserPassword", "u"}},
         {"-sUserPassword=u"}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, SwitchesFor(c.stored)) << c.label;
}

TEST(OutputPath, PercentSignsAreDoubledForTheEngine) {
    EXPECT_EQ("C:\\out\\50%% off.pdf", EscapeOutputPathForEngine("C:\\out\\50% off.pdf"));
    EXPECT_EQ("%%%%d", EscapeOutputPathForEngine("%%d"));
    EXPECT_EQ("C:\\plain name.pdf", EscapeOutputPathForEngine("C:\\plain name.pdf"));
}

TEST(EngineFailure, TheMessageEndsWithTheEnginesReason) {
    EngineOutcome outcome;
    outcome.status = 255;
    outcome.errorText = std::string(3000, 'x') + "Error: /undefined in foo";
    std::string text = DescribeEngineFailure(outcome, "C:\\a.pdf");
    EXPECT_NE(std::string::npos, text.find("C:\\a.pdf"));
    EXPECT_NE(std::string::npos, text.find("Error: /undefined in foo"));
    EXPECT_LT(text.size(), 1700u);
    EXPECT_FALSE(outcome.Succeeded());
}

TEST(EngineFailure, AnEmptyJobIsNotASuccess) {
    EngineOutcome outcome;
    outcome.pdfWritten = true;
    EXPECT_TRUE(outcome.Succeeded());
    outcome.emptyJob = true;
    EXPECT_FALSE(outcome.Succeeded());
    EXPECT_NE(std::string::npos, DescribeEngineFailure(outcome, "C:\\e.pdf").find("was empty"));
}

}  // namespace
