// MainWindow inside the test's own process: what Wine cannot report to another process (fonts,
// icons, class data) and the control operations the commands call.
#include <gtest/gtest.h>

#include <string>

#include "commands/controls.h"
#include "shell/win32/main_window.h"

namespace expscale {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(registerMainWindowClass(GetModuleHandleW(nullptr))); }
    void SetUp() override { ASSERT_TRUE(createMainWindow()); }
    void TearDown() override { DestroyWindow(mainWindow()); }
};

const Control ALL_CONTROLS[] = {Control::编辑框1, Control::按钮1, Control::列表框1, Control::编辑框2, Control::按钮2};

SIZE bitmapSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

TEST_F(MainWindowTest, UsesTheDefaultGuiFontButtonFaceAndItsOwnIcon) {
    const auto font = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    for (Control c : ALL_CONTROLS) {
        EXPECT_EQ(SendMessageW(controlWindow(c), WM_GETFONT, 0, 0), font) << static_cast<int>(c);
    }
    EXPECT_EQ(GetClassLongPtrW(mainWindow(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);

    const auto big = reinterpret_cast<HICON>(SendMessageW(mainWindow(), WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageW(mainWindow(), WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(bitmapSize(big).cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(bitmapSize(small).cx, GetSystemMetrics(SM_CXSMICON));
}

TEST(IconResource, IsOne64By64ImageIn24BitColour) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_ICON);
    ASSERT_NE(found, nullptr);
    ASSERT_GE(SizeofResource(nullptr, found), sizeof(BITMAPINFOHEADER));
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(header->biWidth, 64);
    EXPECT_EQ(header->biHeight, 128);  // the colour image and its mask
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(2), RT_ICON), nullptr);
}

TEST_F(MainWindowTest, ListOperationsAppendInOrderWithNothingSelected) {
    addListItem(Control::列表框1, "old");
    clearListBox(Control::列表框1);
    beginListFill(Control::列表框1, 3);
    EXPECT_EQ(addListItem(Control::列表框1, "(\xCD\xB8\xC3\xF7\xB9\xD6) \xBE\xAD\xD1\xE9\xA3\xBA" "7"), 0);
    EXPECT_EQ(addListItem(Control::列表框1, "b"), 1);
    EXPECT_EQ(addListItem(Control::列表框1, "a\tb"), 2);
    endListFill(Control::列表框1);
    HWND list = controlWindow(Control::列表框1);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    wchar_t line[64] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::wstring(line), L"(透明怪) 经验：7");
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(MainWindowTest, EditTextsCrossAsCodePage936AndShowAsUnicode) {
    const std::string path = "C:\\\xCA\xFD\xBE\xDD\\elements.data";  // C:\数据\elements.data
    setEditText(Control::编辑框1, path);
    wchar_t shown[64] = {};
    GetWindowTextW(controlWindow(Control::编辑框1), shown, 64);
    EXPECT_EQ(std::wstring(shown), L"C:\\数据\\elements.data");
    EXPECT_EQ(getEditText(Control::编辑框1), path);

    EXPECT_EQ(getEditText(Control::编辑框2), "1");
    SetWindowTextW(controlWindow(Control::编辑框2), L"１.５");  // as pasted
    EXPECT_EQ(getEditText(Control::编辑框2), "\xA3\xB1.\xA3\xB5");
    setEditText(Control::编辑框2, "");
    EXPECT_EQ(getEditText(Control::编辑框2), "");
}

}  // namespace
}  // namespace expscale
