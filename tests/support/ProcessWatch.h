#pragma once

#include <string>

#include <windows.h>

struct ProcessResult {
  bool Started = false;
  bool Ended = false;
  DWORD ExitCode = 0;
  bool ShowedSheet = false;
};

// Starts the program at path, waits for its control sheet ("Velto Controls")
// and closes it as an operator would; a program that ends by itself is
// waited for. Gives up after timeoutMs.
ProcessResult RunProductUntilClosed(const std::string& path, DWORD timeoutMs = 30000);

// Velto.exe next to the running test executable.
std::string BuiltProductPath();
