// Restoring radio groups and checkboxes on a real dialog.
#include "TestSupport.h"
#include "app/PostActions.h"
#include "res/resource.h"
#include "settings/RestoreControls.h"
#include "settings/Singleton.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class MainDialogControls : public testing::Test {
protected:
    void SetUp() override {
        CSingleton::GetInstance().SetFolder(testing_support::MakeEmptyDir("restore"));
        dialog_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr),
                                       MAKEINTRESOURCEA(IDD_ORVPDF_DIALOG), nullptr,
                                       PlainDialogProc, 0);
        ASSERT_NE(nullptr, dialog_);
        checkbox_ = ::CreateWindowA("BUTTON", "box", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 10,
                                    dialog_, reinterpret_cast<HMENU>(kCheckboxId), nullptr, nullptr);
        ASSERT_NE(nullptr, checkbox_);
    }
    void TearDown() override { ::DestroyWindow(dialog_); }

    int Checked() const {
        int checked = 0;
        for (int id = IDC_DO_NOTHING; id <= IDC_EMAIL_TO; ++id) {
            if (::IsDlgButtonChecked(dialog_, id) == BST_CHECKED) {
                EXPECT_EQ(0, checked) << "two buttons checked";
                checked = id;
            }
        }
        return checked;
    }

    static constexpr int kCheckboxId = 4242;
    HWND dialog_ = nullptr;
    HWND checkbox_ = nullptr;
};

TEST_F(MainDialogControls, RadioGroupFollowsTheStoredName) {
    struct Case {
        const char* stored;  // null: key removed
        int expected;
    };
    const Case cases[] = {
        {"do nothing", IDC_DO_NOTHING}, {"open", IDC_OPEN},   {"open folder", IDC_OPEN_FOLDER},
        {"email to", IDC_EMAIL_TO},     {nullptr, IDC_OPEN},  {"", IDC_OPEN},
        {"Email To", IDC_OPEN},         {"bogus", IDC_OPEN},  {"emailto", IDC_OPEN},
    };
    for (const Case& c : cases) {
        WriteSetting("option", "post action", c.stored);
        RestoreRadioGroup(dialog_, "option", "post action", PostActions, PostActionCount,
                          IDC_DO_NOTHING, IDC_EMAIL_TO, IDC_OPEN);
        EXPECT_EQ(c.expected, Checked()) << (c.stored ? c.stored : "(removed)");
    }
    // Restoring writes nothing back.
    WriteSetting("option", "post action", "bogus");
    RestoreRadioGroup(dialog_, "option", "post action", PostActions, PostActionCount,
                      IDC_DO_NOTHING, IDC_EMAIL_TO, IDC_OPEN);
    EXPECT_EQ("bogus", CSingleton::GetInstance().Ini().GetString("option", "post action"));
}

TEST_F(MainDialogControls, CheckBoxIsCheckedOnlyForExactlyTrue) {
    struct Case {
        const char* stored;
        bool checked;
    };
    const Case cases[] = {{"true", true},   {"True", false}, {"TRUE", false},
                          {"false", false}, {"", false},     {nullptr, false},
                          {"yes", false},   {"1", false}};
    for (const Case& c : cases) {
        ::SendMessageA(checkbox_, BM_SETCHECK, c.checked ? BST_UNCHECKED : BST_CHECKED, 0);
        WriteSetting("option", "set password", c.stored);
        RestoreCheckBox(kCheckboxId, dialog_, "option", "set password");
        EXPECT_EQ(c.checked, ::IsDlgButtonChecked(dialog_, kCheckboxId) == BST_CHECKED)
            << (c.stored ? c.stored : "(removed)");
    }
}

TEST(FindChoiceId, FirstMatchingRowWins) {
    const OptionChoice table[] = {{1, "a", ""}, {2, "b", ""}, {3, "a", ""}};
    EXPECT_EQ(1, FindChoiceId("a", table, 3, 9));
    EXPECT_EQ(2, FindChoiceId("b", table, 3, 9));
    EXPECT_EQ(9, FindChoiceId("b", table, 1, 9));  // only `count` rows are looked at
    EXPECT_EQ(9, FindChoiceId("", table, 3, 9));
}

}  // namespace
