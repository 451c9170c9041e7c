// The version and description stamped into the running program (VersionNote.h), for its
// --version answer. Each program defines the first two through the source the build generates
// for it.
#pragma once

const char* ProgramVersion();
const char* ProgramDescription();

// True when the command line is exactly `program --version`.
bool IsVersionRequest(int argc, char** argv);
// Prints "<name> <version>" on standard output.
void PrintProgramVersion(const char* name);
