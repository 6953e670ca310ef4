// The launch options over a fixed list of display modes and a recording window:
// the option file, the list of modes, and the rules between toggle and selection.
#include "launcher/LaunchOptions.h"
#include "launcher/SystemDisplayModes.h"
#include "tests/files/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char OPTION_FILE[] = "AutopatchOption.opt";

struct Mode {
  DWORD width, height, bits, rate;
  bool operator==(const Mode& other) const {
    return width == other.width && height == other.height && bits == other.bits && rate == other.rate;
  }
};

std::ostream& operator<<(std::ostream& out, const Mode& mode) {
  return out << mode.width << "x" << mode.height << "x" << mode.bits << "@" << mode.rate;
}

Mode ModeOf(const DEVMODEA& mode) {
  return {mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel, mode.dmDisplayFrequency};
}

// A display that reports a fixed list of modes and a fixed current mode.
class FixedDisplayModes : public cDisplayModeSource {
public:
  FixedDisplayModes(Mode desktop, std::vector<Mode> modes) : m_desktop(desktop), m_modes(std::move(modes)) {}

  bool GetMode(DWORD index, DEVMODEA* mode) override {
    if (index >= m_modes.size()) {
      return false;
    }
    Fill(m_modes[index], mode);
    return true;
  }
  bool GetCurrentMode(DEVMODEA* mode) override {
    Fill(m_desktop, mode);
    return true;
  }

private:
  static void Fill(const Mode& from, DEVMODEA* mode) {
    mode->dmPelsWidth = from.width;
    mode->dmPelsHeight = from.height;
    mode->dmBitsPerPel = from.bits;
    mode->dmDisplayFrequency = from.rate;
  }

  Mode m_desktop;
  std::vector<Mode> m_modes;
};

// The window's combo box and toggle, kept as plain state, with a log of the calls
// that change them.
class RecordingControls : public cLaunchOptionControls {
public:
  void ResetModeList() override {
    items.clear();
    selection = -1;
    calls.push_back("reset");
  }
  void InsertMode(int index, const char* text) override {
    if (index >= 0 && index <= (int)items.size()) {
      items.insert(items.begin() + index, text);
    }
  }
  int GetModeSelection() override { return selection; }
  void SelectMode(int index) override {
    selection = index >= 0 && index < (int)items.size() ? index : -1;
    calls.push_back("select " + std::to_string(index));
  }
  void SetWindowedCheck(bool isChecked) override {
    checked = isChecked;
    calls.push_back(isChecked ? "check" : "uncheck");
  }

  // What the user does: the toggle inverts itself, then notifies.
  void PressToggle(cLaunchOptions& options) {
    checked = !checked;
    options.OnFullButton(*this);
  }
  void Choose(cLaunchOptions& options, int index) {
    selection = index;
    options.OnResolutionChange(*this);
  }

  std::vector<std::string> items;
  int selection = -1;
  bool checked = false;
  std::vector<std::string> calls;
};

std::string RunningTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

// Each test runs in its own current folder, where the option file lives.
class LaunchOptionsTest : public ::testing::Test {
protected:
  LaunchOptionsTest() : m_folder(RunningTestName()), m_current(m_folder.Path()) {}

  void WriteOptionFile(const std::string& content) { WriteBytes(m_folder.Path() / OPTION_FILE, content); }
  std::string OptionFile() const { return ReadBytes(m_folder.Path() / OPTION_FILE); }

  // Reads the option file and builds the list as the window's creation does; the
  // toggle starts with the flag read.
  void Open(cLaunchOptions& options, RecordingControls& controls) {
    options.ReadLaunchOptions();
    controls.checked = options.IsWindowed();
    options.BuildDisplayModeList(controls);
  }

  ScratchFolder m_folder;
  CurrentFolderGuard m_current;
};

const Mode DESKTOP_1024 = {1024, 768, 32, 60};

// 800x600, the desktop 1024x768, and (after them) the window-size entry.
FixedDisplayModes SmallDisplay() { return FixedDisplayModes(DESKTOP_1024, {{800, 600, 32, 60}, {1024, 768, 32, 60}}); }

