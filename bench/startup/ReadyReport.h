// What a started program tells the benchmark once its window is ready: one line on standard
// output, "ready <resident KiB>".
#pragma once

void ReportReady();
