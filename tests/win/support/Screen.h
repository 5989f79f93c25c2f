// What a window shows: its text, its pixels on the screen or in a bitmap, and
// the message boxes a program puts up.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CWnd;

namespace testsupport {

std::string Utf8(const std::wstring& w);
std::wstring Wide(const std::string& utf8);
// A window's text as UTF-8 (read as UTF-16, so it does not depend on the code page).
std::string WindowTextUtf8(HWND hWnd);

// Reads the pixels of a window as shown on the screen, 32-bit BGRA rows top-down.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // 0x00RRGGBB
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool SaveBmp(const std::string& path) const;
};
Capture CaptureScreenRect(const RECT& rc);
Capture CaptureBitmap(HBITMAP hBitmap);
// What draw puts into a fresh cx x cy bitmap compatible with the screen.
Capture RenderToBitmap(int cx, int cy, const std::function<void(HDC)>& draw);

// Pumps this thread's messages until hWnd and every window below it have
// nothing left to paint (no update region), or ms pass. Works for a window of
// another process too, whose own thread does the painting.
bool WaitPainted(HWND hWnd, DWORD ms = 5000);

// Mean absolute difference per channel between two colours.
int ColourDistance(DWORD a, DWORD b);
// A COLORREF (0x00BBGGRR) as Capture reports pixels (0x00RRGGBB).
DWORD Pixel(COLORREF cr);

// A hidden top-most popup bound to host, with one child control at (10, 10)
// bound to control, as a dialog's template would have made it.
bool HostControl(CWnd& host, CWnd& control, const char* pszClass, const char* pszText, DWORD dwStyle, int cx, int cy,
                 int nID);

// Folder for test artifacts (screenshots); from TALLOW_ARTIFACTS or the temp folder.
std::string ArtifactPath(const std::string& name);

// Finds, records and answers message boxes of this process. A message box is
// a "#32770" window with a static text (id 0xFFFF). Each one seen is recorded
// once, then answered by posting WM_COMMAND with `answer` (0: left for the
// test to answer through Box::box).
class MsgBoxWatcher {
public:
    enum Icon { ICON_NONE, ICON_STOP, ICON_INFORMATION, ICON_WARNING, ICON_QUESTION, ICON_OTHER };
    struct Box {
        HWND owner;
        std::string caption; // UTF-8
        std::string text;    // UTF-8
        Icon icon;
        HWND box;
    };

    explicit MsgBoxWatcher(int answer = IDOK, DWORD processId = ::GetCurrentProcessId());
    ~MsgBoxWatcher();
    MsgBoxWatcher(const MsgBoxWatcher&) = delete;
    MsgBoxWatcher& operator=(const MsgBoxWatcher&) = delete;

    std::vector<Box> Boxes() const;
    // Forgets the boxes seen so far.
    void Clear();
    // Waits (pumping this thread's messages) until `count` boxes were seen.
    bool WaitForBoxes(size_t count, DWORD ms);

private:
    void Poll();
    int m_answer;
    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
    std::vector<HWND> m_answered;
    std::thread m_thread;
};

} // namespace testsupport
