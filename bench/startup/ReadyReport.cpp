#include "ReadyReport.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

}  // namespace

void ReportReady() {
    std::printf("ready %ld\n", ResidentKiB());
    std::fflush(stdout);
}
