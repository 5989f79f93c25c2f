// Placeholder declaration; the block progress bar is being written (see install dialog work).
#pragma once

#include "Controls.h"

class CBusyProgressCtrl : public CStatic {
public:
    CBusyProgressCtrl(int nNumBlocks, int nPos) : m_nNumBlocks(nNumBlocks), m_nPos(nPos) {}
    int m_nNumBlocks;
    int m_nPos;
};
