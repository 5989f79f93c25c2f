"""Web-service side of the vendor stand-in: the sign-up page that the assistant
shows, the install information it signs in with, and the join script.

    /tlfree/TLuserInfo.php        the sign-up page (UTF-8), offering TallowFree.exe
    /tlfree/TallowFree.exe        what the page's download link fetches
    /tl_free/install_info.php     the install information, "|"-separated
    /tlfree/join.php              the join script: "OK|<number>|"

The join script is also answered without the leading "/", as a client may send
its target exactly as written.

Switches (GET /_control/set?KEY=VALUE), each for one script: the prefix
"info_" for the install information, "join_" for the join script.
    info_reply=TEXT     the whole reply (default DEFAULT_INSTALL_INFO)
    join_number=N       the join number in "OK|N|" (default 1)
    join_reply=TEXT     the whole reply instead of "OK|N|"
    *_size=N            pad the reply with "x" up to N bytes (an over-long reply)
    *_chunk=N           send the body in pieces of N bytes ...
    *_chunk_ms=N        ... with N ms between them (default 100)
    *_chunk_head=1      ... the header in those pieces as well (a slow header)
    *_head_pad=N        N bytes of extra header lines (a long header)
    *_delay_ms=N        wait N ms before answering (a slow answer)
    *_close=1           reset the connection without answering
    *_break=N           send N bytes of the body, then reset the connection
"""
import os
import socket
import struct
import time

# Fields 1 to 13: status, (unused), account token, label flag, product folder,
# (unused), version folders for 98/Me, 2000/XP and Vista, data, site data and
# flow data folders, then an unused tail.
DEFAULT_INSTALL_INFO = (
    "OK|gvx|T0K3N-4E21|tlfree|tlfree|1|2.0.98|2.0.2000|2.0.vista|20080301|20080301|20080301|end"
)
DEFAULT_JOIN_NUMBER = "1"

PAGE_PATH = "/tlfree/TLuserInfo.php"
SETUP_PATH = "/tlfree/TallowFree.exe"
INFO_PATH = "/tl_free/install_info.php"
JOIN_PATHS = ("/tlfree/join.php", "tlfree/join.php")

# The assistant shows the page from (205, 266) on, so the sign-up panel sits
# there; a plain browser sees the banner and the side column as well.
SIGNUP_PAGE = """<!DOCTYPE html>
<html lang="ko">
<head>
<meta charset="utf-8">
<title>탈로 FREE - 회원 정보</title>
<style>
  body { margin: 0; width: 1205px; height: 1266px; font-family: "Nanum Gothic", "NanumGothic", "굴림", sans-serif;
         color: #2b3a2f; background: #f3f7f2; }
  #banner { position: absolute; left: 0; top: 0; width: 1205px; height: 266px;
            background: linear-gradient(#3f8f4a, #2f6f39); color: #fff; }
  #banner h1 { margin: 0; padding: 70px 0 0 250px; font-size: 44px; letter-spacing: -1px; }
  #banner p { margin: 8px 0 0 252px; font-size: 18px; opacity: .9; }
  #side { position: absolute; left: 0; top: 266px; width: 205px; height: 1000px; background: #e4eee2; }
  #side li { margin: 14px 0; }
  #panel { position: absolute; left: 205px; top: 266px; width: 620px; padding: 22px 26px;
           background: #fff; border-left: 1px solid #d5e3d2; }
  #panel h2 { margin: 0 0 6px; font-size: 22px; color: #2f6f39; }
  .lead { margin: 0 0 18px; font-size: 14px; line-height: 1.6; }
  ol.steps { margin: 0 0 18px; padding: 0; list-style: none; display: flex; gap: 8px; }
  ol.steps li { flex: 1; padding: 10px; border-radius: 6px; background: #eef5ec; font-size: 13px; }
  ol.steps b { display: block; color: #2f6f39; margin-bottom: 4px; }
  table { border-collapse: collapse; width: 100%; margin-bottom: 18px; font-size: 14px; }
  th { width: 110px; text-align: left; padding: 8px; background: #f6faf5; border: 1px solid #dde8da; }
  td { padding: 8px; border: 1px solid #dde8da; color: #55665a; }
  a.download { display: block; text-align: center; padding: 16px; border-radius: 8px; background: #e8692c;
               color: #fff; font-size: 20px; font-weight: bold; text-decoration: none; }
  .note { margin-top: 12px; font-size: 12px; color: #7a877c; line-height: 1.5; }
</style>
</head>
<body>
<div id="banner">
  <h1>탈로 FREE</h1>
  <p>아이들을 위한 무료 유해 차단 프로그램</p>
</div>
<div id="side">
  <ul>
    <li>제품 소개</li>
    <li>회원 정보</li>
    <li>자주 묻는 질문</li>
    <li>고객 센터</li>
  </ul>
</div>
<div id="panel">
  <h2>회원 정보 확인 및 설치</h2>
  <p class="lead">제휴 사이트에서 확인된 회원 정보로 탈로 FREE를 무료로 설치합니다.
    아래 버튼을 누르면 설치 도우미가 필요한 파일을 받아 설치를 시작합니다.</p>
  <ol class="steps">
    <li><b>1단계</b>회원 정보 확인</li>
    <li><b>2단계</b>설치 파일 다운로드</li>
    <li><b>3단계</b>설치 완료</li>
  </ol>
  <table>
    <tr><th>서비스</th><td>탈로 FREE (무료)</td></tr>
    <tr><th>지원 운영체제</th><td>Windows 98 / ME / 2000 / XP / Vista</td></tr>
    <tr><th>설치 시간</th><td>약 1분</td></tr>
  </table>
  <a class="download" href="/tlfree/TallowFree.exe">탈로 FREE 무료 설치하기</a>
  <p class="note">다른 유해 차단 프로그램이 설치되어 있으면 먼저 삭제해 주세요.<br>
    설치에는 관리자 권한이 필요합니다.</p>
</div>
</body>
</html>
"""


