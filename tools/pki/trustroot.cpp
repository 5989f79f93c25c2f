// trustroot add|remove ROOT.der: the demo's machine trusts the test authority.
#include "TrustRoot.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3 || (strcmp(argv[1], "add") != 0 && strcmp(argv[1], "remove") != 0)) {
        fprintf(stderr, "usage: trustroot add|remove ROOT.der\n");
        return 2;
    }
    if (!SetRootTrusted(argv[2], strcmp(argv[1], "add") == 0)) {
        fprintf(stderr, "trustroot: cannot %s %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
