// The real windows in this process, driven with real input (SendInput) under Wine, with the
// recording fake behind the launch actions.
#include "about.h"
#include "layouts.h"
#include "main.h"
#include "recording_shell.h"
#include "win32_support.h"
#include "windowing/support.h"

#include <gtest/gtest.h>

#include <delayimp.h>
#include <dwmapi.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <source_location>
#include <span>
#include <stdexcept>
#include <thread>
#include <tuple>

// The desktop window manager draws nothing under Wine: what the layer asks of it shows in its
// calls, which the delay-load helper lets the tests count per window before they go on to it.
std::map<HWND, int> iconicBitmapsInvalidated;

HRESULT WINAPI countedInvalidateIconicBitmaps(HWND window) {
    ++iconicBitmapsInvalidated[window];
    auto real =
        reinterpret_cast<decltype(&DwmInvalidateIconicBitmaps)>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("dwmapi.dll"), "DwmInvalidateIconicBitmaps")));
    return real ? real(window) : E_FAIL;
}

FARPROC WINAPI delayLoadNotice(unsigned notice, PDelayLoadInfo load) {
    if (notice == dliNotePreGetProcAddress && load->dlp.fImportByName &&
        lstrcmpA(load->dlp.szProcName, "DwmInvalidateIconicBitmaps") == 0)
        return reinterpret_cast<FARPROC>(
            reinterpret_cast<void (*)()>(&countedInvalidateIconicBitmaps));
    return nullptr;
}

// The helper's notice hook, which a program installs by defining it.
PfnDliHook __pfnDliNotifyHook2 = delayLoadNotice;

namespace {

using Calls = std::vector<ShellCall>;
using Names = std::vector<std::string>;

const ShellCall singlePlay =
    shellExecuteCall("D:\\GAME\\duke3d.exe", "/xmorva.con /gmorva.grp /dmorva.dmo");
const ShellCall multiPlay = shellExecuteCall("D:\\GAME\\setup.exe", "/xmorva.con /gmorva.grp");
const ShellCall readme = shellExecuteCall("D:\\GAME\\Morva.txt", "");
const ShellCall demo =
    shellExecuteCall("D:\\GAME\\duke3d.exe", "/xmorva.con /gmorva.grp /dmorva.amo");
const ShellCall setupMissing =
    messageBoxCall("Cannot find the file...D:\\GAME\\setup.exe", "File Error", mbIconHand);

// From a thread other than the windows' (theirs is in a loop of its own): the pointer to a screen
// point, then one or two clicks there.
void clickFromAnotherThread(POINT screen, int clicks = 1) {
    movePointer(screen);
    for (int i = 0; i < clicks; ++i)
        sendButtons(screen, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
}

// A control by the name a table below gives it.
const Control& named(const Form& form, std::string_view name) {
    for (const auto& control : form.controls())
        if (control->row.name == name)
            return *control;
    throw std::out_of_range("no control " + std::string(name));
}

// The face every caption is drawn in at a density: "MS Sans Serif" in the sizes its bitmaps have
// (Wine's serve 96, 120 and 144 pixels per inch), else its TrueType twin, Wine's Tahoma.
std::string faceAt(int dpi) {
    return dpi <= 144 ? "MS Sans Serif" : underWine() ? "Tahoma" : "Microsoft Sans Serif";
}

// That face made for a density, selected into a screen DC independently of the form; the size
// of a text in it; a layout value scaled by the height of "0" in the 8-point window font; a
// font's height.
struct FontOnScreen {
    FontOnScreen(int dpi, int pointSize, const std::string& face)
        : font(CreateFontA(-MulDiv(pointSize, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str())) {}
    UniqueFont font;
    ScopedGetDC screen{nullptr};
    ScopedSelectObject selected{screen, font.get()};
};
SIZE textSizeAt(int dpi, const std::string& text, int pointSize = 8) {
    FontOnScreen on(dpi, pointSize, faceAt(dpi));
    SIZE size{-1, -1};
    GetTextExtentPoint32A(on.screen, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
int scaledBy(int measured, int value) {
    return static_cast<int>(std::lround(value * measured / 13.0));
}
// The width of the icon of a kind (ICON_BIG, ICON_SMALL) a window has; -1 for none.
int iconWidth(HWND window, WPARAM kind) {
    auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, kind, 0));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return -1;
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    bitmap.bmWidth = -1;
    GetObject(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}
LONG fontHeight(HFONT font) {
    LOGFONTA described{};
    described.lfHeight = 0xdead;
    GetObjectA(font, sizeof described, &described);
    return described.lfHeight;
}
// The face a font is drawn in, and whether it scales (an outline face), as the system has it.
std::pair<std::string, bool> drawnIn(HFONT font) {
    ScopedGetDC screen(nullptr);
    ScopedSelectObject selected(screen, font);
    char face[LF_FACESIZE] = "garbage";
    GetTextFaceA(screen, sizeof face, face);
    TEXTMETRICA metrics{};
    return {face, GetTextMetricsA(screen, &metrics) && (metrics.tmPitchAndFamily & TMPF_VECTOR)};
}

// Records like the fake, and shows the real message boxes, each kind with its own owner. The
// launches are counted for other threads too: a user thread waits for them.
class BoxShowingShell : public RecordingShell {
public:
    std::atomic<int> launches = 0;
    // Files whose launch throws this message, as a failing handler does.
    std::map<std::string, std::string> throwing;

    std::intptr_t shellExecute(const std::string& file, const std::string& parameters) override {
        ++launches;
        if (auto failing = throwing.find(file); failing != throwing.end())
            throw std::runtime_error(failing->second);
        return RecordingShell::shellExecute(file, parameters);
    }
    void messageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        RecordingShell::messageBox(text, caption, flags);
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
    }
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override {
        RecordingShell::appMessageBox(text, caption, flags);
        Application::instance().messageBox(text, caption, flags);
    }
};

// The main window of a fresh application, shown as a player starts it.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        create();
        application_.setTitle("The Realm of Morva");
        start(SW_SHOWNORMAL);
    }
    void create() {
        application_.initialize(GetModuleHandleA(nullptr), IDI_MORVA);
        form_ = &application_.createForm<TfrmMain>();
        frmAbout = &application_.createForm<TfrmAbout>();
    }

    void TearDown() override {
        frmAbout = nullptr;
        // A quit message left behind would end the next test's loop at once.
        MSG message;
        PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    void start(int showCommand) {
        application_.start(showCommand);
        settle();
    }

    // Dispatches as the application's loop does until `done` holds or the application has been
    // terminated (its loop would have seen the quit message); by default, until
    // everything this thread was sent has been handled: SendInput puts the input into the
    // queue before it returns, and the handlers' own messages follow it there. Timers are not
    // waited for: under Wine one is always due.
    static bool handled() {
        return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_PAINT | QS_SENDMESSAGE)) == 0;
    }
    void settle(const std::function<bool()>& done = handled) {
        waitUntil([&] { return terminated_ || done(); }, std::chrono::seconds(5),
                  [&] { terminated_ = terminated_ || !dispatchPending(); });
    }

    void sysCommand(HWND window, WPARAM command) {
        SendMessageA(window, WM_SYSCOMMAND, command, 0);
        settle();
    }
    void press(WORD key) {
        sendKeys(tap(key));
        settle();
    }
    void pressWith(WORD modifier, WORD key) {
        sendKeys(tapWith(modifier, key));
        settle();
    }

