// Skin pictures kept in the executable as JPEG resources of type "JPGS",
// decoded once into bitmaps that every painting copies from.
#pragma once

#include "framework/App.h"
#include "framework/Gdi.h"

#include <ocidl.h>
#include <olectl.h>

class CSkinImage {
public:
    CSkinImage() = default;
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;
    virtual ~CSkinImage();

    CBitmap m_bitmap;               // owned by m_pPicture
    IPicture* m_pPicture = nullptr;
};

const int SKIN_IMAGE_SLOTS = 20;
extern CSkinImage g_skinImages[SKIN_IMAGE_SLOTS];

// The slot of each skin image.
enum SkinSlot {
    SKIN_HEADER = 3,
    SKIN_CLOSE_NORMAL = 4,
    SKIN_CLOSE_HOVER = 5,
    SKIN_CLOSE_PRESSED = 6,
    SKIN_MIN_NORMAL = 8,
    SKIN_MIN_HOVER = 9,
    SKIN_MIN_PRESSED = 10,
    SKIN_FOOTER = 11,
    SKIN_INSTALL_BG = 12,
    SKIN_PANEL_SIGNED = 13,
    SKIN_PANEL_WAIT = 14,
};

// Decodes resource nID of type pszType into image; FALSE leaves it empty.
BOOL LoadJpgResource(UINT nID, const char* pszType, CSkinImage& image);
// Fills the eleven slots; an image that fails leaves only its slot empty.
void LoadSkinImages();
