#include "tests/launcher/LanguageTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string RunningTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

}  // namespace

LanguageFolder::LanguageFolder() : m_folder(RunningTestName()), m_current(m_folder.Path()) {}

cLanguageTexts LanguageFolder::Load(const std::map<std::string, std::string>& files) {
  std::error_code error;
  fs::remove_all(m_folder.Path() / "Image", error);
  for (const auto& file : files) {
    WriteBytes(m_folder.Path() / "Image" / "AutoPatch" / "KR" / file.first, file.second);
  }
  cLanguageTexts texts;
  texts.LoadLanguageTexts();
  return texts;
}

std::vector<std::string> PatchLines(const cLanguageTexts& texts) {
  std::vector<std::string> lines;
  for (int i = 0; i < cLanguageTexts::PATCH_MSG_LINES; ++i) {
    lines.push_back(texts.GetPatchMsg(i));
  }
  return lines;
}

std::vector<std::string> ErrorLines(const cLanguageTexts& texts) {
  std::vector<std::string> lines;
  for (int i = 0; i < cLanguageTexts::ERROR_MSG_LINES; ++i) {
    lines.push_back(texts.GetErrorMsg(i));
  }
  return lines;
}

std::vector<std::string> UrlLines(const cLanguageTexts& texts) {
  std::vector<std::string> lines;
  for (int i = 0; i < cLanguageTexts::URL_LINES; ++i) {
    lines.push_back(texts.GetUrl(i));
  }
  return lines;
}

std::vector<std::string> Padded(std::vector<std::string> lines, size_t count) {
  lines.resize(count);
  return lines;
}
