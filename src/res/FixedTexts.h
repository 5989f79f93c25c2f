// Texts the program shows that are not in the string table. Each lives here
// once; the compiler turns them into code page 949 bytes.
#pragma once

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