TEST_F(LaunchOptionsTest, WithoutOptionFileTheDesktopIsChosenInFullScreen) {
  FixedDisplayModes display(DESKTOP_1024, {{800, 600, 32, 75}, {1024, 768, 32, 75}, {1280, 1024, 32, 60},
                                           {1024, 768, 32, 60}, {1024, 768, 32, 85}});
  cLaunchOptions options(display);
  RecordingControls controls;
  EXPECT_EQ(options.ReadLaunchOptions(), 0);
  EXPECT_FALSE(options.IsWindowed());
  EXPECT_EQ(ModeOf(options.GetOptionMode()), DESKTOP_1024);

  controls.checked = options.IsWindowed();
  options.BuildDisplayModeList(controls);
  EXPECT_EQ(controls.items,
            (std::vector<std::string>{"  800 X  600", " 1024 X  768", " 1280 X 1024", " 1024 X  710"}));
  EXPECT_EQ(controls.selection, 1);
  EXPECT_FALSE(controls.checked);
  EXPECT_EQ(options.GetDesktopModeIndex(), 1);
  EXPECT_EQ(options.GetWindowModeIndex(), 3);

  EXPECT_EQ(options.WriteLaunchOptions(controls), 1);
  EXPECT_EQ(OptionFile(), "15050301 0 1024 768 32 60");
}

// Each file is read after a valid windowed one, so a rejected file must also reset
// what the valid one had set.
TEST_F(LaunchOptionsTest, OptionFileIsTakenWholeOrNotAtAll) {
  struct Case {
    const char* title;
    std::string content;
    int result;
    int windowed;
    Mode mode;
  };
  const Mode desktop = DESKTOP_1024;
  const std::vector<Case> cases = {
      {"valid", "15050301 1 1280 1024 32 75", 1, 1, {1280, 1024, 32, 75}},
      {"lower ends, line end and spaces", "  15050301\n0 800 600 16 60\r\n", 1, 0, {800, 600, 16, 60}},
      {"upper ends, any windowed value", "15050301 -7 4096 4096 32 1000", 1, -7, {4096, 4096, 32, 1000}},
      {"8 bits per pixel", "15050301 1 1280 1024 8 75", 0, 0, desktop},
      {"59 Hz, a laptop panel", "15050301 1 1280 1024 32 59", 1, 1, {1280, 1024, 32, 59}},
      {"50 Hz, a television", "15050301 1 1024 710 32 50", 1, 1, {1024, 710, 32, 50}},
      {"the display's default rate 0", "15050301 1 1024 710 32 0", 1, 1, {1024, 710, 32, 0}},
      {"the display's default rate 1", "15050301 0 800 600 32 1", 1, 0, {800, 600, 32, 1}},
      {"2 Hz", "15050301 1 800 600 32 2", 1, 1, {800, 600, 32, 2}},
      {"a negative rate reads as a huge unsigned", "15050301 1 800 600 32 -1", 0, 0, desktop},
      {"width 799", "15050301 1 799 600 32 60", 0, 0, desktop},
      {"height 4097", "15050301 1 800 4097 32 60", 0, 0, desktop},
      {"33 bits per pixel", "15050301 1 800 600 33 60", 0, 0, desktop},
      {"1001 Hz", "15050301 1 800 600 32 1001", 0, 0, desktop},
      {"negative width reads as a huge unsigned", "15050301 1 -800 600 32 60", 0, 0, desktop},
      {"other mark", "15050302 1 1280 1024 32 75", 0, 0, desktop},
      {"missing refresh rate", "15050301 1 1280 1024 32", 0, 0, desktop},
      {"number too large for an int", "15050301 1 1280 99999999999 32 75", 0, 0, desktop},
      {"text instead of numbers", "15050301 one 1280 1024 32 75", 0, 0, desktop},
      {"empty file", "", 0, 0, desktop},
  };
  FixedDisplayModes display = SmallDisplay();
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    cLaunchOptions options(display);
    WriteOptionFile("15050301 1 1152 864 32 70");
    ASSERT_EQ(options.ReadLaunchOptions(), 1);
    WriteOptionFile(row.content);
    EXPECT_EQ(options.ReadLaunchOptions(), row.result);
    EXPECT_EQ(options.GetWindowedFlag(), row.windowed);
    EXPECT_EQ(ModeOf(options.GetOptionMode()), row.mode);
  }
}

