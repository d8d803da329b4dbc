// The real expscale-gui.exe under Wine, driven from outside as a user would drive it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>

#include "shell/win32/main_window.h"
#include "tests/gui/gui_session.h"
#include "tests/support/data_file.h"

namespace expscale::gui {
namespace {

using namespace std::chrono_literals;
using expscale::testing::buildDataFile;
using expscale::testing::DataFileLayout;
using expscale::testing::TestRecord;

// A folder of its own per test and the program it drives, both gone afterwards.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() / (L"expscale-gui-" + std::to_wstring(seed()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        stopProgram(program_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void start(const std::filesystem::path& exe = programPaths().real) {
        program_ = startProgram(exe);
        ASSERT_NE(program_.window, nullptr) << "no main window appeared";
    }
    HWND control(Control c) const { return controlOf(program_, c); }

    std::filesystem::path write(const std::filesystem::path& name, const std::string& bytes) const {
        const std::filesystem::path file = folder_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static std::string read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::filesystem::path> folderContents() const {
        std::set<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_)) {
            names.insert(std::filesystem::relative(entry.path(), folder_));
        }
        return names;
    }

    // Clicks 按钮1 and waits for the open dialog.
    HWND showOpenDialog() {
        clickButton(control(Control::按钮1));
        return waitForDialog(program_, program_.window);
    }
    // Chooses `file` in the open dialog and waits until the list is filled.
    void openFile(const std::filesystem::path& file) {
        HWND dialog = showOpenDialog();
        ASSERT_NE(dialog, nullptr) << "the open dialog did not appear";
        confirmAndWait(dialog, file);
    }
    void confirmAndWait(HWND dialog, const std::filesystem::path& file) {
        enterFileName(dialog, file);
        ASSERT_TRUE(waitUntilGone(dialog)) << "the dialog did not accept the name";
        ASSERT_TRUE(waitUntilIdle(program_));
    }
    // Moves the focus with Tab until `target` has it.
    void tabTo(Control target) {
        ASSERT_TRUE(bringToFront(program_.window));
        for (int i = 0; i < 5 && focusOf(program_) != control(target); ++i) {
            const HWND before = focusOf(program_);
            pressKey(VK_TAB);
            ASSERT_TRUE(waitFor([&] { return focusOf(program_) != before; }, 5s));
        }
        ASSERT_EQ(focusOf(program_), control(target));
    }

    std::filesystem::path folder_;
    Program program_;
};

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring listLine(const std::u16string& name, std::int32_t experience) {
    return L"(" + throughCodePage936(wide(name)) + L") 经验：" + std::to_wstring(experience);
}

// ---------------------------------------------------------------------------------------------

struct ControlLook {
    Control name;
    const wchar_t* windowClass;
    RECT rect;  // in the client area of the main window
    const wchar_t* text;
    DWORD styleOn;
    DWORD styleOff;
};

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD BUTTON_ON = CHILD | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD EDIT_ON = CHILD | ES_AUTOHSCROLL;
constexpr DWORD EDIT_OFF = ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE |
                           ES_NUMBER | ES_NOHIDESEL | ES_CENTER | ES_RIGHT | WS_DISABLED;
// WS_VSCROLL is on only while the items do not fit: see LargeFilesFillTheWholeList.
constexpr DWORD LIST_ON = CHILD | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS;
constexpr DWORD LIST_OFF = WS_HSCROLL | LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_DISABLENOSCROLL |
                           LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE | WS_DISABLED;

const ControlLook CONTROL_LOOKS[] = {
    {Control::编辑框1, L"Edit", {8, 8, 144, 32}, L"", EDIT_ON, EDIT_OFF},
    {Control::按钮1, L"Button", {152, 8, 224, 32}, L"打开文件", BUTTON_ON, BS_DEFPUSHBUTTON | WS_DISABLED},
    {Control::列表框1, L"ListBox", {8, 40, 224, 256}, L"", LIST_ON, LIST_OFF},
    {Control::编辑框2, L"Edit", {8, 264, 224, 288}, L"1", EDIT_ON, EDIT_OFF},
    {Control::按钮2, L"Button", {8, 296, 224, 320}, L"批量修改保存", BUTTON_ON, BS_DEFPUSHBUTTON | WS_DISABLED},
};

