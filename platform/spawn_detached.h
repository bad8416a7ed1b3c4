#pragma once
// Starts a program without waiting for it and without leaving a zombie behind.
#include <string>
#include <vector>

// argv[0] is looked up on PATH. True once the program has been executed; false when it could not
// be found or started (nothing is reported beyond the result).
bool SpawnDetached(const std::vector<std::string>& argv);
