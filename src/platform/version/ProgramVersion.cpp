#include "platform/version/ProgramVersion.h"

#include <cstdio>
#include <cstring>

bool IsVersionRequest(int argc, char** argv) {
    return argc == 2 && std::strcmp(argv[1], "--version") == 0;
}

void PrintProgramVersion(const char* name) {
    std::printf("%s %s\n", name, ProgramVersion());
}
