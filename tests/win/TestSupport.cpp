#include "TestSupport.h"

#include "BuildConfig.h"

#include <winsock2.h>

#include <cstdio>
#include <cstdlib>

namespace testsupport {

std::string Utf8(const std::wstring& w)
{
    if (w.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

std::string WindowTextUtf8(HWND hWnd)
{
    // Reads the stored text without sending WM_GETTEXT, so it cannot wait on
    // a thread that is not pumping messages.
    wchar_t buf[4096] = {};
    ::InternalGetWindowText(hWnd, buf, 4096);
    return Utf8(buf);
}

bool WaitUntil(const std::function<bool()>& pred, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::Sleep(20);
    }
    return true;
}

HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match)
{
    struct Ctx {
        DWORD pid;
        const std::function<bool(HWND)>* match;
        HWND found;
    } ctx{pid, &match, nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid && (*c->match)(h))
                c->found = h;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND FindMainWindow(DWORD pid)
{
    return FindProcessWindow(pid, [](HWND h) { return WindowTextUtf8(h) == u8"탈로 설치 도우미"; });
}

HWND FindInstallDialog(DWORD pid)
{
    return FindProcessWindow(pid, [](HWND h) {
        RECT rc;
        ::GetWindowRect(h, &rc);
        return rc.right - rc.left == 520 && rc.bottom - rc.top == 314;
    });
}

std::string ProgramBesideThis(const char* pszName)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path);
    return self.substr(0, self.find_last_of("\\/") + 1) + pszName;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& pred, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (pred())
            return true;
        if (::GetTickCount() - start >= ms)
            return pred();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

MsgBoxWatcher::MsgBoxWatcher(int answer, DWORD processId)
    : m_answer(answer), m_processId(processId), m_thread([this] {
          while (!m_stop) {
              Poll();
              ::Sleep(20);
          }
      })
{
}

MsgBoxWatcher::~MsgBoxWatcher()
{
    m_stop = true;
    m_thread.join();
}

static Capture CaptureFrom(HDC hdcSource, int x, int y, int width, int height);

// Which standard icon a message box shows. Within this process the icon
// handle tells; a box of another process has handles of its own, so its icon
// is told by its pixels against each standard icon drawn here.
static MsgBoxWatcher::Icon IconOf(HWND hBox)
{
    HWND hIcon = ::GetDlgItem(hBox, 0x440);
    if (!hIcon)
        hIcon = ::GetDlgItem(hBox, 0x14);
    if (!hIcon)
        return MsgBoxWatcher::ICON_NONE;
    const HICON h = reinterpret_cast<HICON>(::SendMessageW(hIcon, STM_GETICON, 0, 0));
    if (!h)
        return MsgBoxWatcher::ICON_NONE;
    static const struct {
        int id;
        MsgBoxWatcher::Icon icon;
    } kStandard[] = {{32513, MsgBoxWatcher::ICON_STOP},
                     {32516, MsgBoxWatcher::ICON_INFORMATION},
                     {32515, MsgBoxWatcher::ICON_WARNING},
                     {32514, MsgBoxWatcher::ICON_QUESTION}};
    for (const auto& s : kStandard)
        if (h == ::LoadIconW(nullptr, MAKEINTRESOURCEW(s.id)))
            return s.icon;

    ::Sleep(100); // painted
    RECT rc;
    ::GetWindowRect(hIcon, &rc);
    const Capture shown = CaptureScreenRect(rc);
    if (shown.width <= 0 || shown.height <= 0)
        return MsgBoxWatcher::ICON_OTHER;
    const DWORD bg = shown.At(0, 0);
    MsgBoxWatcher::Icon best = MsgBoxWatcher::ICON_OTHER;
    long bestDistance = 0;
    for (const auto& s : kStandard) {
        HDC hdcScreen = ::GetDC(nullptr);
        HDC mem = ::CreateCompatibleDC(hdcScreen);
        HBITMAP bmp = ::CreateCompatibleBitmap(hdcScreen, shown.width, shown.height);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        HBRUSH brush = ::CreateSolidBrush(RGB((bg >> 16) & 0xFF, (bg >> 8) & 0xFF, bg & 0xFF));
        RECT all{0, 0, shown.width, shown.height};
        ::FillRect(mem, &all, brush);
        ::DeleteObject(brush);
        ::DrawIconEx(mem, 0, 0, ::LoadIconW(nullptr, MAKEINTRESOURCEW(s.id)), 0, 0, 0, nullptr, DI_NORMAL);
        const Capture drawn = CaptureFrom(mem, 0, 0, shown.width, shown.height);
        ::SelectObject(mem, old);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
        ::ReleaseDC(nullptr, hdcScreen);
        long distance = 0;
        for (size_t i = 0; i < drawn.pixels.size(); ++i)
            distance += ColourDistance(drawn.pixels[i], shown.pixels[i]);
        if (best == MsgBoxWatcher::ICON_OTHER || distance < bestDistance) {
            best = s.icon;
            bestDistance = distance;
        }
    }
    // Near enough to one of them: a few colour steps per pixel on average.
    return bestDistance <= 8L * shown.width * shown.height ? best : MsgBoxWatcher::ICON_OTHER;
}

void MsgBoxWatcher::Poll()
{
    struct Ctx {
        MsgBoxWatcher* self;
        std::vector<HWND> found;
    } ctx{this, {}};
    ::EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lParam);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hWnd, &pid);
            char cls[64] = {};
            ::GetClassNameA(hWnd, cls, sizeof(cls));
            if (pid == c->self->m_processId && !strcmp(cls, "#32770") && ::IsWindowVisible(hWnd) &&
                ::GetDlgItem(hWnd, 0xFFFF))
                c->found.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));

    for (HWND hBox : ctx.found) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            bool seen = false;
            for (HWND h : m_answered)
                seen = seen || h == hBox;
            if (seen)
                continue;
            m_answered.push_back(hBox);
            m_boxes.push_back(Box{::GetWindow(hBox, GW_OWNER), WindowTextUtf8(hBox),
                                  WindowTextUtf8(::GetDlgItem(hBox, 0xFFFF)), IconOf(hBox), hBox});
        }
        if (m_answer)
            ::PostMessageW(hBox, WM_COMMAND, static_cast<WPARAM>(m_answer), 0);
    }
}