TEST_F(LaunchOptionsTest, SavedChoiceIsRestored) {
  struct Case {
    const char* title;
    std::string content;
    int selection;
    bool windowed;
    std::vector<std::string> calls;  // after the list's reset
  };
  const std::vector<Case> cases = {
      {"windowed at the desktop size loads as full screen", "15050301 1 1024 768 32 60", 1, false,
       {"select 1", "uncheck"}},
      {"windowed at the window size", "15050301 1 1024 710 32 60", 2, true, {"select 2"}},
      {"full screen at another resolution", "15050301 0 800 600 32 75", 0, false, {"select 0"}},
      {"windowed at a resolution that is not offered", "15050301 1 1600 1200 32 60", -1, true, {}},
      {"8 bits per pixel is ignored as a whole", "15050301 1 800 600 8 60", 1, false, {"select 1"}},
      {"59 Hz, a laptop panel's rate, is kept", "15050301 1 800 600 32 59", 0, true, {"select 0"}},
  };
  FixedDisplayModes display = SmallDisplay();
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    WriteOptionFile(row.content);
    cLaunchOptions options(display);
    RecordingControls controls;
    Open(options, controls);
    EXPECT_EQ(controls.selection, row.selection);
    EXPECT_EQ(options.IsWindowed(), row.windowed);
    EXPECT_EQ(controls.checked, row.windowed);
    ASSERT_FALSE(controls.calls.empty());
    EXPECT_EQ(controls.calls.front(), "reset");
    EXPECT_EQ(std::vector<std::string>(controls.calls.begin() + 1, controls.calls.end()), row.calls);
  }
}

TEST_F(LaunchOptionsTest, ListHoldsEachUsableResolutionOnce) {
  struct Case {
    const char* title;
    Mode desktop;
    std::vector<Mode> reported;
    std::vector<Mode> listed;  // the window-size entry included
    int desktopIndex;
  };
  const std::vector<Case> cases = {
      {"modes below 32 bits, 60 Hz, 800 by 600 are left out",
       {1024, 768, 32, 60},
       {{1024, 768, 16, 60}, {1024, 768, 24, 60}, {1024, 768, 32, 59}, {799, 600, 32, 60}, {800, 599, 32, 60},
        {800, 600, 32, 60}, {1024, 768, 32, 60}},
       {{800, 600, 32, 60}, {1024, 768, 32, 60}, {1024, 710, 32, 60}},
       1},
      {"duplicates keep the first rate",
       {1024, 768, 32, 60},
       {{1280, 1024, 32, 75}, {1280, 1024, 32, 85}, {1024, 768, 32, 70}, {1024, 768, 32, 72}},
       {{1280, 1024, 32, 75}, {1024, 768, 32, 70}, {1024, 710, 32, 60}},
       1},
      {"the desktop's rate replaces the first one",
       {1920, 1080, 32, 144},
       {{1280, 1024, 32, 60}, {1920, 1080, 32, 60}, {1280, 1024, 32, 144}, {1280, 1024, 32, 75},
        {1920, 1080, 32, 144}},
       {{1280, 1024, 32, 144}, {1920, 1080, 32, 144}, {1024, 710, 32, 144}},
       1},
      {"the window entry copies the desktop's depth and rate",
       {1600, 900, 16, 50},
       {{800, 600, 32, 60}},
       {{800, 600, 32, 60}, {1024, 710, 16, 50}},
       -1},
      {"no usable mode: the window entry alone", {640, 480, 32, 60}, {{640, 480, 32, 60}}, {{1024, 710, 32, 60}}, -1},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    FixedDisplayModes display(row.desktop, row.reported);
    cLaunchOptions options(display);
    RecordingControls controls;
    Open(options, controls);
    std::vector<Mode> listed;
    for (int i = 0; i < options.GetDisplayModeCount(); ++i) {
      listed.push_back(ModeOf(options.GetDisplayMode(i)));
    }
    EXPECT_EQ(listed, row.listed);
    EXPECT_EQ(controls.items.size(), row.listed.size());
    EXPECT_EQ(options.GetDesktopModeIndex(), row.desktopIndex);
    EXPECT_EQ(options.GetWindowModeIndex(), (int)row.listed.size() - 1);
    EXPECT_EQ(controls.selection, row.desktopIndex);
  }
}

