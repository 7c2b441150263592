// The read floor as a process of its own, to time beside mtlcheck --print.
#include "ReadFloor.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_floor FILE\n");
        return 2;
    }
    const qsizetype characters = ReadFloor(QString::fromLocal8Bit(argv[1]));
    std::printf("%lld\n", static_cast<long long>(characters));
    return characters < 0 ? 1 : 0;
}
