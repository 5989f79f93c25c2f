// Files and the folders the program writes to.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// A file's bytes, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Removes a file even when it is read-only.
void RemoveFile(const std::string& path);
std::string WindowsDir();
std::string SystemDir();
// Where the product's files go: "Downloaded Program Files\wintl" in the Windows folder.
std::string ProductDir();
// The temporary folder, long form, with its trailing backslash.
std::string TempDir();

// Keeps an existing product folder out of the way for the test; what the
// test leaves there is removed.
class ProductDirAside {
public:
    ProductDirAside();
    ~ProductDirAside();
    static std::vector<std::string> Contents(const std::string& dir);

private:
    std::string m_aside;
};

} // namespace testsupport