// 300 distinct resolutions: the first 255 are listed, the window size takes the last
// place, and a mode at the desktop's rate still replaces a listed resolution.
TEST_F(LaunchOptionsTest, MoreThan255ResolutionsKeepTheWindowEntryLast) {
  std::vector<Mode> reported;
  for (DWORD i = 0; i < 300; ++i) {
    reported.push_back({800 + i, 600, 32, 75});
  }
  reported.push_back({800, 600, 32, 60});
  FixedDisplayModes display({800 + 299, 600, 32, 60}, reported);
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);

  ASSERT_EQ(options.GetDisplayModeCount(), cLaunchOptions::MAX_DISPLAY_MODES);
  ASSERT_EQ(controls.items.size(), (size_t)cLaunchOptions::MAX_DISPLAY_MODES);
  EXPECT_EQ(ModeOf(options.GetDisplayMode(0)), (Mode{800, 600, 32, 60}));
  EXPECT_EQ(ModeOf(options.GetDisplayMode(254)), (Mode{800 + 254, 600, 32, 75}));
  EXPECT_EQ(controls.items[254], " 1054 X  600");
  EXPECT_EQ(options.GetWindowModeIndex(), 255);
  EXPECT_EQ(ModeOf(options.GetDisplayMode(255)), (Mode{1024, 710, 32, 60}));
  EXPECT_EQ(controls.items[255], " 1024 X  710");
  EXPECT_EQ(options.GetDesktopModeIndex(), -1) << "the desktop's resolution came after the list was full";
  EXPECT_EQ(controls.selection, -1);
}

TEST_F(LaunchOptionsTest, ToggleMovesBetweenDesktopAndWindowSize) {
  FixedDisplayModes display = SmallDisplay();
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  ASSERT_EQ(controls.selection, 1);

  controls.PressToggle(options);
  EXPECT_TRUE(options.IsWindowed());
  EXPECT_EQ(controls.selection, 2) << "1024 by 710 is the largest that fits inside 1024 by 768";
  EXPECT_EQ(options.WriteLaunchOptions(controls), 1);
  EXPECT_EQ(OptionFile(), "15050301 1 1024 710 32 60");

  controls.PressToggle(options);
  EXPECT_FALSE(options.IsWindowed());
  EXPECT_EQ(controls.selection, 1);
  EXPECT_EQ(options.WriteLaunchOptions(controls), 1);
  EXPECT_EQ(OptionFile(), "15050301 0 1024 768 32 60");

  // A mode that fits is kept when going windowed.
  controls.selection = 0;
  controls.PressToggle(options);
  EXPECT_TRUE(options.IsWindowed());
  EXPECT_EQ(controls.selection, 0);
}

TEST_F(LaunchOptionsTest, ToggleIntoWindowedLeavesAModeThatDoesNotFit) {
  FixedDisplayModes display({1024, 768, 32, 60}, {{1024, 768, 32, 60}, {1280, 1024, 32, 60}});
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  controls.selection = 1;
  controls.PressToggle(options);
  EXPECT_EQ(controls.selection, 2);

  // Nothing fits inside an 800 by 600 desktop: the flag changes, the selection stays.
  FixedDisplayModes tiny({800, 600, 32, 60}, {{800, 600, 32, 60}});
  cLaunchOptions tinyOptions(tiny);
  RecordingControls tinyControls;
  Open(tinyOptions, tinyControls);
  ASSERT_EQ(tinyControls.selection, 0);
  tinyControls.PressToggle(tinyOptions);
  EXPECT_TRUE(tinyOptions.IsWindowed());
  EXPECT_EQ(tinyControls.selection, 0);
}