TEST_F(GuiTest, StartsInItsOwnFolder) {
    // Started from elsewhere, as from a shortcut with another working folder.
    program_ = startProgram(programPaths().real, folder_);
    ASSERT_NE(program_.window, nullptr);
    std::wstring folder = currentDirectoryOf(program_);
    if (folder.size() > 3 && folder.ends_with(L'\\')) folder.pop_back();
    EXPECT_EQ(CompareStringOrdinal(folder.c_str(), -1, programPaths().real.parent_path().c_str(), -1, TRUE), CSTR_EQUAL)
        << ::testing::PrintToString(folder);
}

TEST_F(GuiTest, WindowHasItsSizePlaceStylesAndControls) {
    start();
    HWND window = program_.window;
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 252);
    EXPECT_EQ(outer.bottom - outer.top, 363);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 252) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 363) / 2);

    EXPECT_EQ(windowText(window), L"批量修改怪物经验,expscale.example.org");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_DLGFRAME), WS_CAPTION | WS_SYSMENU | WS_DLGFRAME);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD), 0u);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(window), nullptr);

    // Font, icons and background are checked inside the process (main_window_test): Wine does
    // not pass WM_GETFONT or WM_GETICON between processes, and class data stays in its process.
    for (const ControlLook& look : CONTROL_LOOKS) {
        SCOPED_TRACE(::testing::Message() << "control " << static_cast<int>(look.name));
        HWND c = control(look.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(className(c), look.windowClass);
        const RECT r = rectIn(c, window);
        EXPECT_EQ(r.left, look.rect.left);
        EXPECT_EQ(r.top, look.rect.top);
        EXPECT_EQ(r.right, look.rect.right);
        EXPECT_EQ(r.bottom, look.rect.bottom);
        EXPECT_EQ(windowText(c), look.text);
        const auto controlStyle = static_cast<DWORD>(GetWindowLongPtrW(c, GWL_STYLE));
        EXPECT_EQ(controlStyle & look.styleOn, look.styleOn);
        EXPECT_EQ(controlStyle & look.styleOff, 0u);
        const bool sunken = (GetWindowLongPtrW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
        EXPECT_EQ(sunken, look.windowClass != std::wstring_view(L"Button"));
    }

    HWND list = control(Control::列表框1);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    TEXTMETRICW metrics{};
    HDC screen = GetDC(nullptr);
    SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(screen, &metrics);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), metrics.tmHeight + 1);

    for (Control edit : {Control::编辑框1, Control::编辑框2}) {
        EXPECT_EQ(SendMessageW(control(edit), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
        DWORD start = 1, end = 1;
        SendMessageW(control(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 0u);
    }
    EXPECT_EQ(focusOf(program_), list);
    EXPECT_EQ(GetForegroundWindow(), window);
}

// ---------------------------------------------------------------------------------------------

TEST_F(GuiTest, TabWalksTheControlsInOrderAndFocusComesBack) {
    start();
    ASSERT_TRUE(bringToFront(program_.window));
    const Control forward[] = {Control::编辑框1, Control::按钮1, Control::编辑框2, Control::按钮2, Control::列表框1};
    ASSERT_EQ(focusOf(program_), control(Control::列表框1));
    for (Control expected : forward) {
        pressKey(VK_TAB);
        EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(expected); }, 5s))
            << "Tab did not reach control " << static_cast<int>(expected);
    }
    const Control backward[] = {Control::按钮2, Control::编辑框2, Control::按钮1, Control::编辑框1, Control::列表框1};
    for (Control expected : backward) {
        pressKey(VK_TAB, {VK_SHIFT});
        EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(expected); }, 5s))
            << "Shift+Tab did not reach control " << static_cast<int>(expected);
    }

    // Enter and F1 on a focused button start nothing: the next Tab still lands in this window.
    tabTo(Control::按钮1);
    pressKey(VK_RETURN);
    pressKey(VK_F1);
    pressKey(VK_ESCAPE, {VK_SHIFT});  // Esc with a modifier does not close
    pressKey(VK_TAB);
    EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(Control::编辑框2); }, 5s));
    EXPECT_EQ(findDialog(program_, program_.window), nullptr);
    EXPECT_EQ(waitForExit(program_, 0ms), STILL_ACTIVE);

    // Another window takes the foreground; coming back gives the focus back to 编辑框2.
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(bringToFront(other));
    ASSERT_TRUE(bringToFront(program_.window));
    EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(Control::编辑框2); }, 5s));
    DestroyWindow(other);
}

