#include "support/Screen.h"

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "support/Program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

Capture RenderToBitmap(int cx, int cy, const std::function<void(HDC)>& draw)
{
    ClientDC screen(nullptr);
    MemoryDC mem(screen);
    GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, cx, cy));
    {
        SelectGuard sel(mem, bitmap);
        draw(mem);
    }
    return CaptureBitmap(bitmap);
}

static bool Painted(HWND hWnd)
{
    if (::GetUpdateRect(hWnd, nullptr, FALSE))
        return false;
    bool painted = true;
    ::EnumChildWindows(
        hWnd,
        [](HWND hChild, LPARAM lp) -> BOOL {
            if (::IsWindowVisible(hChild) && ::GetUpdateRect(hChild, nullptr, FALSE))
                *reinterpret_cast<bool*>(lp) = false;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&painted));
    return painted;
}

bool WaitPainted(HWND hWnd, DWORD ms)
{
    // Painting is the lowest-priority message: once nothing is left to paint,
    // everything queued before it has been handled as well.
    return PumpUntil([&] { return !::IsWindow(hWnd) || Painted(hWnd); }, ms);
}

DWORD Pixel(COLORREF cr)
{
    return (GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr);
}

bool HostControl(CWnd& host, CWnd& control, const char* pszClass, const char* pszText, DWORD dwStyle, int cx, int cy,
                 int nID)
{
    HWND hHost = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP, 40, 40, 420, 80, nullptr, nullptr, nullptr,
                                   nullptr);
    HWND hControl = ::CreateWindowExA(0, pszClass, pszText, WS_CHILD | WS_VISIBLE | dwStyle, 10, 10, cx, cy, hHost,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(nID)), nullptr, nullptr);
    return host.SubclassWindow(hHost) && control.SubclassWindow(hControl);
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

namespace {

const struct {
    int id;
    MsgBoxWatcher::Icon icon;
} kStandardIcons[] = {{32513, MsgBoxWatcher::ICON_STOP},
                      {32516, MsgBoxWatcher::ICON_INFORMATION},
                      {32515, MsgBoxWatcher::ICON_WARNING},
                      {32514, MsgBoxWatcher::ICON_QUESTION}};

// The standard icon that the icon control shows on the screen now, told by
// its pixels against each standard icon drawn here; ICON_OTHER when none is near.
MsgBoxWatcher::Icon ShownIcon(HWND hIcon)
{
    RECT rc;
    ::GetWindowRect(hIcon, &rc);
    const Capture shown = CaptureScreenRect(rc);
    if (shown.width <= 0 || shown.height <= 0)
        return MsgBoxWatcher::ICON_OTHER;
    const DWORD bg = shown.At(0, 0);
    MsgBoxWatcher::Icon best = MsgBoxWatcher::ICON_OTHER;
    long bestDistance = 0;
    for (const auto& s : kStandardIcons) {
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

// Which standard icon a message box shows. Within this process the icon
// handle tells; a box of another process has handles of its own, so its icon
// is told by its pixels once they have reached the screen.
MsgBoxWatcher::Icon IconOf(HWND hBox)
{
    HWND hIcon = ::GetDlgItem(hBox, 0x440);
    if (!hIcon)
        hIcon = ::GetDlgItem(hBox, 0x14);
    if (!hIcon)
        return MsgBoxWatcher::ICON_NONE;
    const HICON h = reinterpret_cast<HICON>(::SendMessageW(hIcon, STM_GETICON, 0, 0));
    if (!h)
        return MsgBoxWatcher::ICON_NONE;
    for (const auto& s : kStandardIcons)
        if (h == ::LoadIconW(nullptr, MAKEINTRESOURCEW(s.id)))
            return s.icon;

    // Painted is not yet shown: under Wine the other process's painting
    // reaches the screen when its window surface is flushed.
    WaitPainted(hIcon, 2000);
    MsgBoxWatcher::Icon icon = MsgBoxWatcher::ICON_OTHER;
    PumpUntil([&] { return (icon = ShownIcon(hIcon)) != MsgBoxWatcher::ICON_OTHER; }, 3000);
    return icon;
}

} // namespace

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
