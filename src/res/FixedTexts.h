// Texts the program shows that are not in the string table. Each lives here
// once; the compiler turns them into code page 949 bytes.
#pragma once

// When the files an installation needs cannot be written.
const char TEXT_CANNOT_CREATE_FILES[] = "설치에 필요한 파일을 만들 수 없습니다.\r\n다시 시도해주세요.";