    POINT screenCentre(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return centreOf(r);
    }
    // The pointer moved there with real input, and there before the buttons go down.
    void clickAt(POINT screen, int clicks = 1) {
        movePointer(screen, [&] { terminated_ = terminated_ || !dispatchPending(); });
        settle();
        for (int i = 0; i < clicks; ++i)
            sendButtons(screen, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
        settle();
    }

    // The client area, every control and font of a form as the rule lays them out at `dpi`:
    // labels sized to their captions, every font in the face the density has (faceAt).
    static void expectLaidOutAt(const Form& form, int dpi,
                                std::source_location at = std::source_location::current()) {
        testing::ScopedTrace trace(at.file_name(), static_cast<int>(at.line()), "the layout");
        const FormLayout& layout = form.layout();
        int measured = textSizeAt(dpi, "0").cy;
        EXPECT_EQ(form.scale().measuredTextHeight, measured) << dpi;
        RECT client{-1, -1, -1, -1};
        GetClientRect(form.handle(), &client);
        EXPECT_EQ(client.right, scaledBy(measured, layout.clientWidth)) << dpi;
        EXPECT_EQ(client.bottom, scaledBy(measured, layout.clientHeight)) << dpi;
        for (size_t i = 0; i < layout.controls.size(); ++i) {
            const ControlLayout& row = layout.controls[i];
            const Control& control = *form.controls()[i];
            int points = row.font.pointSize ? row.font.pointSize : layout.font.pointSize;
            RECT r = control.bounds;
            SIZE size{scaledBy(measured, row.width), scaledBy(measured, row.height)};
            HFONT font = nullptr;
            if (HWND window = control.window()) {
                GetWindowRect(window, &r);
                MapWindowPoints(nullptr, form.handle(), reinterpret_cast<POINT*>(&r), 2);
                font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
            } else if (row.kind == ControlKind::label) {
                size = textSizeAt(dpi, std::string(row.caption), points);
                font = static_cast<const Label&>(control).ownFont();
            }
            if (font) {
                EXPECT_EQ(fontHeight(font), -MulDiv(points, dpi, 72)) << row.name << dpi;
                EXPECT_EQ(drawnIn(font), std::pair(faceAt(dpi), dpi > 144)) << row.name << dpi;
            }
            EXPECT_EQ(r.left, scaledBy(measured, row.left)) << row.name << dpi;
            EXPECT_EQ(r.top, scaledBy(measured, row.top)) << row.name << dpi;
            EXPECT_EQ(r.right - r.left, size.cx) << row.name << dpi;
            EXPECT_EQ(r.bottom - r.top, size.cy) << row.name << dpi;
        }
    }

    // Runs `user` on another thread while the unowned box of a missing setup program is up, moved
    // out of the way of the buttons (both start centred).
    SeenBox underTheSetupBox(const std::function<void()>& user) {
        shell_.missingFiles = {"D:\\GAME\\setup.exe"};
        return watchMessageBox(
            GetCurrentThreadId(), "File Error", [&] { press('M'); }, std::chrono::seconds(30),
            [&](HWND box) {
                SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                user();
            });
    }

    // After a modal box or dialog: the window enabled, and Single Play, which no button had the
    // focus before, focused, drawn as the default button and pressed by Enter.
    void expectBackOnSinglePlay(std::source_location at = std::source_location::current()) {
        testing::ScopedTrace trace(at.file_name(), static_cast<int>(at.line()), "after the box");
        EXPECT_TRUE(IsWindowEnabled(main()));
        EXPECT_EQ(focused(), "btnSinglePlay");
        EXPECT_EQ(defaultLooking(), Names{"btnSinglePlay"});
        press(VK_RETURN);
        EXPECT_EQ(shell_.calls, Calls{singlePlay});
    }

    HWND main() const { return form_->handle(); }
    HWND button(const char* name) const { return named(*form_, name).window(); }
    // The focus of the test's (the windows') thread, read from any thread.
    std::string focused() const {
        std::optional<GUITHREADINFO> info = guiThreadInfo(thread_);
        HWND focus = info ? info->hwndFocus : nullptr;
        if (focus == main())
            return "(the window itself)";
        for (const auto& control : form_->controls())
            if (control->window() && control->window() == focus)
                return std::string(control->row.name);
        return "(elsewhere)";
    }
    // The buttons drawn as the default button.
    std::vector<std::string> defaultLooking() const {
        std::vector<std::string> names;
        for (const auto& control : form_->controls())
            if (control->row.kind == ControlKind::pushButton &&
                (GetWindowLongA(control->window(), GWL_STYLE) & BS_TYPEMASK) ==
                    BS_DEFPUSHBUTTON)
                names.emplace_back(control->row.name);
        return names;
    }

    BoxShowingShell shell_;
    Application application_;
    TfrmMain* form_ = nullptr;
    DWORD thread_ = GetCurrentThreadId();
    bool terminated_ = false;
};

TEST_F(MainWindow, StartsWithNothingFocusedAndKeysThatPressNothing) {
    EXPECT_EQ(focused(), "(the window itself)");
    EXPECT_EQ(defaultLooking(), Names{});
    for (WORD key : {VK_RETURN, VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_ESCAPE}) {
        press(key);
        EXPECT_EQ(focused(), "(the window itself)") << "after key " << key;
    }
    EXPECT_EQ(shell_.calls, Calls{});
}

TEST_F(MainWindow, TabCyclesInTabOrderAndTheDefaultLookFollows) {
    const Names cycle = {"btnSinglePlay", "btnMultiPlay", "btnDesktopIcon", "btnExit",
                         "btnReadme",     "btnCredits",   "btnIntview",     "btnSinglePlay"};
    for (const std::string& expected : cycle) {
        press(VK_TAB);
        EXPECT_EQ(focused(), expected);
        EXPECT_EQ(defaultLooking(), Names{expected});
    }
}

TEST_F(MainWindow, ShiftTabFromNothingFocusesTheLast) {
    pressWith(VK_SHIFT, VK_TAB);
    EXPECT_EQ(focused(), "btnIntview");
    pressWith(VK_SHIFT, VK_TAB);
    EXPECT_EQ(focused(), "btnCredits");
}

TEST_F(MainWindow, ArrowsMoveAlongTheTabOrderAndWrap) {
    press(VK_TAB);
    const std::pair<WORD, const char*> steps[] = {
        {VK_DOWN, "btnMultiPlay"},  {VK_RIGHT, "btnDesktopIcon"}, {VK_UP, "btnMultiPlay"},
        {VK_LEFT, "btnSinglePlay"}, {VK_UP, "btnIntview"},        {VK_DOWN, "btnSinglePlay"},
    };
    for (auto [key, expected] : steps) {
        press(key);
        EXPECT_EQ(focused(), expected) << "after key " << key;
    }
}

TEST_F(MainWindow, AcceleratorsClickWithoutMovingTheFocus) {
    const std::pair<WORD, ShellCall> cases[] = {{'S', singlePlay}, {'M', multiPlay}, {'R', readme}};
    for (const auto& [key, expected] : cases)
        for (bool alt : {false, true}) {
            shell_.calls.clear();
            if (alt)
                pressWith(VK_MENU, key);
            else
                press(key);
            EXPECT_EQ(shell_.calls, Calls{expected}) << (alt ? "Alt+" : "") << char(key);
            EXPECT_EQ(focused(), "(the window itself)");
        }
    // Credits and Interview have no letter; the menu's A needs Alt.
    shell_.calls.clear();
    for (WORD key : {'C', 'I', 'A'})
        press(key);
    EXPECT_EQ(shell_.calls, Calls{});
}

TEST_F(MainWindow, AltLetterLeavesNoArmedMenuBar) {
    pressWith(VK_MENU, 'S');
    press(VK_TAB);
    EXPECT_EQ(focused(), "btnSinglePlay");
    press(VK_DOWN);
    EXPECT_EQ(focused(), "btnMultiPlay");
    EXPECT_EQ(shell_.calls, Calls{singlePlay});
}

TEST_F(MainWindow, EnterAndSpacePressTheFocusedButton) {
    press(VK_TAB);
    press(VK_RETURN);
    EXPECT_EQ(shell_.calls, Calls{singlePlay});
    press(VK_DOWN);
    press(VK_SPACE);
    EXPECT_EQ(shell_.calls, (Calls{singlePlay, multiPlay}));
}

TEST_F(MainWindow, KeyboardUseShowsTheAcceleratorUnderlines) {
    press(VK_TAB);
    LRESULT state = SendMessageA(main(), WM_QUERYUISTATE, 0, 0);
    EXPECT_EQ(state & UISF_HIDEACCEL, 0) << "UI state " << state;
}

TEST_F(MainWindow, MouseClicksAndTheArtwork) {
    clickAt(screenCentre(button("btnMultiPlay")));
    // The first press of a button in a fresh prefix can take Wine's theme a while.
    settle([&] { return !shell_.calls.empty(); });
    EXPECT_EQ(shell_.calls, Calls{multiPlay});
    EXPECT_EQ(focused(), "btnMultiPlay");

    shell_.calls.clear();
    POINT artwork = centreOf(named(*form_, "Image1").bounds);
    ClientToScreen(main(), &artwork);
    clickAt(artwork);
    EXPECT_EQ(shell_.calls, Calls{}) << "a single click on the artwork does nothing";
    clickAt(artwork, 2);
    EXPECT_EQ(shell_.calls, Calls{demo});
}

TEST_F(MainWindow, ExceptionsFromHandlersAreShownAndTheProgramGoesOn) {
    // Once from a window procedure (a mouse click), once from the loop's own key handling.
    shell_.throwing = {{"D:\\GAME\\Morvcrd.txt", "Credits failed"},
                       {"D:\\GAME\\Morva.txt", "Readme failed!"}};
    const std::pair<std::function<void()>, std::string> cases[] = {
        // The first press of a button in a fresh process can take Wine's theme a while.
        {[&] {
             clickAt(screenCentre(button("btnCredits")));
             settle([&] { return shell_.launches > 0; });
         },
         "Credits failed."},
        {[&] { press('R'); }, "Readme failed!"},
    };
    for (const auto& [trigger, expected] : cases) {
        SeenBox box = watchMessageBox(GetCurrentThreadId(), "The Realm of Morva", trigger);
        ASSERT_TRUE(box.found) << "no exception box for " << expected;
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.owner, application_.handle()) << "owned by the application";
        settle();
    }
    press('S');
    EXPECT_EQ(shell_.calls, Calls{singlePlay}) << "still running";
}

