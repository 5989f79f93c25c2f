#!/usr/bin/env python3
"""Makes a Wine prefix look like the visitor's machine: Internet Explorer's
"Downloaded Program Files" folder, and the cookie the partner site left.

    visitor.py WINEPREFIX
"""
import os
import sys

prefix = sys.argv[1]
drive_c = os.path.join(prefix, "drive_c")
os.makedirs(os.path.join(drive_c, "windows", "Downloaded Program Files"), exist_ok=True)

# The cookie folder is where the registry's Shell Folders "Cookies" value
# points (Wine keeps it at its own default); the partner's cookie is the file
# with "vestainet" in its name.
user = os.environ.get("USER", "root")
cookies = os.path.join(drive_c, "users", user, "AppData", "Local", "Microsoft", "Windows", "INetCookies")
os.makedirs(cookies, exist_ok=True)
value = "PTN01&visitor01&SITE001&홍길동&010-1234-5678"
with open(os.path.join(cookies, "visitor@vestainet.co[1].txt"), "wb") as f:
    f.write(b"VESTAINET\n" + value.encode("cp949") + b"\nvestainet.co/\n1536\n*\n")

# The visitor runs Windows XP Professional; Wine pretends to be it.
reg = ("Windows Registry Editor Version 5.00\r\n\r\n"
       "[HKEY_CURRENT_USER\\Software\\Wine]\r\n\"Version\"=\"winxp\"\r\n\r\n")
path = os.path.join(prefix, "visitor.reg")
with open(path, "wb") as f:
    f.write(b"\xff\xfe" + reg.encode("utf-16-le"))
print("   cookie of the partner site for visitor01 (홍길동) in %s" % cookies)
