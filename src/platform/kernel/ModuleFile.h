// Where the running code comes from, as GetModuleFileNameW answers it: the program file, and the
// file of the shared library (or program) that holds a given address.
#pragma once

#include <filesystem>

// The running program's file; empty when it cannot be told.
std::filesystem::path ProgramFile();
// The file that holds `address` as it was loaded; empty when no loaded file holds it.
std::filesystem::path ModuleFileOf(const void* address);
