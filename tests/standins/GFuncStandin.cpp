// Stand-in for one build of the graphics-function module. The launcher only copies
// it; the build's name is compiled in so that the two builds differ.
#include <windows.h>

extern "C" __declspec(dllexport) const char* WINAPI NorvGFuncBuild() { return "NorvGFunc " KQ_GFUNC_BUILD; }
