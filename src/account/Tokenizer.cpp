#include "account/Tokenizer.h"

void CTokenizer::SetText(CString text)
{
    m_strText = text;
    m_nPos = 0;
}

CString CTokenizer::NextToken(CString delimiter)
{
    const int i = m_strText.Find(delimiter, m_nPos);
    if (i >= 0) {
        CString token = m_strText.Mid(m_nPos, i - m_nPos);
        m_nPos = i + 1;
        return token;
    }
    if (m_strText.IsEmpty())
        return CString();
    CString token = m_strText.Mid(m_nPos);
    m_nPos = m_strText.GetLength();
    return token;
}
