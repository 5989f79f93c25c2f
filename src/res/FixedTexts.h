// Texts the program shows that are not in the string table. Each lives here
// once; the compiler turns them into code page 949 bytes.
#pragma once

// When the processor is older than the program can run on (before the C
// runtime starts: framework/ProcessorEntry.cpp).
const char TEXT_PROCESSOR_TOO_OLD[] =
    "이 컴퓨터의 프로세서로는 이 프로그램을 실행할 수 없습니다.\r\n"
    "펜티엄 프로 이상의 프로세서가 필요합니다.";

// When the files an installation needs cannot be written.
const char TEXT_CANNOT_CREATE_FILES[] = "설치에 필요한 파일을 만들 수 없습니다.\r\n다시 시도해주세요.";

// When the partner site's cookie gives no usable visitor.
const char TEXT_COOKIE_UNUSABLE[] = "설치에 필요한 정보를 확인할 수 없습니다. \r\n\r\n다시 시도해주세요.";

// When the partner library finds another filter product installed.
const char TEXT_CONFLICTING_FILTER[] =
    "고객님의 pc에는 다른 유해 차단 제품이 설치되어 있습니다.\r\n\r\n"
    "먼저 설치하신 프로그램을 삭제하신 후에 이 프로그램을 설치하시기 바랍니다.";

// When a downloaded program does not carry the vendor's signature.
const char TEXT_PAYLOAD_UNVERIFIED[] = "내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.";

// When the partner library cannot be fetched before the installation.
const char TEXT_CANNOT_DOWNLOAD_PARTNER_LIBRARY[] =
    "설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.";

// When the setup program cannot be started with "open".
const char TEXT_OPEN_FAILED[] = "Open Failed!";

// When the ODBC Access driver's registration cannot be written.
const char TEXT_ODBC_DRIVER_NOT_WRITTEN[] = "MDB Registry Value Write Fail : Driver";
const char TEXT_ODBC_SETUP_NOT_WRITTEN[] = "MDB Registry Value Write Fail : Setup";

// The main window's title, seen on the taskbar button.
const char TEXT_MAIN_WINDOW_TITLE[] = "탈로 설치 도우미";

// Titles of the browser's two download dialogs that the download watcher
// looks for: the security warning names the file in its 4th child, the plain
// dialog the site in its 2nd.
const char DOWNLOAD_WARNING_TITLE[] = "파일 다운로드 - 보안 경고";
const char DOWNLOAD_PLAIN_TITLE[] = "파일 다운로드";
