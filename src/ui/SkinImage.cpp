#include "ui/SkinImage.h"

#include "framework/Ole.h"
#include "res/resource.h"

#include <cstring>

CSkinImage g_skinImages[SKIN_IMAGE_SLOTS];

CSkinImage::~CSkinImage()
{
    if (m_pPicture)
        m_pPicture->Release(); // frees the bitmap
    m_bitmap.Detach();
}

namespace {

// Releases a COM interface when the scope ends.
template <class T>
struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

struct GlobalBlock {
    HGLOBAL h;
    ~GlobalBlock()
    {
        if (h)
            ::GlobalFree(h);
    }
};

} // namespace

BOOL LoadJpgResource(UINT nID, const char* pszType, CSkinImage& image)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hModule, MAKEINTRESOURCEA(nID), pszType);
    if (!hRes)
        return FALSE;
    HGLOBAL hResData = ::LoadResource(hModule, hRes);
    if (!hResData)
        return FALSE;
    const DWORD size = ::SizeofResource(hModule, hRes);

    GlobalBlock block{::GlobalAlloc(GMEM_MOVEABLE, size)};
    if (!block.h)
        return FALSE;
    void* pDest = ::GlobalLock(block.h);
    const void* pSrc = ::LockResource(hResData);
    if (!pDest || !pSrc) {
        if (pDest)
            ::GlobalUnlock(block.h);
        return FALSE;
    }
    memcpy(pDest, pSrc, size);
    ::GlobalUnlock(block.h);

    Released<IStream> stream;
    if (FAILED(Ole32().CreateStreamOnHGlobal(block.h, FALSE, &stream.p)) || !stream.p)
        return FALSE;
    Released<IPicture> picture;
    if (FAILED(OleAut32().OleLoadPicture(stream.p, static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture.p))) ||
        !picture.p)
        return FALSE;

    OLE_HANDLE hBitmap = 0;
    picture.p->get_Handle(&hBitmap);
    image.m_pPicture = picture.p;
    picture.p = nullptr;
    image.m_bitmap.Attach(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(hBitmap)));
    return TRUE;
}

void LoadSkinImages()
{
    static const struct {
        int slot;
        UINT id;
    } kImages[] = {
        {SKIN_HEADER, IDR_JPG_HEADER},           {SKIN_FOOTER, IDR_JPG_FOOTER},
        {SKIN_CLOSE_NORMAL, IDR_JPG_CLOSE_NORMAL}, {SKIN_CLOSE_HOVER, IDR_JPG_CLOSE_HOVER},
        {SKIN_CLOSE_PRESSED, IDR_JPG_CLOSE_PRESSED}, {SKIN_MIN_NORMAL, IDR_JPG_MIN_NORMAL},
        {SKIN_MIN_HOVER, IDR_JPG_MIN_HOVER},     {SKIN_MIN_PRESSED, IDR_JPG_MIN_PRESSED},
        {SKIN_INSTALL_BG, IDR_JPG_INSTALL_BG},   {SKIN_PANEL_WAIT, IDR_JPG_PANEL_WAIT},
        {SKIN_PANEL_SIGNED, IDR_JPG_PANEL_SIGNED},
    };
    for (const auto& image : kImages)
        LoadJpgResource(image.id, "JPGS", g_skinImages[image.slot]);
}