TEST_F(MainWindow, ApplicationBoxDisablesTheWindowsAndFocusReturnsToSinglePlay) {
    bool mainEnabledUnderBox = true;
    SeenBox box = watchMessageBox(
        GetCurrentThreadId(), "Success",
        [&] { application_.messageBox("A shortcut was made", "Success", mbIconAsterisk); },
        std::chrono::seconds(20), [&](HWND) { mainEnabledUnderBox = IsWindowEnabled(main()); });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "A shortcut was made");
    EXPECT_EQ(box.owner, application_.handle());
    EXPECT_FALSE(mainEnabledUnderBox);
    settle();
    expectBackOnSinglePlay();
}

// Left by an exception (a form's show can throw at a new density), a modal sequence still
// enables the windows again and activates the one that was active.
TEST_F(MainWindow, AModalSequenceLeftByAnExceptionPutsTheWindowsBack) {
    auto showAndThrow = [&] {
        frmAbout->show();
        SetActiveWindow(frmAbout->handle());
        throw std::runtime_error("Cannot create the font MS Sans Serif");
    };
    EXPECT_THROW(application_.runModal(frmAbout->handle(), showAndThrow), std::runtime_error);
    frmAbout->hide();
    settle();
    expectBackOnSinglePlay();
}

TEST_F(MainWindow, UnderTheUnownedBoxTheButtonsStillWork) {
    bool mainEnabledUnderBox = false;
    SeenBox box = underTheSetupBox([&] {
        mainEnabledUnderBox = IsWindowEnabled(main());
        // Its handler runs nested in the box's own loop.
        clickFromAnotherThread(screenCentre(button("btnSinglePlay")));
        waitUntil([&] { return shell_.launches == 2; });
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Cannot find the file...D:\\GAME\\setup.exe");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(mainEnabledUnderBox);
    EXPECT_EQ(shell_.calls, (Calls{multiPlay, setupMissing, singlePlay}));
}

// The keyboard rows again, inside the unowned box's own loop: they reach the main window
// through its window procedures, never through a loop of ours.
TEST_F(MainWindow, UnderTheUnownedBoxTheKeyboardStillWorks) {
    // Each row ends with the focus where it says and the launches counted so far.
    const struct Row {
        const char* name;
        Keys keys;
        const char* focus;
        int launches;
    } rows[] = {
        {"S", tap('S'), "btnSinglePlay", 2},
        {"Alt+S", tapWith(VK_MENU, 'S'), "btnSinglePlay", 3},
        {"Tab", tap(VK_TAB), "btnMultiPlay", 3},
        {"Shift+Tab", tapWith(VK_SHIFT, VK_TAB), "btnSinglePlay", 3},
        {"Right", tap(VK_RIGHT), "btnMultiPlay", 3},
        {"Left", tap(VK_LEFT), "btnSinglePlay", 3},
        {"Enter", tap(VK_RETURN), "btnSinglePlay", 4},
    };
    std::string activated;
    std::vector<std::string> focus;
    SeenBox box = underTheSetupBox([&] {
        // The main window active again: a click on the artwork, which does nothing.
        POINT artwork = centreOf(named(*form_, "Image1").bounds);
        ClientToScreen(main(), &artwork);
        clickFromAnotherThread(artwork);
        waitUntil([&] { return focused() == "btnSinglePlay"; });
        activated = focused();
        for (const Row& row : rows) {
            sendKeys(row.keys);
            waitUntil([&] { return focused() == row.focus && shell_.launches == row.launches; });
            focus.push_back(focused());
        }
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(activated, "btnSinglePlay") << "a later activation";
    for (size_t i = 0; i < focus.size(); ++i)
        EXPECT_EQ(focus[i], rows[i].focus) << "after " << rows[i].name;
    EXPECT_EQ(shell_.calls, (Calls{multiPlay, setupMissing, singlePlay, singlePlay, singlePlay}));
}

TEST_F(MainWindow, MinimiseHidesItAndRestoreBringsItBackFocused) {
    // The system commands, and ShowWindow on the taskbar's window as another program may call it.
    HWND app = application_.handle();
    using Step = std::function<void()>;
    const std::tuple<const char*, Step, Step> paths[] = {
        {"system commands", [&] { SendMessageA(main(), WM_SYSCOMMAND, SC_MINIMIZE, 0); },
         [&] { SendMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0); }},
        {"ShowWindow", [&] { ShowWindow(app, SW_MINIMIZE); }, [&] { ShowWindow(app, SW_RESTORE); }},
    };
    for (const auto& [name, minimise, restore] : paths) {
        SCOPED_TRACE(name);
        minimise();
        settle();
        EXPECT_FALSE(IsWindowVisible(main()));
        EXPECT_TRUE(IsIconic(application_.handle()));
        restore();
        settle();
        EXPECT_TRUE(IsWindowVisible(main()));
        EXPECT_FALSE(IsIconic(application_.handle()));
        EXPECT_EQ(focused(), "btnSinglePlay") << "a later activation focuses the first button";
    }
}

TEST_F(MainWindow, TheTaskbarPictureIsTheMainWindowWhileMinimised) {
    RECT client;
    GetClientRect(main(), &client);
    // Colours at points across a picture of the window; first on screen, before it is minimised.
    auto sample = [](HDC dc, int i, int width, int height) {
        return GetPixel(dc, width * (i % 16) / 16, height * (i / 16) / 8);
    };
    std::vector<COLORREF> shown;
    for (int i = 0; i < 128; ++i)
        shown.push_back(sample(ScopedGetDC(main()), i, client.right, client.bottom));
    sysCommand(main(), SC_MINIMIZE);
    ASSERT_FALSE(IsWindowVisible(main()));
    for (SIZE ask : {SIZE{client.right, client.bottom}, SIZE{200, 200}, SIZE{120, 40}}) {
        UniqueBitmap picture = application_.taskbarPicture(ask.cx, ask.cy);
        ASSERT_NE(picture, nullptr);
        BITMAP got{};
        GetObject(picture.get(), sizeof got, &got);
        EXPECT_TRUE(got.bmWidth <= ask.cx && got.bmHeight <= ask.cy &&
                    (got.bmWidth + 1 >= ask.cx || got.bmHeight + 1 >= ask.cy))
            << got.bmWidth << " x " << got.bmHeight << " for " << ask.cx << " x " << ask.cy;
        EXPECT_NEAR(got.bmWidth * client.bottom, got.bmHeight * client.right,
                    client.right + client.bottom);
        ScopedMemoryDC dc(nullptr);
        ScopedSelectObject selected(dc, picture.get());
        std::set<COLORREF> colours;
        int same = 0;
        for (int i = 0; i < 128; ++i)
            same += *colours.insert(sample(dc, i, got.bmWidth, got.bmHeight)).first == shown[i];
        EXPECT_GT(colours.size(), 12u) << "blank at " << ask.cx << " x " << ask.cy;
        EXPECT_TRUE(got.bmWidth < client.right || same > 120) << same << " of the window's pixels";
    }

    // Wine's window manager takes no picture: asked anyway, nothing else changes, and no box
    // (an exception's) shows.
    SeenBox box = watchMessageBox(thread_, "", [&] {
        SendMessageA(application_.handle(), RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
        SendMessageA(application_.handle(), WM_DWMSENDICONICTHUMBNAIL, 0, MAKELPARAM(100, 200));
        settle();
    });
    EXPECT_FALSE(box.found) << box.caption << ": " << box.text;
    EXPECT_TRUE(IsIconic(application_.handle()));
    EXPECT_FALSE(IsWindowVisible(main()));
    sysCommand(application_.handle(), SC_RESTORE);
    EXPECT_TRUE(IsWindowVisible(main()));
    EXPECT_EQ(shell_.calls, Calls{}) << "nothing launched";
}

TEST_F(MainWindow, ClosingTheWindowTerminates) {
    PostMessageA(main(), WM_CLOSE, 0, 0);
    settle();
    EXPECT_TRUE(terminated_);
}

TEST_F(MainWindow, TheTaskbarButtonsCloseTerminates) {
    // The taskbar's Close reaches the application's own window.
    PostMessageA(application_.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    settle();
    EXPECT_TRUE(terminated_);
}

TEST_F(MainWindow, ExitTerminates) {
    press('X');
    EXPECT_TRUE(terminated_);
}

TEST_F(MainWindow, TheTaskbarWindowCarriesTheTitleAndOwnsTheMainWindow) {
    EXPECT_EQ(windowText(application_.handle()), "The Realm of Morva");
    EXPECT_EQ(GetWindow(main(), GW_OWNER), application_.handle());
    EXPECT_EQ(windowText(main()).rfind("The Realm of Morva", 0), 0u) << windowText(main());
    EXPECT_NE(windowText(main()), "The Realm of Morva") << "the caption adds a notice";
}

// Start-up show commands, given to a fresh application instead of the normal one.
class StartUp : public MainWindow {
protected:
    void SetUp() override { create(); }
};

TEST_F(StartUp, MaximisedStartsMaximisedWithNothingFocused) {
    start(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(main()));
    EXPECT_EQ(focused(), "(the window itself)");
}

TEST_F(StartUp, MinimisedStartsOnlyTheTaskbarButtonAndActivatesAtTheFirstRestore) {
    start(SW_SHOWMINNOACTIVE);
    EXPECT_FALSE(IsWindowVisible(main()));
    EXPECT_TRUE(IsIconic(application_.handle()));
    sysCommand(application_.handle(), SC_RESTORE);
    EXPECT_TRUE(IsWindowVisible(main()));
    EXPECT_EQ(focused(), "(the window itself)") << "the first activation clears the focus";
    sysCommand(main(), SC_MINIMIZE);
    sysCommand(application_.handle(), SC_RESTORE);
    EXPECT_EQ(focused(), "btnSinglePlay");
}

// The layout at the display's density: run in 96, 120 and 144 pixels-per-inch prefixes, the test
// told which one it is in.
TEST_F(MainWindow, LayoutScalesWithTheMeasuredFontHeight) {
    int dpi = GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY);
    if (const char* expectedDpi = std::getenv("MORVA_EXPECTED_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expectedDpi));
    }
    // Per-monitor aware, as the manifest asks (Wine 8 says so of every window).
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(main())),
              DPI_AWARENESS_PER_MONITOR_AWARE);

    // The face asked for: a prefix without Wine's own fonts gives another, and no Marlett for
    // the caption buttons.
    FontOnScreen asked(dpi, 8, "MS Sans Serif");
    char face[LF_FACESIZE] = "garbage";
    GetTextFaceA(asked.screen, sizeof face, face);
    EXPECT_STREQ(face, "MS Sans Serif");
    LOGFONTA marlett{};
    marlett.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(marlett.lfFaceName, "Marlett");
    int marlettFaces = 0;
    EnumFontFamiliesExA(
        asked.screen, &marlett,
        [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM count) {
            ++*reinterpret_cast<int*>(count);
            return 1;
        },
        reinterpret_cast<LPARAM>(&marlettFaces), 0);
    EXPECT_GT(marlettFaces, 0) << "no Marlett";
    // The layout grows with the density: "0" at least 90 % of its design height scaled.
    if (dpi == 96) {
        EXPECT_EQ(textSizeAt(dpi, "0").cy, 13);
    }
    EXPECT_GE(form_->scale().measuredTextHeight * 96 * 10, 13 * dpi * 9) << "at " << dpi;
    expectLaidOutAt(*form_, dpi);
}

// Moved to a monitor of another density, or its scale changed: the system asks the size for the
// new density, suggests a rectangle of that size, and the window is laid out again from the
// design, so that coming back to 96 gives exactly the first layout.
TEST_F(MainWindow, DensityChangesLayItOutAgainByTheSameRule) {
    for (UINT dpi : {144u, 120u, 96u}) {
        SIZE asked{-1, -1};
        EXPECT_TRUE(
            SendMessageA(main(), WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked)));
        RECT suggested{40, 30, 40 + asked.cx, 30 + asked.cy};
        int invalidated = iconicBitmapsInvalidated[application_.handle()];
        SendMessageA(main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        expectLaidOutAt(*form_, static_cast<int>(dpi));
        // The caption's and the taskbar's icons of the new density, and the taskbar told that
        // its picture of the window is stale.
        EXPECT_EQ(iconWidth(main(), ICON_SMALL), GetSystemMetricsForDpi(SM_CXSMICON, dpi)) << dpi;
        EXPECT_EQ(iconWidth(main(), ICON_BIG), GetSystemMetricsForDpi(SM_CXICON, dpi)) << dpi;
        EXPECT_EQ(iconicBitmapsInvalidated[application_.handle()], invalidated + 1) << dpi;
        // At the rectangle suggested, whose size frames the new client area at the new density.
        RECT placed{-1, -1, -1, -1}, frame{-1, -1, -1, -1};
        GetWindowRect(main(), &placed);
        GetClientRect(main(), &frame);
        AdjustWindowRectExForDpi(&frame, GetWindowLongA(main(), GWL_STYLE), TRUE,
                                 GetWindowLongA(main(), GWL_EXSTYLE), dpi);
        EXPECT_EQ(placed.left, 40) << dpi;
        EXPECT_EQ(placed.top, 30) << dpi;
        EXPECT_EQ(asked.cx, frame.right - frame.left) << dpi;
        EXPECT_EQ(asked.cy, frame.bottom - frame.top) << dpi;
    }
}

// The About dialog, opened from the main window. While it is up this thread is inside its
// modal loop, so a second thread plays the user.
class AboutDialog : public MainWindow {
protected:
    HWND about() const { return frmAbout->handle(); }

    // Runs `open` here (it returns once the dialog has closed) while `user` acts on another
    // thread; closes the dialog afterwards if the user left it open, so a failure cannot hang.
    void whileOpen(const std::function<void()>& open, const std::function<void()>& user) {
        std::thread player([&] {
            if (waitUntil([&] { return IsWindowVisible(about()) != FALSE; }))
                user();
            if (!waitUntil([&] { return !IsWindowVisible(about()); }))
                PostMessageA(about(), WM_CLOSE, 0, 0);
        });
        open();
        player.join();
        settle();
    }
    // Opened as a player opens it, and closed with Enter once `user` is done.
    void openWithAltA(const std::function<void()>& user) {
        whileOpen([&] { pressWith(VK_MENU, 'A'); },
                  [&] {
                      user();
                      key(VK_RETURN);
                  });
    }

    // From the player's thread.
    static void key(WORD key) { sendKeys(tap(key)); }
    POINT onScreen(POINT client) const {
        ClientToScreen(about(), &client);
        return client;
    }
    // Positive evidence that the dialog has handled the input sent before, where that input
    // must change nothing: a Tab after it, which moves no focus there (one control takes it)
    // but shows the keyboard cues, hidden just before; then any painting it caused, done and on
    // the screen (drawing reaches it through the dialog thread's own X connection): the link's
    // pixels the same twice running.
    void waitUntilHandled() const {
        SendMessageA(about(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        key(VK_TAB);
        waitUntil([&] { return !(SendMessageA(about(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS); });
        UpdateWindow(about());
        int red = -1;
        waitUntil(redSettles(red, [](int) { return true; }));
    }
    // The pointer to a client point; then the wait for what its arrival changes, or, where it
    // must change nothing, until the dialog has handled it.
    void movePointerTo(POINT client, const std::function<bool()>& changed = {}) const {
        POINT screen = onScreen(client);
        movePointer(screen);
        if (!changed) {
            waitUntilHandled();
            return;
        }
        // On a desktop an earlier test process used, Wine at times sends no mouse message for
        // the move, though the cursor is there: it goes again, a pixel aside and back.
        int nudges = 0;
        waitUntil(changed, std::chrono::seconds(5), [&] {
            sendButtons({screen.x + (++nudges % 2), screen.y}, {0});
            pumpMessages(std::chrono::milliseconds(50));
        });
    }
    const RECT& bounds(const char* name) const { return named(*frmAbout, name).bounds; }

    int countPixels(const RECT& client, const std::function<bool(COLORREF)>& match) const {
        ScopedGetDC screen(nullptr);
        int count = 0;
        for (int y = client.top; y < client.bottom; ++y)
            for (int x = client.left; x < client.right; ++x)
                if (match(GetPixel(screen, onScreen({x, y}).x, onScreen({x, y}).y)))
                    ++count;
        return count;
    }
    int redPixelsOfTheLink() const {
        return countPixels(bounds("lblLink2URL"), [](COLORREF c) {
            return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
        });
    }
    // Whether the link's red pixels, counted into `count`, are as wanted, once its painting has
    // settled: the same count twice running.
    std::function<bool()> redSettles(int& count, std::function<bool(int)> wanted) const {
        return [this, &count, wanted, last = -1]() mutable {
            count = redPixelsOfTheLink();
            bool settled = count == last && wanted(count);
            last = count;
            return settled;
        };
    }
};

TEST_F(AboutDialog, OpensModallyFromTheMenuAndOnlyEnterClosesIt) {
    RECT item{};
    GetMenuItemRect(main(), GetMenu(main()), 0, &item);
    for (const auto& open : {std::function<void()>([&] { pressWith(VK_MENU, 'A'); }),
                             std::function<void()>([&] { clickAt(centreOf(item)); })}) {
        bool mainEnabled = true, openAfterEscape = false, closedAfterEnter = false;
        whileOpen(open, [&] {
            mainEnabled = IsWindowEnabled(main());
            key(VK_ESCAPE);
            waitUntilHandled();
            openAfterEscape = IsWindowVisible(about());
            key(VK_RETURN);
            closedAfterEnter = waitUntil([&] { return !IsWindowVisible(about()); });
        });
        EXPECT_FALSE(mainEnabled) << "the main window is disabled while the dialog shows";
        EXPECT_TRUE(openAfterEscape) << "Escape does not close it";
        EXPECT_TRUE(closedAfterEnter) << "Enter closes it, or it never opened";
        expectBackOnSinglePlay();
        shell_.calls.clear();
    }
}

// Shown modally again from inside its own modal loop (a timer's callback there), it is refused
// at once and stays in the one loop, which its button then ends with the result Cancel.
TEST_F(AboutDialog, ClosedByItsButtonTheResultIsCancelAndASecondShowingIsRefused) {
    static ModalResult result = ModalResult::none, inner = ModalResult::cancel;
    static std::atomic<bool> openAfterInner = false;
    whileOpen(
        [&] {
            SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
                KillTimer(nullptr, timer);
                inner = frmAbout->showModal();
                openAfterInner = IsWindowVisible(frmAbout->handle());
            });
            result = frmAbout->showModal();
        },
        [&] {
            waitUntil([&] { return openAfterInner.load(); }, std::chrono::seconds(2));
            key(VK_RETURN);
        });
    EXPECT_EQ(inner, ModalResult::none) << "shown again inside its own loop";
    EXPECT_TRUE(openAfterInner);
    EXPECT_EQ(result, ModalResult::cancel);
}

TEST_F(AboutDialog, LinkIsRedFromHoverUntilThePointerCrossesBareBackground) {
    const POINT bare{60, 42}; // between the copyright notice and the launcher's name
    int before = -1, hovered = -1, overPicture = -1, overLabel = -1, overButton = -1;
    HCURSOR overLink = nullptr, overBare = nullptr;
    auto cursor = [] { // set as a move comes in, before the move itself is handled
        CURSORINFO info{};
        info.cbSize = sizeof info;
        return GetCursorInfo(&info) ? info.hCursor : nullptr;
    };
    openWithAltA([&] {
        movePointerTo(bare);
        before = redPixelsOfTheLink();
        movePointerTo(centreOf(bounds("lblLink2URL")),
                      redSettles(hovered, [](int red) { return red > 10; }));
        overLink = cursor();
        movePointerTo(centreOf(bounds("Image1")));
        overPicture = redPixelsOfTheLink();
        movePointerTo(centreOf(bounds("Label1")));
        overLabel = redPixelsOfTheLink();
        movePointerTo(centreOf(bounds("BitBtn1")));
        overButton = redPixelsOfTheLink();
    });
    EXPECT_EQ(before, 0);
    EXPECT_GT(hovered, 10) << "red under the pointer";
    EXPECT_EQ(overLink, LoadCursor(nullptr, IDC_HAND)) << "the hand pointer over the link";
    EXPECT_EQ(overPicture, hovered);
    EXPECT_EQ(overLabel, hovered);
    EXPECT_EQ(overButton, hovered);

    // Reopened: still red, until the pointer crosses the background.
    int reopened = -1, afterBackground = -1;
    openWithAltA([&] {
        movePointerTo(centreOf(bounds("Label3")));
        reopened = redPixelsOfTheLink();
        movePointerTo(centreOf(bounds("lblLink2URL")));
        movePointerTo(bare, redSettles(afterBackground, [](int red) { return red == 0; }));
        overBare = cursor();
    });
    EXPECT_EQ(reopened, hovered);
    EXPECT_EQ(afterBackground, 0);
    EXPECT_EQ(overBare, LoadCursor(nullptr, IDC_ARROW)) << "the arrow away from the link";
}

// A press on the link released off the dialog clicks nothing; nor does a release over the link
// that no press began.
TEST_F(AboutDialog, APressOnTheLinkReleasedElsewhereClicksNothing) {
    openWithAltA([&] {
        POINT link = onScreen(centreOf(bounds("lblLink2URL"))), away = onScreen({-30, -30});
        movePointer(link);
        sendButtons(link, {MOUSEEVENTF_LEFTDOWN});
        movePointer(away);
        sendButtons(away, {MOUSEEVENTF_LEFTUP});
        movePointer(link);
        sendButtons(link, {MOUSEEVENTF_LEFTUP});
        waitUntilHandled();
    });
    EXPECT_EQ(shell_.calls, Calls{});
}

// A click, and a double-click, which is a click and a double-click event: one page each.
TEST_F(AboutDialog, LinkClickOpensTheWebPageAndTheDialogStays) {
    for (int clicks : {1, 2}) {
        shell_.calls.clear();
        shell_.launches = 0;
        bool stillOpen = false;
        openWithAltA([&] {
            clickFromAnotherThread(onScreen(centreOf(bounds("lblLink2URL"))), clicks);
            waitUntil([&] { return shell_.launches > 0; });
            stillOpen = IsWindowVisible(about());
        });
        EXPECT_EQ(shell_.calls, Calls{shellExecuteCall("https://quillet.example.org/", "")})
            << clicks << " click(s)";
        EXPECT_TRUE(stillOpen);
    }
}

TEST_F(AboutDialog, ReopensWhereItWasDragged) {
    RECT first{}, dragged{}, reopened{};
    openWithAltA([&] {
        GetWindowRect(about(), &first);
        // Drag by the caption, with real button and movement input; the box follows each step.
        POINT caption{(first.left + first.right) / 2, first.top + 8};
        auto moving = [&] {
            std::optional<GUITHREADINFO> info = guiThreadInfo(thread_);
            return info && (info->flags & GUI_INMOVESIZE);
        };
        movePointer(caption);
        sendButtons(caption, {MOUSEEVENTF_LEFTDOWN});
        waitUntil(moving);
        RECT now{};
        for (int step = 1; step <= 4; ++step) {
            sendButtons({caption.x - 10 * step, caption.y - 8 * step}, {0});
            waitUntil(
                [&] { return GetWindowRect(about(), &now) && now.left == first.left - 10 * step; });
        }
        sendButtons({caption.x - 40, caption.y - 32}, {MOUSEEVENTF_LEFTUP});
        // The move ends with the button's release, before Enter may close the box.
        waitUntil([&] { return !moving(); });
        GetWindowRect(about(), &dragged);
    });
    openWithAltA([&] { GetWindowRect(about(), &reopened); });
    EXPECT_NE(dragged.left, first.left) << "the drag moved it";
    EXPECT_EQ(reopened.left, dragged.left);
    EXPECT_EQ(reopened.top, dragged.top);
}

TEST_F(AboutDialog, AltSThenAltAOpensIt) {
    pressWith(VK_MENU, 'S');
    bool opened = false;
    openWithAltA([&] { opened = true; });
    EXPECT_TRUE(opened) << "no armed menu bar swallowed Alt+A";
    EXPECT_EQ(shell_.calls, Calls{singlePlay});
}

TEST_F(AboutDialog, LabelsAreTheSizeOfTheirCaptionsTrailingSpacesIncluded) {
    expectLaidOutAt(*frmAbout, GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY));
}

// Open during a change of density, it follows; hidden, it misses its monitor's changes and is
// laid out for that monitor when shown, where it was.
TEST_F(AboutDialog, FollowsADensityChangeWhileOpenAndItsMonitorWhenReopened) {
    RECT suggested{}, reopened{};
    openWithAltA([&] {
        GetWindowRect(about(), &suggested);
        SIZE asked{-1, -1};
        SendMessageA(about(), WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&asked));
        suggested.right = suggested.left + asked.cx;
        suggested.bottom = suggested.top + asked.cy;
        SendMessageA(about(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
    });
    expectLaidOutAt(*frmAbout, 144);
    int dpi = GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY);
    openWithAltA([&] { GetWindowRect(about(), &reopened); });
    expectLaidOutAt(*frmAbout, dpi);
    EXPECT_EQ(reopened.left, suggested.left);
    EXPECT_EQ(reopened.top, suggested.top);
}

// In the system's colours under a made-up set and the Windows 11 contrast themes' published ones;
// the hovered link red, but in the link colour while a contrast theme is on (which Wine cannot
// turn on: the layer's query answers for it).
TEST_F(AboutDialog, FollowsSystemColourChangesButTheRedLinkStaysRed) {
    REQUIRE_DISPOSABLE_MACHINE(); // on Windows, SetSysColors changes every program's colours
    frmAbout->show();
    frmAbout->lblLink2URLMouseMove();
    settle();
    int red = redPixelsOfTheLink();
    const int elements[] = {COLOR_BTNFACE, COLOR_WINDOWTEXT, COLOR_BTNTEXT, COLOR_HOTLIGHT};
    // Put back even when a check fails: the other pixel tests share the prefix.
    std::array<COLORREF, 4> previous{};
    std::ranges::transform(elements, previous.begin(), GetSysColor);
    bool (*original)() = contrastThemeOn;
    ScopeExit restore([&] {
        SetSysColors(4, elements, previous.data());
        contrastThemeOn = original;
    });
    // The system tells top-level windows; each push button hears it from its own.
    static int told = 0;
    SUBCLASSPROC count = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
        told += message == WM_SYSCOLORCHANGE;
        return DefSubclassProc(window, message, wParam, lParam);
    };
    for (const auto& control : form_->controls())
        if (control->window())
            SetWindowSubclass(control->window(), count, 1000, 0);
    const std::pair<const char*, std::array<COLORREF, 4>> themes[] = {
        {"made up", {RGB(40, 160, 90), RGB(20, 40, 200), RGB(90, 0, 90), RGB(0, 90, 90)}},
        {"Aquatic", {0x202020, 0xFFFFFF, 0xFFFFFF, RGB(0x75, 0xE9, 0xFC)}},
        {"Desert", {RGB(0xFF, 0xFA, 0xEF), 0x3D3D3D, 0x202020, RGB(0x1C, 0x5E, 0x75)}},
        {"Dusk", {RGB(0x2D, 0x32, 0x36), 0xFFFFFF, RGB(0xB6, 0xF6, 0xF0), RGB(0x70, 0xEB, 0xDE)}},
        {"Night sky", {0x000000, 0xFFFFFF, RGB(0xFF, 0xEE, 0x32), RGB(0x80, 0x80, 0xFF)}},
    };
    auto is = [](COLORREF colour) { return [colour](COLORREF c) { return c == colour; }; };
    for (const auto& [theme, colours] : themes) {
        SCOPED_TRACE(theme);
        told = 0;
        ASSERT_TRUE(SetSysColors(4, elements, colours.data()));
        settle();
        EXPECT_EQ(told, 7) << "push buttons told of the change";
        EXPECT_GT(countPixels({60, 40, 64, 44}, is(colours[0])), 15) << "the background";
        EXPECT_GT(countPixels(bounds("Label1"), is(colours[1])), 20) << "a label's text";
        RECT inside = bounds("BitBtn1"); // within its frame and edges: the caption
        InflateRect(&inside, -4, -4);
        EXPECT_GT(countPixels(inside, is(colours[2])), 20) << "the OK button's caption";
        EXPECT_EQ(redPixelsOfTheLink(), red);
        for (bool on : {true, false}) {
            contrastThemeOn = on ? +[] { return true; } : original;
            SendMessageA(about(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
            settle();
            EXPECT_EQ(countPixels(bounds("lblLink2URL"), is(colours[3])) > 10, on) << on;
            EXPECT_EQ(redPixelsOfTheLink(), on ? 0 : red) << "contrast theme on: " << on;
        }
    }
    EXPECT_GT(red, 10);
}

// Its check at the density's size (run at every density), a grey one when disabled; its focus
// rectangle, drawn into a bitmap, unless the keyboard cues hide it (which Wine never does).
TEST_F(AboutDialog, OkButtonShowsTheGreenCheckAndAGreyOneWhenDisabled) {
    frmAbout->show();
    settle();
    auto green = [&] {
        return countPixels(bounds("BitBtn1"), [](COLORREF c) {
            return GetGValue(c) > 90 && GetRValue(c) < 80 && GetBValue(c) < 80;
        });
    };
    int glyph = frmAbout->scale()(18);
    EXPECT_GT(green(), glyph * glyph / 6) << "a check of " << glyph << " pixels";
    const Control& ok = frmAbout->control<"BitBtn1">();
    auto darkWhenDrawn = [&](UINT state) {
        ScopedGetDC screen(nullptr);
        ScopedMemoryDC dc(screen);
        RECT size{0, 0, ok.bounds.right - ok.bounds.left, ok.bounds.bottom - ok.bounds.top};
        DRAWITEMSTRUCT item{ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, ok.window(), dc, size, 0};
        UniqueBitmap bitmap(CreateCompatibleBitmap(screen, item.rcItem.right, item.rcItem.bottom));
        ScopedSelectObject selected(dc, bitmap.get());
        ok.drawItem(item, frmAbout->scale(), false);
        int dark = 0;
        for (int y = 0; y < item.rcItem.bottom; ++y)
            for (int x = 0; x < item.rcItem.right; ++x)
                dark += GetRValue(GetPixel(dc, x, y)) < 100;
        return dark;
    };
    int plain = darkWhenDrawn(0);
    EXPECT_GT(darkWhenDrawn(ODS_FOCUS), plain + glyph) << "no focus rectangle";
    EXPECT_EQ(darkWhenDrawn(ODS_FOCUS | ODS_NOFOCUSRECT), plain) << "hidden by the cues";
    EnableWindow(ok.window(), FALSE);
    settle();
    EXPECT_EQ(green(), 0);
}

// Both windows as a reader gets them: the buttons in tab order, as their own objects, then the
// windowless controls top to bottom; where they are in physical pixels, and what a hit test at
// a windowless one's centre finds. The About box is hidden: all of it reads as invisible.
TEST_F(AboutDialog, ScreenReadersGetEveryControlInReadingOrder) {
    struct Row {
        const char* control;
        long role = 0; // 0: a button, its own object
        const char* name = "";
        const char* action = "(none)";
    };
    const Row mainRows[] = {{"btnSinglePlay"}, {"btnMultiPlay"}, {"btnDesktopIcon"}, {"btnExit"},
                            {"btnReadme"},     {"btnCredits"},   {"btnIntview"},
                            {"Image1", ROLE_SYSTEM_GRAPHIC, "The Realm of Morva", "Double Click"}};
    const Row aboutRows[] = {
        {"BitBtn1"},
        {"Label2", ROLE_SYSTEM_STATICTEXT, "The Realm of Morva"},
        {"Label5", ROLE_SYSTEM_STATICTEXT, "(c) 2026 Morva Studio"},
        {"Image1", ROLE_SYSTEM_GRAPHIC, "The Realm of Morva"},
        {"Label1", ROLE_SYSTEM_STATICTEXT, "Windows Launcher"},
        {"Label3", ROLE_SYSTEM_STATICTEXT, "(c) 2026 Quillet"},
        {"lblLink2URL", ROLE_SYSTEM_LINK, "Quillet on the Internet", "Jump"}};
    for (auto [form, rows, visible] :
         {std::tuple{static_cast<Form*>(form_), std::span<const Row>(mainRows), true},
          std::tuple{static_cast<Form*>(frmAbout), std::span<const Row>(aboutRows), false}}) {
        AccessibleObject root = clientObject(form->handle());
        ASSERT_NE(root, nullptr);
        std::vector<Read> tree = readTree(root.get());
        ASSERT_EQ(tree.size(), rows.size()) << windowText(form->handle());
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].control);
            const Control& control = named(*form, rows[i].control);
            if (!rows[i].role) {
                EXPECT_EQ(tree[i].window, control.window());
                continue;
            }
            EXPECT_EQ(tree[i].role, rows[i].role);
            EXPECT_EQ(tree[i].name, rows[i].name);
            EXPECT_EQ(tree[i].action, rows[i].action);
            EXPECT_EQ((tree[i].state & STATE_SYSTEM_INVISIBLE) == 0, visible) << tree[i].state;
            EXPECT_EQ((tree[i].state & STATE_SYSTEM_LINKED) != 0, rows[i].role == ROLE_SYSTEM_LINK);
            RECT expected = control.bounds;
            MapWindowPoints(form->handle(), nullptr, reinterpret_cast<POINT*>(&expected), 2);
            auto corners = [](const RECT& r) { return std::tuple(r.left, r.top, r.right, r.bottom); };
            EXPECT_EQ(corners(tree[i].location), corners(expected));
            VARIANT hit{};
            root->accHitTest(centreOf(expected).x, centreOf(expected).y, &hit);
            EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, static_cast<long>(i + 1)) << "hit test";
        }
    }
    // Up and down among the About box's windowless controls: the nearest in line that way.
    AccessibleObject root = clientObject(about());
    const std::tuple<long, long, long> moves[] = {
        {5, NAVDIR_UP, 3}, {3, NAVDIR_DOWN, 5}, {6, NAVDIR_DOWN, 7}, {7, NAVDIR_UP, 6}};
    for (auto [from, direction, to] : moves) {
        VARIANT end{};
        EXPECT_EQ(root->accNavigate(direction, childId(from), &end), S_OK);
        EXPECT_EQ(end.vt == VT_I4 ? end.lVal : -1, to) << from << " way " << direction;
    }
}

// The link's action opens the page once and leaves the dialog open and the link's colour as the
// mouse left it; the artwork's starts the alternative demo once, not while its window is
// disabled; a label has none.
TEST_F(AboutDialog, DefaultActionsRunTheLinkAndTheArtworkOnce) {
    frmAbout->show();
    frmAbout->lblLink2URLMouseMove();
    settle();
    AccessibleObject root = clientObject(about());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->accDoDefaultAction(childId(7)), S_OK);
    EXPECT_EQ(root->accDoDefaultAction(childId(2)), DISP_E_MEMBERNOTFOUND);
    settle();
    EXPECT_EQ(shell_.calls, Calls{shellExecuteCall("https://quillet.example.org/", "")});
    EXPECT_TRUE(IsWindowVisible(about()));
    EXPECT_EQ(frmAbout->control<"lblLink2URL">().fontColour(), Colour::red);
    frmAbout->hide();
    shell_.calls.clear();
    EnableWindow(main(), FALSE); // as under the About box: refused
    EXPECT_EQ(clientObject(main())->accDoDefaultAction(childId(8)), E_ACCESSDENIED);
    EnableWindow(main(), TRUE);
    // Checked when it runs: disabled after it was posted, refused too.
    EXPECT_EQ(clientObject(main())->accDoDefaultAction(childId(8)), S_OK);
    EnableWindow(main(), FALSE);
    settle();
    EnableWindow(main(), TRUE);
    EXPECT_EQ(shell_.calls, Calls{}) << "run though disabled since it was posted";
    EXPECT_EQ(clientObject(main())->accDoDefaultAction(childId(8)), S_OK);
    settle();
    EXPECT_EQ(shell_.calls, Calls{demo});
}

