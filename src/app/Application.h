#pragma once

// Process exit codes of the editor.
inline constexpr int kExitWindowFailed = 0; // the editor window could not be built
inline constexpr int kExitWindowClosed = 2; // the editor window was closed

// Runs the program with its command line; returns the process exit code.
int RunApplication(int argc, char** argv);
