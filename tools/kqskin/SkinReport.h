// What "kqskin check" prints about a loaded skin: one summary line per dialog and
// component, the launcher's own needs (the dialog "main" and its seven components of
// the right kinds), and warnings about images that cannot hold what the controls
// draw from them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class cSkinManager;

// Writes one line per dialog and, indented, one per component.
void PrintSkinSummary(const cSkinManager& skin, FILE* out);
// Empty when the skin has what the launcher looks up; else the first thing missing.
std::string FindLauncherGap(const cSkinManager& skin);
// Things a skin author should look at; none of them stops the launcher.
std::vector<std::string> CollectSkinWarnings(const cSkinManager& skin);