TEST_F(LaunchOptionsTest, BestWindowedModeIsTheLastThatGrowsInBothDirections) {
  struct Case {
    const char* title;
    std::vector<Mode> reported;
    Mode desktop;
    int best;
  };
  const std::vector<Case> cases = {
      {"wider but lower and higher but narrower are passed over",
       {{1000, 700, 32, 60}, {1200, 600, 32, 60}, {900, 750, 32, 60}, {1280, 720, 32, 60}, {1280, 800, 32, 60}},
       {1280, 800, 32, 60},
       3},
      {"equal width fits, equal height does not",
       {{800, 600, 32, 60}, {1024, 768, 32, 60}},
       {1024, 768, 32, 60},
       2},
      {"nothing fits", {{800, 600, 32, 60}}, {800, 600, 32, 60}, -1},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    FixedDisplayModes display(row.desktop, row.reported);
    cLaunchOptions options(display);
    RecordingControls controls;
    Open(options, controls);
    EXPECT_EQ(options.FindBestWindowedMode(options.GetDesktopMode()), row.best);
  }
}

TEST_F(LaunchOptionsTest, SelectionDecidesBetweenWindowAndFullScreen) {
  struct Case {
    const char* title;
    Mode desktop;
    bool windowedBefore;
    int selection;
    bool windowedAfter;
    std::vector<std::string> calls;
  };
  // The list: 800x600, 1024x768, 1280x1024, then the window size 1024x710.
  const std::vector<Case> cases = {
      {"full screen, the window size", DESKTOP_1024, false, 3, true, {"check"}},
      {"full screen, another mode", DESKTOP_1024, false, 2, false, {}},
      {"windowed, a mode that fits", DESKTOP_1024, true, 0, true, {}},
      {"windowed, the desktop size", DESKTOP_1024, true, 1, false, {"uncheck"}},
      {"windowed, a mode larger than the desktop", DESKTOP_1024, true, 2, false, {"uncheck"}},
      {"windowed, the window size on a desktop too small for it", {800, 600, 32, 60}, true, 3, true, {}},
      {"no selection", DESKTOP_1024, true, -1, true, {}},
      {"a selection past the list", DESKTOP_1024, false, 4, false, {}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    FixedDisplayModes display(row.desktop, {{800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 1024, 32, 60}});
    WriteOptionFile(row.windowedBefore ? "15050301 1 1280 1024 32 60" : "15050301 0 1280 1024 32 60");
    cLaunchOptions options(display);
    RecordingControls controls;
    Open(options, controls);
    ASSERT_EQ(options.IsWindowed(), row.windowedBefore);
    controls.calls.clear();
    controls.Choose(options, row.selection);
    EXPECT_EQ(options.IsWindowed(), row.windowedAfter);
    EXPECT_EQ(controls.calls, row.calls);
  }
}

TEST_F(LaunchOptionsTest, WrittenFileReadsBackTheSameChoice) {
  FixedDisplayModes display(DESKTOP_1024, {{800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 1024, 32, 75}});
  {
    cLaunchOptions options(display);
    RecordingControls controls;
    Open(options, controls);
    controls.Choose(options, 2);
    ASSERT_EQ(options.WriteLaunchOptions(controls), 1);
  }
  EXPECT_EQ(OptionFile(), "15050301 0 1280 1024 32 75");
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  EXPECT_EQ(controls.selection, 2);
  EXPECT_FALSE(options.IsWindowed());
}

// The window-size entry takes the desktop's refresh rate, whatever it is: the
// display's default (0 or 1), a television's 50 Hz, a laptop panel's 59 Hz, or a
// monitor's. The file written for a windowed or a full-screen choice on such a
// desktop must bring the same choice back at the next start.
TEST_F(LaunchOptionsTest, ChoiceOnAnyDesktopRateIsKept) {
  const DWORD rates[] = {0, 1, 50, 59, 60, 75};
  for (DWORD rate : rates) {
    const Mode desktop = {1280, 1024, 32, rate};
    FixedDisplayModes display(desktop, {{800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 1024, 32, 60}, desktop});
    struct Choice {
      const char* title;
      bool windowSize;  // else the desktop's resolution in full screen
    };
    const Choice choices[] = {{"windowed at the window size", true}, {"full screen at the desktop size", false}};
    for (const Choice& choice : choices) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, " << choice.title);
      int chosen = -1;
      bool windowed = false;
      {
        cLaunchOptions options(display);
        RecordingControls controls;
        Open(options, controls);
        chosen = choice.windowSize ? options.GetWindowModeIndex() : options.GetDesktopModeIndex();
        ASSERT_GE(chosen, 0);
        controls.Choose(options, chosen);
        windowed = options.IsWindowed();
        ASSERT_EQ(windowed, choice.windowSize);
        ASSERT_EQ(options.WriteLaunchOptions(controls), 1);
      }
      if (choice.windowSize) {
        EXPECT_EQ(OptionFile(), "15050301 1 1024 710 32 " + std::to_string(rate));
      }
      cLaunchOptions options(display);
      RecordingControls controls;
      EXPECT_EQ(options.ReadLaunchOptions(), 1) << OptionFile();
      controls.checked = options.IsWindowed();
      options.BuildDisplayModeList(controls);
      EXPECT_EQ(controls.selection, chosen);
      EXPECT_EQ(options.IsWindowed(), windowed);
      EXPECT_EQ(controls.checked, windowed);
    }
  }
}