struct CloseCase {
    const char* how;
    void (*close)(const Program&);
};

const CloseCase CLOSE_CASES[] = {
    {"Esc", [](const Program&) { pressKey(VK_ESCAPE); }},
    {"Alt+F4", [](const Program&) { pressKey(VK_F4, {VK_MENU}); }},
    {"close button", [](const Program& p) { PostMessageW(p.window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

TEST_F(GuiTest, EveryWayOfClosingEndsWithExitCodeZero) {
    for (const CloseCase& c : CLOSE_CASES) {
        SCOPED_TRACE(c.how);
        start();
        ASSERT_TRUE(bringToFront(program_.window));
        c.close(program_);
        EXPECT_EQ(waitForExit(program_, 10s), 0u);
        stopProgram(program_);
    }
}

// ---------------------------------------------------------------------------------------------

TEST_F(GuiTest, FactorBoxRefusesTypedCharactersOtherThanDigitsMinusAndPoint) {
    start();
    tabTo(Control::编辑框2);  // Tab selects the whole "1"
    HWND factor = control(Control::编辑框2);
    const auto textIs = [&](std::wstring_view expected) {
        return waitFor([&] { return windowText(factor) == expected; }, 5s);
    };

    // A letter, a Chinese character and a full-width digit change nothing; the 7 that follows
    // them replaces the selection, so they were seen and dropped.
    typeText(L"a中１7");
    EXPECT_TRUE(textIs(L"7")) << "got " << ::testing::PrintToString(windowText(factor));
    pressKey('X');
    typeText(L"--1..2-.");
    EXPECT_TRUE(textIs(L"7--1..2-.")) << "got " << ::testing::PrintToString(windowText(factor));
    pressKey(VK_BACK);
    EXPECT_TRUE(textIs(L"7--1..2-"));

    // Pasting is not filtered, neither by Ctrl+V (a control character) nor by WM_PASTE.
    setClipboardText(L"x中");
    pressKey('V', {VK_CONTROL});
    EXPECT_TRUE(textIs(L"7--1..2-x中"));
    setClipboardText(L"１e");
    SendMessageW(factor, WM_PASTE, 0, 0);
    EXPECT_TRUE(textIs(L"7--1..2-x中１e"));

    // Esc from the factor box closes the window without a question.
    pressKey(VK_ESCAPE);
    EXPECT_EQ(waitForExit(program_, 10s), 0u);
}

// ---------------------------------------------------------------------------------------------

const std::vector<TestRecord> LISTED_RECORDS = {
    {u"", 100},  // record 1 always carries the marker's name, 透明怪
    {u"Slime", 0},
    {u"哥布林王", -1},
    {u"", 2147483647},
    {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", -2147483647 - 1},
    {u"火龙\u0E01", 12345},  // the Thai letter has no code page 936 form
    {u"Cafe\u0301", 7},     // e and a combining acute become one character
};

TEST_F(GuiTest, OpeningListsEveryRecordAndCancellingChangesNothing) {
    // A folder and file name that code page 936 cannot spell: the file opens all the same.
    const std::filesystem::path file =
        write(std::filesystem::path(L"数据 \u0E01") / L"怪物.data", buildDataFile(LISTED_RECORDS));
    start();
    ASSERT_TRUE(bringToFront(program_.window));
    HWND first = showOpenDialog();
    ASSERT_NE(first, nullptr) << "the open dialog did not appear";
    EXPECT_EQ(windowText(fileNameBox(first)), L"elements.data");
    HWND types = GetDlgItem(first, 0x470);
    EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 1) << "one file type";
    EXPECT_EQ(windowText(types), L"elements.data");
    ASSERT_NO_FATAL_FAILURE(confirmAndWait(first, file));

    EXPECT_EQ(windowText(control(Control::编辑框1)), throughCodePage936(file.wstring()));
    std::vector<std::wstring> expected = {listLine(u"透明怪", 100)};
    for (std::size_t i = 1; i < LISTED_RECORDS.size(); ++i) {
        expected.push_back(listLine(LISTED_RECORDS[i].name, LISTED_RECORDS[i].experience));
    }
    EXPECT_EQ(listLines(control(Control::列表框1)), expected);
    EXPECT_EQ(SendMessageW(control(Control::列表框1), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(Control::按钮1); }, 5s));

    // The next showing starts from the path chosen before; cancelling it changes nothing. This
    // time the button is pressed with Space, as from the keyboard.
    pressKey(VK_SPACE);
    HWND dialog = waitForDialog(program_, program_.window);
    ASSERT_NE(dialog, nullptr);
    // The dialog opens the chosen file's folder and offers its name there.
    EXPECT_EQ(windowText(fileNameBox(dialog)), file.filename().wstring());
    EXPECT_EQ(windowText(GetDlgItem(dialog, 0x471)), file.parent_path().filename().wstring());
    EXPECT_FALSE(IsWindowEnabled(program_.window));
    pressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(waitUntilGone(dialog));
    ASSERT_TRUE(waitUntilIdle(program_));
    EXPECT_EQ(windowText(control(Control::编辑框1)), throughCodePage936(file.wstring()));
    EXPECT_EQ(listLines(control(Control::列表框1)), expected);
    EXPECT_TRUE(IsWindowEnabled(program_.window));
    EXPECT_TRUE(waitFor([&] { return focusOf(program_) == control(Control::按钮1); }, 5s));

    pressKey(VK_ESCAPE);
    EXPECT_EQ(waitForExit(program_, 10s), 0u);
}

// ---------------------------------------------------------------------------------------------

struct ScaledValue {
    std::int32_t opened;
    std::int32_t saved;  // at the factor 1.5
};

const ScaledValue SCALED_VALUES[] = {
    {1000, 1500},           {133'333'333, 199'999'999}, {133'333'334, 200'000'000},
    {-10, -15},             {0, 0},                     {2'000'000'000, 200'000'000},
    {7, 10},                {12345, 18517},
};

TEST_F(GuiTest, SavingScalesIntoAnExistingFileOnlyAfterAskingAndRefusesMissingNames) {
    std::vector<TestRecord> records;
    for (const ScaledValue& v : SCALED_VALUES) records.push_back({u"怪", v.opened});
    const DataFileLayout layout;
    const std::string opened = buildDataFile(records, layout);
    std::string expected = opened;
    for (std::size_t i = 0; i < records.size(); ++i) {
        expscale::testing::putInt32(expected, expscale::testing::experienceOffset(layout, i), SCALED_VALUES[i].saved);
    }
    const std::filesystem::path source = write(L"elements.data", opened);
    const std::filesystem::path target = write(L"目标.data", "an older file");
    const std::filesystem::path missing = folder_ / L"missing.data";

    start();
    ASSERT_NO_FATAL_FAILURE(openFile(source));
    const std::vector<std::wstring> listed = listLines(control(Control::列表框1));
    ASSERT_EQ(listed.size(), records.size());
    tabTo(Control::编辑框2);
    typeText(L"1.5");
    ASSERT_TRUE(waitFor([&] { return windowText(control(Control::编辑框2)) == L"1.5"; }, 5s));

    clickButton(control(Control::按钮2));
    HWND dialog = waitForDialog(program_, program_.window);
    ASSERT_NE(dialog, nullptr) << "the save dialog did not appear";
    // The save component keeps its own name, apart from the open dialog's.
    EXPECT_EQ(windowText(fileNameBox(dialog)), L"elements.data");

    // A name that does not exist is refused inside the dialog, which stays open.
    enterFileName(dialog, missing);
    HWND refusal = waitForDialog(program_, dialog);
    ASSERT_NE(refusal, nullptr) << "a missing name was not refused";
    EXPECT_EQ(GetDlgItem(refusal, IDYES), nullptr);
    EXPECT_NE(messageBoxText(refusal).find(L"missing.data"), std::wstring::npos);
    pressDialogButton(refusal, IDOK);
    ASSERT_TRUE(waitUntilGone(refusal));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // An existing name asks first; No keeps the dialog open, Yes saves.
    enterFileName(dialog, target);
    HWND question = waitForDialog(program_, dialog);
    ASSERT_NE(question, nullptr) << "no question before replacing the file";
    ASSERT_NE(GetDlgItem(question, IDNO), nullptr);
    pressDialogButton(question, IDNO);
    ASSERT_TRUE(waitUntilGone(question));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(read(target), "an older file");
    enterFileName(dialog, target);
    question = waitForDialog(program_, dialog);
    ASSERT_NE(question, nullptr);
    pressDialogButton(question, IDYES);
    ASSERT_TRUE(waitUntilGone(dialog));
    ASSERT_TRUE(waitUntilIdle(program_));

    EXPECT_TRUE(read(target) == expected) << "the saved bytes differ";
    EXPECT_EQ(read(source), opened);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(listLines(control(Control::列表框1)), listed);  // the list keeps the opened values
    EXPECT_EQ(folderContents(), (std::set<std::filesystem::path>{L"elements.data", L"目标.data"}));

    // A cancelled save writes nothing.
    write(L"目标.data", "an older file");
    clickButton(control(Control::按钮2));
    dialog = waitForDialog(program_, program_.window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(fileNameBox(dialog)), L"目标.data");
    pressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(waitUntilGone(dialog));
    ASSERT_TRUE(waitUntilIdle(program_));
    EXPECT_EQ(read(target), "an older file");
    EXPECT_EQ(folderContents(), (std::set<std::filesystem::path>{L"elements.data", L"目标.data"}));

    PostMessageW(program_.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(waitForExit(program_, 10s), 0u);
}

// ---------------------------------------------------------------------------------------------

std::vector<TestRecord> manyRecords(std::size_t count) {
    std::vector<TestRecord> records(count);
    for (std::size_t i = 0; i < count; ++i) {
        records[i] = {u"怪物" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)), static_cast<std::int32_t>(i * 7)};
    }
    return records;
}

// The failing variant's allocator fails the first request of at least 100,000 bytes made once
// 按钮2 has been clicked; scaling 10,000 records makes such a request before the save dialog.
TEST_F(GuiTest, FailedAllocationInACommandShowsTheErrorBoxAndEndsWithMinusOne) {
    const std::filesystem::path source = write(L"elements.data", buildDataFile(manyRecords(10'000)));
    start(programPaths().failing);
    ASSERT_NO_FATAL_FAILURE(openFile(source));
    ASSERT_EQ(SendMessageW(control(Control::列表框1), LB_GETCOUNT, 0, 0), 10'000);

    clickButton(control(Control::按钮2));
    HWND box = waitForDialog(program_, nullptr);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(windowText(box), L"错误");
    EXPECT_EQ(findDialog(program_, program_.window), nullptr) << "the save dialog was shown";
    const std::wstring text = messageBoxText(box);
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(text, match, std::wregex(L"运行时出错!\r\n\r\n错误信息：分配 ([0-9]+) 字节内存失败!\r\n")))
        << ::testing::PrintToString(text);
    EXPECT_GE(std::stoull(match[1].str()), 100'000u);

    pressDialogButton(box, IDOK);
    EXPECT_EQ(waitForExit(program_, 10s), static_cast<DWORD>(-1));
    EXPECT_EQ(folderContents(), std::set<std::filesystem::path>{L"elements.data"});
}

// A save that cannot replace its target says why and leaves the target as it was.
TEST_F(GuiTest, SavingOverAFileHeldOpenElsewhereShowsWhyAndKeepsIt) {
    const std::filesystem::path source = write(L"elements.data", buildDataFile(manyRecords(3)));
    const std::filesystem::path target = write(L"held.data", "held by another program");
    // Another program has the target open and lets others only read it.
    const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    start();
    ASSERT_NO_FATAL_FAILURE(openFile(source));
    clickButton(control(Control::按钮2));
    HWND dialog = waitForDialog(program_, program_.window);
    ASSERT_NE(dialog, nullptr) << "the save dialog did not appear";
    enterFileName(dialog, target);
    HWND question = waitForDialog(program_, dialog);
    ASSERT_NE(question, nullptr) << "no question before replacing the file";
    pressDialogButton(question, IDYES);
    ASSERT_TRUE(waitUntilGone(dialog));

    HWND box = waitForDialog(program_, program_.window);
    ASSERT_NE(box, nullptr) << "the failed save was not reported";
    EXPECT_EQ(windowText(box), L"错误");
    EXPECT_NE(messageBoxText(box).find(L"held.data"), std::wstring::npos) << "the box names no file";
    pressDialogButton(box, IDOK);
    ASSERT_TRUE(waitUntilGone(box));
    CloseHandle(held);

    EXPECT_EQ(read(target), "held by another program");
    EXPECT_EQ(folderContents(), (std::set<std::filesystem::path>{L"elements.data", L"held.data"}));
    PostMessageW(program_.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(waitForExit(program_, 10s), 0u);
}

// A file too large for the memory at hand counts as unreadable: no error box, nothing listed.
TEST_F(GuiTest, AFileTooLargeForTheMemoryOpensAsUnreadable) {
    const std::filesystem::path small = write(L"small.data", buildDataFile(manyRecords(3)));
    const std::filesystem::path large = write(L"large.data", buildDataFile(manyRecords(3)));
    std::filesystem::resize_file(large, std::uintmax_t{1} << 30);  // sparse on the Linux side
    start(programPaths().failing);
    ASSERT_NO_FATAL_FAILURE(openFile(small));
    ASSERT_EQ(SendMessageW(control(Control::列表框1), LB_GETCOUNT, 0, 0), 3);

    ASSERT_NO_FATAL_FAILURE(openFile(large));
    EXPECT_EQ(findDialog(program_, nullptr), nullptr) << "an error box was shown";
    EXPECT_EQ(SendMessageW(control(Control::列表框1), LB_GETCOUNT, 0, 0), 0);
    ASSERT_TRUE(bringToFront(program_.window));
    pressKey(VK_ESCAPE);
    EXPECT_EQ(waitForExit(program_, 10s), 0u);
}

// ---------------------------------------------------------------------------------------------

// Not a timed assertion: the times are printed for the record. The list must be complete.
TEST_F(GuiTest, LargeFilesFillTheWholeList) {
    start();
    for (std::size_t count : {std::size_t{1}, std::size_t{10'000}, std::size_t{100'000}}) {
        const std::vector<TestRecord> records = manyRecords(count);
        const std::filesystem::path file = write(L"n" + std::to_wstring(count) + L".data", buildDataFile(records));
        HWND dialog = showOpenDialog();
        ASSERT_NE(dialog, nullptr);
        const auto clicked = std::chrono::steady_clock::now();
        enterFileName(dialog, file);
        ASSERT_TRUE(waitUntilGone(dialog));
        const auto dialogGone = std::chrono::steady_clock::now();
        ASSERT_TRUE(waitUntilIdle(program_, 300s));
        const auto listed = std::chrono::steady_clock::now();

        HWND list = control(Control::列表框1);
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(count));
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(list, GWL_STYLE));
        EXPECT_EQ((style & WS_VSCROLL) != 0, count > 1) << "a scroll bar only while the lines do not fit";
        EXPECT_EQ(style & WS_HSCROLL, 0u);
        EXPECT_EQ(lineAt(list, count - 1), count == 1 ? listLine(u"透明怪", 0)
                                           : listLine(records.back().name, records.back().experience));
        const auto ms = [](auto d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
        std::printf("records %zu: confirm to filled list %lld ms (dialog teardown %lld ms, reading and listing %lld ms)\n",
                    count, ms(listed - clicked), ms(dialogGone - clicked), ms(listed - dialogGone));
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

// ---------------------------------------------------------------------------------------------

std::wstring versionString(const std::vector<char>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) return {};
    return static_cast<const wchar_t*>(value);
}

TEST(ProgramFile, CarriesItsVersionIconAndTheCommonControlsManifest) {
    const std::wstring exe = programPaths().real.wstring();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &length));
    const auto* version = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(version->dwFileVersionMS, static_cast<DWORD>(MAKELONG(EXPSCALE_VERSION_MINOR, EXPSCALE_VERSION_MAJOR)));
    EXPECT_EQ(version->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(versionString(info, L"ProductVersion"), EXPSCALE_VERSION);
    EXPECT_EQ(versionString(info, L"OriginalFilename"), L"expscale-gui.exe");

    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr) << "no application manifest";
    const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                           SizeofResource(image, manifest));
    EXPECT_NE(text.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
    FreeLibrary(image);
}

}  // namespace
}  // namespace expscale::gui

// The driver's own arguments: --program=PATH and --failing-program=PATH, Unix paths of the build.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const auto windowsPath = [](std::string unixPath) {
        for (char& c : unixPath) c = c == '/' ? '\\' : c;
        return std::filesystem::path("Z:" + unixPath);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--program=")) expscale::gui::programPaths().real = windowsPath(arg.substr(10));
        if (arg.starts_with("--failing-program=")) expscale::gui::programPaths().failing = windowsPath(arg.substr(18));
    }
    return RUN_ALL_TESTS();
}
