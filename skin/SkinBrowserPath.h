// Finding the user's web browser: the program the system opens ".htm" files with.
// Windows only.
#pragma once

#include <string>

// Creates the empty file probeName in the current folder, asks the system which
// program opens it (FindExecutable, whose answer is at most MAX_PATH characters),
// deletes the file and returns the program's path; empty when the file cannot be
// created or no program is registered. A file of that name that exists already is
// asked about as it is and kept, content and all.
std::string FindHtmlBrowser(const char* probeName = "dummy.htm");
