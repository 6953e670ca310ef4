#include "files/FileLoader.h"

#include "files/FileSystem.h"
#include "files/MemFileToRead.h"

cFileLoader::cFileLoader() : m_inMemory(false) {}

cFileLoader::~cFileLoader() { Close(); }

bool cFileLoader::Open(const char* path, bool inMemory) {
  cFileSystem* fileSystem = cFileSystem::Get();
  if (fileSystem == nullptr) {
    return false;
  }
  if (m_stream) {
    return fileSystem->Reopen(*m_stream, path);
  }
  m_inMemory = inMemory;
  if (inMemory) {
    m_stream = fileSystem->OpenMemRead(path);
  } else {
    m_stream = fileSystem->OpenRead(path);
  }
  return m_stream != nullptr;
}

bool cFileLoader::OpenNew(const char* path, bool inMemory) {
  if (m_stream) {
    return false;
  }
  return Open(path, inMemory);
}

const char* cFileLoader::GetBuffer() {
  if (!m_inMemory || !m_stream) {
    return nullptr;
  }
  return static_cast<cMemFileToRead*>(m_stream.get())->GetBuffer();
}

int cFileLoader::Close() {
  m_inMemory = false;
  if (!m_stream) {
    return 0;
  }
  int result = m_stream->Close();
  m_stream.reset();
  return result;
}

int cFileLoader::Read(void* buffer, int count) { return m_stream ? m_stream->Read(buffer, count) : 0; }

int cFileLoader::ReadLine(char* buffer, int length) { return m_stream ? m_stream->ReadLine(buffer, length) : 0; }

int cFileLoader::Seek(int offset, int origin) { return m_stream ? m_stream->Seek(offset, origin) : -1; }

int cFileLoader::Tell() { return m_stream ? m_stream->Tell() : 0; }

int cFileLoader::GetSize() { return m_stream ? m_stream->GetSize() : 0; }

bool cFileLoader::IsEOF() { return m_stream ? m_stream->IsEOF() != 0 : true; }

bool cFileLoader::IsEmpty() { return m_stream ? m_stream->GetSize() == 0 : true; }
