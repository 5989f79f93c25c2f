#!/usr/bin/env bash
# Shows that the release checks catch what they are for: tiny 32-bit programs,
# built here with the release's compiler family, each importing one function
# that an old system lacks, must fail the import check with that function and
# exactly the systems that lack it; a program of old functions only, linked
# like the release, must pass it and show the release's header, and its
# import of Winsock must fail the check of imported libraries; a manifest
# that declares a namespace twice is seen to.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
cc=i686-w64-mingw32-gcc-win32
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
result() {
    if [ "$1" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $2"
        [ -z "${3:-}" ] || sed 's/^/    /' <<<"$3"
    fi
}

# build NAME SOURCE [compiler and linker flags...]
build() {
    local name=$1 source=$2
    shift 2
    printf '#include <winsock2.h>\n#include <ws2tcpip.h>\n#include <windows.h>\n%s\n' "$source" >"$work/$name.c"
    $cc -O2 -static -mwindows "$work/$name.c" -o "$work/$name.exe" "$@" -lws2_32 2>"$work/$name.log" \
        || { cat "$work/$name.log"; return 1; }
}

# expect_offender NAME SOURCE LINE: the import check fails with exactly LINE.
expect_offender() {
    local name=$1 source=$2 line=$3 out status
    if ! build "$name" "int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { $source }" \
        -D_WIN32_WINNT=0x0600; then
        result 1 "$name builds"
        return
    fi
    out=$(python3 "$here/pe.py" imports "$work/$name.exe")
    status=$?
    [ "$status" -eq 1 ] && [ "$out" = "$line" ]
    result $? "$name: the import check fails with \"$line\" alone" "$out"
    echo "$name.exe: $out"
}

expect_offender GetTickCount64 'return (int)GetTickCount64();' \
    'KERNEL32.dll!GetTickCount64: missing on win98, win98se, winme, nt4sp6a, win2000, winxp, win2003'
expect_offender LoadStringW 'WCHAR text[16]; return LoadStringW(i, 1, text, 16);' \
    'USER32.dll!LoadStringW: a wide-character stub that fails on win98, win98se, winme'
expect_offender getaddrinfo 'struct addrinfo *a; return getaddrinfo(c, "80", NULL, &a);' \
    'WS2_32.dll!getaddrinfo: missing on win98, win98se, winme, nt4sp6a, win2000'
expect_offender GetAncestor 'return GetAncestor(NULL, GA_ROOT) != NULL;' \
    'USER32.dll!GetAncestor: no export list for user32.dll and not in winapi/allowed.tsv: unproven on win98, win98se, winme, nt4sp6a, win2000, winxp, win2003, vista'

# Old functions only, with the release's link: nothing for the C runtime or the
# stack protector to add that an old system lacks, and the release's header.
old='int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) {
    char text[16]; WSADATA w; WSAStartup(MAKEWORD(1, 1), &w);
    LoadStringA(i, 1, text, sizeof text); MessageBoxA(NULL, text, c, MB_OK);
    return (int)GetTickCount() + (int)inet_addr(c) + (gethostbyname(c) != NULL); }'
if build old "$old" -fstack-protector-strong -Wl,--tsaware \
    -Wl,--major-os-version,4,--minor-os-version,0,--major-subsystem-version,4,--minor-subsystem-version,0; then
    out=$(python3 "$here/pe.py" imports "$work/old.exe")
    result $? "old functions pass the import check" "$out"
    out=$(python3 "$here/pe.py" libraries "$work/old.exe")
    [ $? -eq 1 ] && [ "$(grep -c 'not allowed' <<<"$out")" -eq 1 ] && grep -q '^WS2_32\.dll (.*): not allowed' <<<"$out"
    result $? "an imported library beyond the known ones fails the library check, alone" "$out"
    header=$(python3 "$here/pe.py" header "$work/old.exe")
    grep -qx 'subsystem_version=4.0' <<<"$header" && grep -qx 'os_version=4.0' <<<"$header" \
        && grep -qx 'tsaware=1' <<<"$header" && grep -qx 'subsystem=2' <<<"$header"
    result $? "the release's link flags give GUI, 4.0 and terminal-server aware" "$header"
    grep -a -q 'stack smashing detected' "$work/old.exe"
    result $? "the stack protector links statically"
else
    result 1 "old builds"
fi
# And the header check sees a program that asks for a newer system.
if build newer "$old" -Wl,--major-subsystem-version,6,--minor-subsystem-version,0; then
    header=$(python3 "$here/pe.py" header "$work/newer.exe")
    grep -qx 'subsystem_version=6.0' <<<"$header" && grep -qx 'tsaware=0' <<<"$header"
    result $? "a subsystem version 6.0 program is told apart" "$header"
else
    result 1 "newer builds"
fi

# The manifest check sees a namespace declared again inside trustInfo (the
# form that restarts an unpatched XP SP2) where it is declared.
printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3"><security>
    <requestedPrivileges xmlns="urn:schemas-microsoft-com:asm.v3">
      <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
    </requestedPrivileges>
  </security></trustInfo>
</assembly>' >"$work/twice.manifest"
out=$(python3 "$here/manifest.py" "$work/twice.manifest")
grep -qx 'declaration=requestedPrivileges xmlns=urn:schemas-microsoft-com:asm.v3' <<<"$out" \
    && [ "$(grep -c '^declaration=' <<<"$out")" -eq 3 ] && grep -qx 'execution_level=requireAdministrator' <<<"$out"
result $? "a namespace declared again in the manifest is seen where it is" "$out"

echo "release self-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
