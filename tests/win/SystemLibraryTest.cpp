// The system libraries the program loads at run time, where the library or a
// function is missing: each entry fails in its own library's way, never with
// a result its caller would take for success (a socket of 0, a send of 0
// bytes that the send loop would retry for ever, S_OK without an object).
#include "framework/Ole.h"
#include "framework/Winsock.h"

#include <gtest/gtest.h>

TEST(SystemLibrary, AMissingFunctionFailsAsItsLibraryFails)
{
    const WinsockApi ws = ResolveWinsock(nullptr);
    WSADATA data;
    EXPECT_NE(ws.WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(ws.socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    sockaddr_in peer{};
    EXPECT_EQ(ws.connect(1, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)), SOCKET_ERROR);
    char byte = 0;
    EXPECT_EQ(ws.send(1, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(ws.recv(1, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(ws.select(0, nullptr, nullptr, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(ws.inet_addr("127.0.0.1"), INADDR_NONE);
    EXPECT_EQ(ws.gethostbyname("localhost"), nullptr);

    const Ole32Api ole = ResolveOle32(nullptr);
    IUnknown* object = nullptr;
    EXPECT_TRUE(FAILED(ole.OleInitialize(nullptr)));
    EXPECT_TRUE(FAILED(ole.CoCreateInstance(CLSID_StdPicture, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                            reinterpret_cast<void**>(&object))));
    EXPECT_EQ(object, nullptr);
    const OleAut32Api aut = ResolveOleAut32(nullptr);
    EXPECT_TRUE(FAILED(aut.OleLoadPicture(nullptr, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&object))));
    EXPECT_EQ(aut.SysAllocString(L"x"), nullptr);

    // And where they are there, the tables reach them.
    EXPECT_EQ(Winsock().inet_addr("127.0.0.1"), ::inet_addr("127.0.0.1"));
    BSTR text = OleAut32().SysAllocString(L"x");
    EXPECT_EQ(::SysStringLen(text), 1u);
    OleAut32().SysFreeString(text);
}
