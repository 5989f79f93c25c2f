#include "support/Files.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string();
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WindowsDir()
{
    char dir[MAX_PATH] = {};
    ::GetWindowsDirectoryA(dir, MAX_PATH);
    return dir;
}

std::string SystemDir()
{
    char dir[MAX_PATH] = {};
    ::GetSystemDirectoryA(dir, MAX_PATH);
    return dir;
}

std::string ProductDir()
{
    return WindowsDir() + "\\Downloaded Program Files\\wintl";
}

std::string TempDir()
{
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    ::GetLongPathNameA(dir, dir, MAX_PATH);
    return dir;
}

void RemoveFile(const std::string& path)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

ProductDirAside::ProductDirAside() : m_aside(ProductDir() + ".aside")
{
    ::MoveFileA(ProductDir().c_str(), m_aside.c_str());
}

ProductDirAside::~ProductDirAside()
{
    for (const std::string& name : Contents(ProductDir()))
        RemoveFile(ProductDir() + "\\" + name);
    ::RemoveDirectoryA(ProductDir().c_str());
    ::MoveFileA(m_aside.c_str(), ProductDir().c_str());
}

std::vector<std::string> ProductDirAside::Contents(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(h, &found))
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    if (h != INVALID_HANDLE_VALUE)
        ::FindClose(h);
    return names;
}

} // namespace testsupport
