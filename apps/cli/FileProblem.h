// Why a file cannot be read or written, in the words of the file system:
// asked when a load or a save has failed, or before writing, so that a user
// reads "does not exist" or "permission denied" rather than an error code.
#pragma once
#include <string>

// The cause in plain words for a system error number ("does not exist",
// "permission denied", "is a folder", else the system's own text).
std::string SystemCause(int nErrno);
// Why the file cannot be opened for reading; empty when it can.
std::string ReadProblem(const std::string& strPath);
// Why a file cannot be created or replaced at strPath (a folder there, a
// missing or read-only folder); empty when nothing is seen in the way.
std::string WriteProblem(const std::string& strPath);