std::vector<MsgBoxWatcher::Box> MsgBoxWatcher::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

void MsgBoxWatcher::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.clear();
}

bool MsgBoxWatcher::WaitForBoxes(size_t count, DWORD ms)
{
    return PumpUntil([&] { return Boxes().size() >= count; }, ms);
}

static Capture CaptureFrom(HDC hdcSource, int x, int y, int width, int height)
{
    Capture cap;
    cap.width = width;
    cap.height = height;
    cap.pixels.resize(static_cast<size_t>(width) * height);
    HDC hdcMem = ::CreateCompatibleDC(hdcSource);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hdcMem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(hdcMem, hDib);
    ::BitBlt(hdcMem, 0, 0, width, height, hdcSource, x, y, SRCCOPY);
    ::GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < cap.pixels.size(); ++i)
        cap.pixels[i] = p[i] & 0xFFFFFF;
    ::SelectObject(hdcMem, old);
    ::DeleteObject(hDib);
    ::DeleteDC(hdcMem);
    return cap;
}

Capture CaptureScreenRect(const RECT& rc)
{
    HDC hdcScreen = ::GetDC(nullptr);
    Capture cap = CaptureFrom(hdcScreen, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    ::ReleaseDC(nullptr, hdcScreen);
    return cap;
}

Capture CaptureBitmap(HBITMAP hBitmap)
{
    BITMAP bm{};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    HDC hdcScreen = ::GetDC(nullptr);
    HDC hdcSrc = ::CreateCompatibleDC(hdcScreen);
    HGDIOBJ old = ::SelectObject(hdcSrc, hBitmap);
    Capture cap = CaptureFrom(hdcSrc, 0, 0, bm.bmWidth, bm.bmHeight);
    ::SelectObject(hdcSrc, old);
    ::DeleteDC(hdcSrc);
    ::ReleaseDC(nullptr, hdcScreen);
    return cap;
}

bool Capture::SaveBmp(const std::string& path) const
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = width;
    bih.biHeight = -height;
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    const DWORD dataSize = static_cast<DWORD>(pixels.size() * 4);
    BITMAPFILEHEADER bfh{};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + dataSize;
    fwrite(&bfh, sizeof(bfh), 1, f);
    fwrite(&bih, sizeof(bih), 1, f);
    fwrite(pixels.data(), 4, pixels.size(), f);
    return fclose(f) == 0;
}

int ColourDistance(DWORD a, DWORD b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum / 3;
}

std::string StandinGet(const std::string& pathAndQuery)
{
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(WEB_SERVICE_PORT);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        const std::string request = "GET " + pathAndQuery + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        ::send(s, request.data(), static_cast<int>(request.size()), 0);
        char buf[4096];
        int n;
        while ((n = ::recv(s, buf, sizeof(buf), 0)) > 0)
            response.append(buf, static_cast<size_t>(n));
    }
    ::closesocket(s);
    const size_t body = response.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : response.substr(body + 4);
}

std::string StandinRoot()
{
    const char* root = getenv("STANDIN_ROOT_W");
    return root ? root : "";
}

std::string TestPkiFile(const std::string& name)
{
    const char* dir = getenv("TEST_PKI_W");
    return dir && *dir ? std::string(dir) + "\\" + name : std::string();
}

std::string ArtifactPath(const std::string& name)
{
    const char* dir = getenv("TALLOW_ARTIFACTS");
    char temp[MAX_PATH] = {};
    if (!dir || !*dir) {
        ::GetTempPathA(MAX_PATH, temp);
        dir = temp;
    }
    std::string path(dir);
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path + name;
}

} // namespace testsupport