def _int(state, key, default=0):
    try:
        return int(state.get(key, default))
    except (TypeError, ValueError):
        return default


def _reset(handler):
    """Drops the connection with a reset, so the client cannot take it for the
    end of a reply."""
    handler.close_connection = True
    handler.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    # The handler's reader and writer keep the socket open past close(), and
    # the server would end it with an orderly shutdown: close the descriptor.
    os.close(handler.connection.detach())


def _send(handler, state, prefix, body, content_type="text/plain"):
    """Answers with body, shaped by the switches that start with prefix."""
    if state.get(prefix + "close"):
        # Reset at once, and Wine's WinINet now and then takes it for an empty
        # HTTP/0.9 reply; once the client waits for the answer it never does.
        time.sleep(0.05)
        _reset(handler)
        return
    time.sleep(_int(state, prefix + "delay_ms") / 1000.0)
    size = _int(state, prefix + "size")
    if len(body) < size:
        body += b"x" * (size - len(body))

    lines = ["HTTP/1.1 200 OK", "Content-Type: " + content_type, "Content-Length: %d" % len(body),
             "Connection: close"]
    lines += ["X-Pad-%06d: %s" % (i, "p" * 80) for i in range(0, _int(state, prefix + "head_pad"), 100)]
    head = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")
    handler.close_connection = True

    cut = state.get(prefix + "break")
    if cut is not None:
        handler.wfile.write(head + body[:_int(state, prefix + "break")])
        handler.wfile.flush()
        _reset(handler)
        return

    data = body
    if state.get(prefix + "chunk_head"):
        data = head + body
    else:
        handler.wfile.write(head)
    chunk = _int(state, prefix + "chunk") or len(data) or 1
    pause = _int(state, prefix + "chunk_ms", 100) / 1000.0
    try:
        for start in range(0, len(data), chunk):
            if start:
                time.sleep(pause)
            handler.wfile.write(data[start:start + chunk])
            handler.wfile.flush()
    except OSError:
        pass  # the client gave up on a slow reply


def serve(handler, state):
    path = handler.path.split("?", 1)[0]
    if path == PAGE_PATH:
        _send(handler, state, "page_", SIGNUP_PAGE.encode("utf-8"), "text/html; charset=utf-8")
    elif path == SETUP_PATH:
        handler.send_response(200)
        body = b"MZ stand-in for the product's setup program\r\n"
        handler.send_header("Content-Type", "application/octet-stream")
        handler.send_header("Content-Disposition", 'attachment; filename="TallowFree.exe"')
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        handler.wfile.write(body)
    elif path == INFO_PATH:
        reply = state.get("info_reply", DEFAULT_INSTALL_INFO)
        _send(handler, state, "info_", reply.encode("latin-1", "replace"))
    elif path in JOIN_PATHS:
        reply = state.get("join_reply")
        if reply is None:
            reply = "OK|%s|" % state.get("join_number", DEFAULT_JOIN_NUMBER)
        _send(handler, state, "join_", reply.encode("latin-1", "replace"))
    else:
        handler.send_error(404)
