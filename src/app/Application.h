#pragma once

// Runs the program with its command line; returns the process exit code.
int RunApplication(int argc, char** argv);
