// The message-box watcher that later tests rely on, proved on AfxMessageBox
// and on a box with an owner.
#include "framework/App.h"
#include "framework/ResString.h"
#include "res/resource.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(MsgBoxWatcher, ReportsOwnerCaptionTextAndIconAndAnswers)
{
    MsgBoxWatcher watcher(IDOK);
    EXPECT_EQ(AfxMessageBox(LoadResString(IDS_NETWORK_ERROR), MB_ICONSTOP), IDOK);

    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr);
    EXPECT_EQ(::MessageBoxA(hOwner, FormatResString(IDS_FILE_NOT_FOUND, "/x/y.exe"), LoadResString(IDS_PRODUCT_NAME), MB_OK | MB_ICONINFORMATION),
              IDOK);
    ::DestroyWindow(hOwner);

    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, u8"탈로 FREE");
    EXPECT_EQ(boxes[0].text, u8"네트웍 에러가 발생하였습니다. 설치를 다시 시도해 주세요.");
    EXPECT_EQ(boxes[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_EQ(boxes[1].owner, hOwner);
    EXPECT_EQ(boxes[1].text, u8"설치할 파일을 찾을 수 없습니다. - /x/y.exe");
    EXPECT_EQ(boxes[1].icon, MsgBoxWatcher::ICON_INFORMATION);
}

TEST(StringTable, KoreanTextsInTheAnsiCodePage)
{
    EXPECT_EQ(::GetACP(), 949u);
    EXPECT_EQ(LoadResString(IDS_CHECK_CAPTION), CString("\xC5\xBB\xB7\xCE Free")); // "탈로 Free" in code page 949
    EXPECT_TRUE(LoadResString(IDS_ABOUTBOX).IsEmpty());
    const CString refusal = LoadResString(IDS_UNSUPPORTED_OS);
    EXPECT_NE(refusal.Find(". \r\n\r\n"), -1) << "carriage returns survive the resource compiler";
    EXPECT_NE(LoadResString(IDS_AUTH_FAILED).Find("\n\n"), -1);
    for (UINT id = IDS_PRODUCT_NAME; id <= IDS_BAD_EMAIL; ++id)
        EXPECT_FALSE(LoadResString(id).IsEmpty()) << id;
}

TEST(Standin, AnswersItsControlRequests)
{
    EXPECT_EQ(StandinGet("/_control/ping"), "ok");
    EXPECT_FALSE(StandinRoot().empty());
}