// A reader may hold the object after the window has gone: it then answers an error.
TEST_F(MainWindow, AnAccessibleObjectHeldPastItsWindowAnswersAnError) {
    AccessibleObject held;
    long count = -1;
    {
        TfrmAbout another;
        held = clientObject(another.handle());
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(held->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, 7);
    }
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(held->get_accChildCount(&count)));
    EXPECT_TRUE(FAILED(held->get_accName(childId(2), &name)));
}

// A reader in this process holds the object itself: an out-pointer it passes null is refused
// (E_POINTER), for the client area, a button and a windowless control alike, and so is an id
// that names no child (E_INVALIDARG); nothing is written through either.
TEST_F(MainWindow, TheAccessibleObjectRefusesNullPointersAndBadIds) {
    AccessibleObject root = clientObject(main());
    ASSERT_NE(root, nullptr);
    // Each call with its out-pointers null (no Outs) or real.
    struct Outs {
        BSTR text = nullptr;
        VARIANT variant{};
        IDispatch* dispatch = nullptr;
        long number = 0;
    } outs;
    using A = IAccessible*;
    using O = Outs*;
    auto text = [](O o) { return o ? &o->text : nullptr; };
    auto variant = [](O o) { return o ? &o->variant : nullptr; };
    auto number = [](O o) { return o ? &o->number : nullptr; };
    const std::function<HRESULT(A, VARIANT, O)> byId[] = {
        [](A a, VARIANT id, O o) { return a->get_accChild(id, o ? &o->dispatch : nullptr); },
        [&](A a, VARIANT id, O o) { return a->get_accName(id, text(o)); },
        [&](A a, VARIANT id, O o) { return a->get_accValue(id, text(o)); },
        [&](A a, VARIANT id, O o) { return a->get_accRole(id, variant(o)); },
        [&](A a, VARIANT id, O o) { return a->get_accState(id, variant(o)); },
        [&](A a, VARIANT id, O o) { return a->get_accDefaultAction(id, text(o)); },
        [&](A a, VARIANT id, O o) { return a->get_accHelpTopic(text(o), id, number(o)); },
        [&](A a, VARIANT id, O o) {
            return a->accLocation(number(o), number(o), number(o), number(o), id);
        },
        [&](A a, VARIANT id, O o) { return a->accNavigate(NAVDIR_NEXT, id, variant(o)); },
    };
    VARIANT empty{}, bstr{};
    bstr.vt = VT_BSTR;
    for (size_t row = 0; row < std::size(byId); ++row) {
        for (long child : {long{CHILDID_SELF}, 1L, 8L})
            EXPECT_EQ(byId[row](root.get(), childId(child), nullptr), E_POINTER) << row << child;
        for (VARIANT bad : {empty, bstr, childId(9), childId(-1)})
            EXPECT_EQ(byId[row](root.get(), bad, &outs), E_INVALIDARG) << row << " vt " << bad.vt;
    }
    IAccessible* a = root.get();
    for (HRESULT refused :
         {a->QueryInterface(__uuidof(IAccessible), nullptr), a->GetTypeInfoCount(nullptr),
          a->GetTypeInfo(0, 0, nullptr), a->get_accParent(nullptr), a->get_accChildCount(nullptr),
          a->get_accFocus(nullptr), a->get_accSelection(nullptr), a->accHitTest(0, 0, nullptr)})
        EXPECT_EQ(refused, E_POINTER);
}

// With no application, or none any more, a guarded call still shows what it caught, unowned.
TEST(Guarded, WithNoApplicationTheExceptionIsStillShown) {
    SeenBox box = watchMessageBox(GetCurrentThreadId(), "",
                                  [] { guarded([] { throw std::runtime_error("Gone"); }); });
    EXPECT_TRUE(box.found);
    EXPECT_EQ(box.text, "Gone");
    EXPECT_EQ(box.owner, nullptr);
}

} // namespace