TEST_F(LaunchOptionsTest, NoSelectionWritesTheDesktopMode) {
  WriteOptionFile("15050301 1 1600 1200 32 60");
  FixedDisplayModes display({1024, 768, 16, 70}, {{800, 600, 32, 60}, {1024, 768, 32, 60}});
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  ASSERT_EQ(controls.selection, -1);
  EXPECT_EQ(options.WriteLaunchOptions(controls), 1);
  EXPECT_EQ(OptionFile(), "15050301 1 1024 768 16 70");
}

TEST_F(LaunchOptionsTest, UnwritableFileGivesZero) {
  FixedDisplayModes display = SmallDisplay();
  fs::create_directory(m_folder.Path() / OPTION_FILE);
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  EXPECT_EQ(options.WriteLaunchOptions(controls), 0);
  EXPECT_TRUE(fs::is_directory(m_folder.Path() / OPTION_FILE));

  cLaunchOptions elsewhere(display, "./missing/AutopatchOption.opt");
  elsewhere.BuildDisplayModeList(controls);
  EXPECT_EQ(elsewhere.WriteLaunchOptions(controls), 0);
  EXPECT_FALSE(fs::exists(m_folder.Path() / "missing"));
}

// The system's own list, whatever the display offers: only usable modes, each
// resolution once, the window size last.
TEST_F(LaunchOptionsTest, SystemDisplayModesGiveAUsableList) {
  cSystemDisplayModes display;
  cLaunchOptions options(display);
  RecordingControls controls;
  Open(options, controls);
  int count = options.GetDisplayModeCount();
  ASSERT_GE(count, 1);
  EXPECT_EQ(options.GetWindowModeIndex(), count - 1);
  EXPECT_EQ(ModeOf(options.GetDisplayMode(count - 1)).width, 1024u);
  EXPECT_EQ(ModeOf(options.GetDisplayMode(count - 1)).height, 710u);
  std::set<std::pair<DWORD, DWORD>> seen;
  for (int i = 0; i < count - 1; ++i) {
    Mode mode = ModeOf(options.GetDisplayMode(i));
    SCOPED_TRACE(::testing::PrintToString(mode));
    EXPECT_EQ(mode.bits, 32u);
    EXPECT_GE(mode.rate, 60u);
    EXPECT_GE(mode.width, 800u);
    EXPECT_GE(mode.height, 600u);
    EXPECT_TRUE(seen.insert({mode.width, mode.height}).second);
  }
  EXPECT_EQ(controls.items.size(), (size_t)count);
}

}  // namespace
