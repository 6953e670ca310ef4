// Starting another program of the game folder: the launcher starts the game client
// and the update finisher, the finisher starts the launcher again. One way for all
// three, so they start alike.
#pragma once

namespace ui {

// Starts program (a file name, looked up as CreateProcess does) with commandLine
// passed whole (it begins with a space where a program name would stand): its
// window shown normally, no handles inherited, the default error mode, this
// process's environment and current folder. The new process's handles are closed at
// once. True when the process was created.
bool StartProgram(const char* program, const char* commandLine);

}  // namespace ui
