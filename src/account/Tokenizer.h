// CTokenizer: splits a text field by field at a one-character delimiter.
// Two adjacent delimiters give an empty field, and after the last field every
// call gives an empty one, so callers stop at the first empty field.
#pragma once

#include "framework/String.h"

class CTokenizer {
public:
    CTokenizer() = default;
    virtual ~CTokenizer() = default;

    void SetText(CString text);
    // Exactly one character is skipped after a field, whatever the length of
    // `delimiter`.
    CString NextToken(CString delimiter);

    CString m_strText;
    int m_nPos = 0;
};
