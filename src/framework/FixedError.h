// The standard exception type with a message, as the cipher raises it: the
// message is a fixed text, so nothing is copied. The library's own exception
// types would copy it into a string of theirs and link that whole string
// implementation into the program.
#pragma once

#include <exception>

class CFixedError : public std::exception {
public:
    explicit CFixedError(const char* pszMessage) : m_pszMessage(pszMessage) {}
    const char* what() const noexcept override { return m_pszMessage; }

private:
    const char* m_pszMessage;
};
