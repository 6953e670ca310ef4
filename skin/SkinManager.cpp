#include "skin/SkinManager.h"

#include "files/FileLoader.h"
#include "skin/SkinLexer.h"
#include "skin/SkinParser.h"

cSkinManager::cSkinManager(const char* skinFolder) : m_errorLine(0) {
  cSkinComponentResource::SetSkinFolder(skinFolder != nullptr ? skinFolder : "");
}

cSkinManager::~cSkinManager() = default;

bool cSkinManager::Fail(const std::string& source, int line, const std::string& reason) {
  m_errorSource = source;
  m_errorLine = line;
  m_errorReason = reason;
  return false;
}

void cSkinManager::ClearError() {
  m_errorSource.clear();
  m_errorLine = 0;
  m_errorReason.clear();
}

std::string cSkinManager::GetErrorText() const {
  if (m_errorReason.empty()) {
    return std::string();
  }
  std::string where = m_errorSource;
  if (m_errorLine > 0) {
    where += ":" + std::to_string(m_errorLine);
  }
  return where + ": " + m_errorReason;
}

bool cSkinManager::Load(const char* path) {
  std::string source = path != nullptr ? path : "";
  cFileLoader loader;
  if (path == nullptr || !loader.Open(path, true)) {
    return Fail(source, 0, "cannot open the skin script");
  }
  return LoadText(loader.GetBuffer(), (uint32_t)loader.GetSize(), source.c_str());
}

bool cSkinManager::LoadText(const char* text, uint32_t size, const char* sourceName) {
  std::string source = sourceName != nullptr ? sourceName : "";
  ClearError();
  cSkinLexer lexer(text, text != nullptr ? size : 0);
  cSkinParser parser(&lexer, source.c_str());
  for (;;) {
    if (lexer.SkipSpaces()) {
      return true;
    }
    cToken token;
    int kind = lexer.NextToken(token);
    if (lexer.IsLastAtEnd()) {
      continue;  // the text ended inside a comment
    }
    if (kind == TOKEN_ERROR) {
      return Fail(source, token.line, "the lexer cannot read \"" + token.text + "\"");
    }
    if (token.text != "dialog") {
      return Fail(source, token.line, "expected \"dialog\" at the top level, found \"" + token.text + "\"");
    }
    std::string name;
    parser.ReadString(name);
    std::unique_ptr<cSkinDialogResource> dialog(new cSkinDialogResource);
    if (!dialog->Parse(parser)) {
      return Fail(source, parser.GetFailLine(), parser.GetFailReason());
    }
    m_dialogs.try_emplace(name, std::move(dialog));
  }
}

cSkinDialogResource* cSkinManager::FindDialog(const char* name) const {
  if (name == nullptr) {
    return nullptr;
  }
  auto found = m_dialogs.find(name);
  return found != m_dialogs.end() ? found->second.get() : nullptr;
}
