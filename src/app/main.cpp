#include <cstdio>

#include "common/ProgramVersion.h"

int main(int, char**)
{
    std::printf("quorfwupdate %s\n", quorfw::kProgramVersion);
    return 0;
}
