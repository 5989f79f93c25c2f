// Helpers for the tests that observe real windows under Wine.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

std::string Utf8(const std::wstring& w);
std::wstring Wide(const std::string& utf8);
// A window's text as UTF-8 (read as UTF-16, so it does not depend on the code page).
std::string WindowTextUtf8(HWND hWnd);

// Polls pred() (without pumping messages) until it holds or ms pass.
bool WaitUntil(const std::function<bool()>& pred, DWORD ms);

// The last top-level window of process pid for which match() holds, or null.
HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match);
// The setup assistant's main window (by its taskbar title) and install dialog (by its size).
HWND FindMainWindow(DWORD pid);
HWND FindInstallDialog(DWORD pid);
// The path of a program in the same folder as this one.
std::string ProgramBesideThis(const char* pszName);

// Runs the calling thread's message loop for about ms milliseconds.
void PumpFor(DWORD ms);
// Pumps messages until pred() holds or ms pass; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD ms);

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

// Mean absolute difference per channel between two colours.
int ColourDistance(DWORD a, DWORD b);

// The vendor stand-in (started by run-wine.sh --standin on the build's ports):
// a GET of pathAndQuery on its web port, returning the body ("" when it does
// not answer). "/_control/set?k=v", "/_control/reset", "/_control/requests".
std::string StandinGet(const std::string& pathAndQuery);
// The stand-in's download folder as a Windows path (STANDIN_ROOT), or "".
std::string StandinRoot();

// A file of the build's throwaway certificate authority (TEST_PKI_W, set by
// run-wine.sh from the build's TEST_PKI_DIR) as a Windows path, or "".
std::string TestPkiFile(const std::string& name);

// Folder for test artifacts (screenshots); from TALLOW_ARTIFACTS or the temp folder.
std::string ArtifactPath(const std::string& name);

} // namespace testsupport
