// The launcher's language: it names the folder of the skin and of the language
// texts under "Image/AutoPatch/". Fixed in the program.
#pragma once

inline constexpr char LANGUAGE_CODE[] = "KR";
