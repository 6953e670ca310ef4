// The one way the launcher and the finisher start a program, with the game-client
// stand-in (which logs its command line and folder) as the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/ProgramStart.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The stand-in's log once it is complete (up to 60 s), else "".
std::string WaitForLog(const char* path) {
  for (int waited = 0; waited < 60000; waited += 100) {
    FILE* file = std::fopen(path, "rb");
    if (file != nullptr) {
      char line[1024] = {};
      size_t length = std::fread(line, 1, sizeof(line) - 1, file);
      std::fclose(file);
      std::string text(line, length);
      if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) return text;
    }
    ::Sleep(100);
  }
  return std::string();
}

TEST(ProgramStart, StartsTheProgramWithTheCommandLineWhole) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  ::DeleteFileA("KQClient-Connect.log");
  ASSERT_TRUE(::CopyFileA((std::string(bin) + "\\KQClient-Connect.exe").c_str(), "KQClient-Connect.exe", FALSE));
  char folder[MAX_PATH] = {};
  ASSERT_GT(::GetCurrentDirectoryA(sizeof(folder), folder), 0u);
  struct Case {
    const char* name;
    std::string commandLine;
  };
  const Case cases[] = {
      {"the launch token", " vqtplmsozeb"},
      {"arguments of any length, passed whole", " " + std::string(300, 'a') + " \"b c\""},
      {"no arguments: the space alone", " "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA("KQClient-Connect.log");
    ASSERT_TRUE(ui::StartProgram("KQClient-Connect.exe", c.commandLine.c_str()));
    EXPECT_EQ(WaitForLog("KQClient-Connect.log"), c.commandLine + "\t" + folder + "\r\n");
  }
  ::DeleteFileA("KQClient-Connect.log");
  ::DeleteFileA("KQClient-Connect.exe");
}

TEST(ProgramStart, AMissingProgramIsNotStarted) {
  EXPECT_FALSE(ui::StartProgram("NoSuchProgram.exe", " x"));
  EXPECT_FALSE(ui::StartProgram(nullptr, " x"));
}

}  // namespace
