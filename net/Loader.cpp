#include "net/Loader.h"

#include "net/ErrorPage.h"
#include "net/WinHandle.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

const char PATCH_LOG_NAME[] = "ZVPatchLog.txt";

namespace {

// INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT
// | INTERNET_FLAG_NO_COOKIES: always from the server, nothing cached, no redirects.
const DWORD kRequestFlags = 0x84280000;
const DWORD kNoTimeLimit = 0xFFFFFFFF;
const DWORD kTransferTimeoutMs = 100000;
const int kDefaultPort = 80;

// The current Windows error code, or fallback when the failing call left none.
int LastErrorOr(int fallback) {
  DWORD code = GetLastError();
  return code ? static_cast<int>(code) : fallback;
}

void SetRequestTimeouts(HINTERNET request) {
  DWORD connect = kNoTimeLimit;
  DWORD receive = kTransferTimeoutMs;
  DWORD send = kTransferTimeoutMs;
  InternetSetOptionA(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionA(request, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
}

// Sends the request with the extra header fields (each ended by CR LF; "" for none).
int SendRequest(HINTERNET request, const char* fields = "") {
  DWORD length = static_cast<DWORD>(std::strlen(fields));
  if (HttpSendRequestA(request, length ? fields : nullptr, length, nullptr, 0)) return LOADER_OK;
  return LastErrorOr(LOADER_ERR_UNSPECIFIED);
}

// The answer's status code; 0 when it cannot be read.
int QueryStatusCode(HINTERNET request) {
  DWORD code = 0;
  DWORD size = sizeof(code);
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) return 0;
  return static_cast<int>(code);
}

// The answer's validator into validator (HTTP_VALIDATOR_SIZE bytes): its ETag, else
// its Last-Modified, else "". One that could not be sent back counts as none.
void QueryValidator(HINTERNET request, char* validator) {
  const DWORD queries[] = {HTTP_QUERY_ETAG, HTTP_QUERY_LAST_MODIFIED};
  for (DWORD query : queries) {
    std::memset(validator, 0, HTTP_VALIDATOR_SIZE);
    DWORD size = HTTP_VALIDATOR_SIZE - 1;
    if (HttpQueryInfoA(request, query, validator, &size, nullptr) && IsUsableValidator(validator)) return;
  }
  std::memset(validator, 0, HTTP_VALIDATOR_SIZE);
}

bool QueryContentRange(HINTERNET request, unsigned* first, unsigned* last, unsigned* total) {
  char text[96] = {};
  DWORD size = sizeof(text) - 1;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_RANGE, text, &size, nullptr)) return false;
  return ParseContentRange(text, first, last, total);
}

int WriteAll(HANDLE file, const char* bytes, DWORD count) {
  DWORD written = 0;
  if (WriteFile(file, bytes, count, &written, nullptr) && written == count) return LOADER_OK;
  return LastErrorOr(LOADER_ERR_UNSPECIFIED);
}

// Keeps validator in the file name. A validator that cannot be written only means
// that a later run starts the file over.
void WriteValidator(const char* name, const char* validator) {
  WinHandle file(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file && WriteAll(file.Get(), validator, static_cast<DWORD>(std::strlen(validator))) == LOADER_OK) return;
  file.Reset();
  DeleteFileA(name);
}

// Moves the file's end to offset and writes from there on.
bool TruncateAt(HANDLE file, unsigned offset) {
  LARGE_INTEGER position;
  position.QuadPart = offset;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Reads a decimal length after optional white space; digits end at the first other
// character. False when the value does not fit 32 bits.
bool ParseLength(const char* text, unsigned* length) {
  while (*text == ' ' || *text == '\t') ++text;
  uint64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + static_cast<unsigned>(*text - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  *length = static_cast<unsigned>(value);
  return true;
}

// The announced content length; 0 when absent. False when it does not fit 32 bits.
bool QueryContentLength(HINTERNET request, unsigned* length) {
  char text[32] = {};
  DWORD textSize = sizeof(text);
  HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr);
  return ParseLength(text, length);
}

// True when the answer's content type marks it as a web page rather than a file.
bool IsWebPageAnswer(HINTERNET request) {
  char type[128] = {};
  DWORD typeSize = sizeof(type);
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_TYPE, type, &typeSize, nullptr)) return false;
  return std::strncmp(type, "text/html", 9) == 0 || std::strncmp(type, "application/xml", 15) == 0;
}

struct Chunk {
  int result;              // 0, or the code that ends the transfer
  DWORD size;              // bytes read into the target
  const char* failedCall;  // the WinINet call that failed, for the patch log
};

// Reads what is waiting, at most limit bytes, into target; stops first when the
// status word is non-zero.
Chunk ReadChunk(HINTERNET request, char* target, DWORD limit, const int* status) {
  if (*status) return {LOADER_CANCELLED, 0, nullptr};
  DWORD waiting = 0;
  if (!InternetQueryDataAvailable(request, &waiting, 0, 0)) {
    return {LastErrorOr(LOADER_ERR_UNSPECIFIED), 0, "InternetQueryDataAvailable"};
  }
  if (*status) return {LOADER_CANCELLED, 0, nullptr};
  DWORD received = 0;
  if (!InternetReadFile(request, target, std::min(waiting, limit), &received)) {
    return {LastErrorOr(LOADER_ERR_UNSPECIFIED), 0, "InternetReadFile"};
  }
  return {LOADER_OK, received, nullptr};
}

// Hands the progress to the callback while the status is 0 and stores its answer.
// True when the callback asked to stop at once.
bool ReportProgress(LoaderCallback callback, int* status, unsigned length, unsigned received, const char* name) {
  if (callback && *status == LOADER_STATUS_RUNNING) *status = callback(length, received, name);
  return *status == LOADER_STATUS_ABORT;
}

}  // namespace

Loader::Loader() : m_host(), m_port(kDefaultPort) {}

Loader::~Loader() { Disconnect(); }

int Loader::Connect(const char* host, int port) {
  Disconnect();
  if (port < 0 || port > 65535) return ERROR_INVALID_PARAMETER;
  if (port == 0) port = kDefaultPort;
  m_internet.Reset(InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!m_internet) return LastErrorOr(LOADER_ERR_UNSPECIFIED);
  m_connection.Reset(InternetConnectA(m_internet.Get(), host, static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                      INTERNET_SERVICE_HTTP, 0, 0));
  if (!m_connection) {
    int result = LastErrorOr(LOADER_ERR_UNSPECIFIED);
    Disconnect();
    return result;
  }
  lstrcpynA(m_host, host, sizeof(m_host));
  m_port = port;
  return LOADER_OK;
}

void Loader::Disconnect() {
  m_connection.Reset();
  m_internet.Reset();
}

int Loader::OpenRequest(const char* path, InternetHandle& request) {
  request.Reset(HttpOpenRequestA(m_connection.Get(), "GET", path, "HTTP/1.0", nullptr, nullptr, kRequestFlags, 0));
  if (!request) return LastErrorOr(LOADER_ERR_UNSPECIFIED);
  SetRequestTimeouts(request.Get());
  return LOADER_OK;
}

int Loader::DownloadToMemory(const char* path, LoaderCallback callback, int* status, const char* userData,
                             char** block, unsigned* size) {
  if (*status) return LOADER_CANCELLED;
  InternetHandle request;
  int result = OpenRequest(path, request);
  if (result) return result;
  if ((result = SendRequest(request.Get()))) return result;
  unsigned length = 0;
  if (!QueryContentLength(request.Get(), &length) || length > LOADER_MEMORY_LIMIT) return LOADER_ERR_TOO_LARGE;
  if (length == 0) return LastErrorOr(LOADER_ERR_NO_LENGTH);

  *size = length;
  char* data = static_cast<char*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, length + 1));
  if (!data) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  *block = data;
  result = ReceiveIntoBlock(request.Get(), length, callback, status, userData, data);
  if (IsKnownErrorPage(data, *size)) {
    *size = 0;
    result = LOADER_ERROR_PAGE;
  }
  return result;
}

int Loader::ReceiveIntoBlock(HINTERNET request, unsigned length, LoaderCallback callback, int* status,
                             const char* userData, char* block) {
  unsigned received = 0;
  while (received < length) {
    Chunk chunk = ReadChunk(request, block + received, length - received, status);
    if (chunk.result) return chunk.result;
    if (chunk.size == 0) return LOADER_ERR_INCOMPLETE;
    received += chunk.size;
    if (ReportProgress(callback, status, length, received, userData)) return LOADER_CANCELLED;
  }
  return LOADER_OK;
}

int Loader::DownloadToFile(const char* path, LoaderCallback callback, int* status, const char* localName,
                           unsigned* size) {
  if (*status) return LOADER_CANCELLED;
  *size = 0;
  FileTransfer transfer;
  int result = Transfer(path, callback, status, localName, localName, &transfer);
  *size = transfer.total;
  return result;
}

int Loader::DownloadToFileFrom(const char* path, LoaderCallback callback, int* status, const char* localName,
                               const char* name, FileTransfer* transfer) {
  transfer->httpStatus = 0;
  transfer->total = 0;
  transfer->held = transfer->offset;
  transfer->retryable = false;
  if (*status) return LOADER_CANCELLED;
  return Transfer(path, callback, status, localName, name, transfer);
}

int Loader::Transfer(const char* path, LoaderCallback callback, int* status, const char* localName, const char* name,
                     FileTransfer* transfer) {
  // One byte more than a read can fill, always zero, ends the text of a logged page.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[LOADER_TRANSFER_BUFFER_SIZE + 1]());
  if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
  return ReceiveFile(path, callback, status, localName, name, buffer.get(), transfer);
}

int Loader::ReceiveFile(const char* path, LoaderCallback callback, int* status, const char* localName,
                        const char* name, char* buffer, FileTransfer* transfer) {
  InternetHandle request;
  int result = OpenRequest(path, request);
  if (result) {
    WriteLog("HttpOpenRequest");
    return result;
  }
  const bool continuing = transfer->offset > 0 && IsUsableValidator(transfer->validator);
  char fields[HTTP_VALIDATOR_SIZE + 64] = {};
  if (continuing) {
    std::snprintf(fields, sizeof(fields), "Range: bytes=%u-\r\nIf-Range: %s\r\n", transfer->offset,
                  transfer->validator);
  }
  if ((result = SendRequest(request.Get(), fields))) {
    transfer->retryable = true;
    return result;
  }
  transfer->httpStatus = QueryStatusCode(request.Get());
  if (continuing && transfer->httpStatus == HTTP_STATUS_PARTIAL_CONTENT) {
    return ReceiveRest(request.Get(), callback, status, localName, name, buffer, transfer);
  }
  if (continuing && transfer->httpStatus != HTTP_STATUS_OK) {
    transfer->retryable = true;
    return LOADER_ERR_HTTP_STATUS;
  }
  return ReceiveWhole(request.Get(), callback, status, localName, name, buffer, transfer);
}

// The whole file from its first byte: the local file is created anew.
int Loader::ReceiveWhole(HINTERNET request, LoaderCallback callback, int* status, const char* localName,
                         const char* name, char* buffer, FileTransfer* transfer) {
  transfer->held = 0;
  // No status line: the connection closed before any answer (WinINet takes that for
  // an answer without fields).
  if (transfer->httpStatus == 0) {
    transfer->retryable = true;
    return ERROR_HTTP_INVALID_SERVER_RESPONSE;
  }
  QueryValidator(request, transfer->validator);
  unsigned length = 0;
  if (!QueryContentLength(request, &length)) return LOADER_ERR_TOO_LARGE;
  transfer->total = length;
  if (length == 0) {
    int result = LastErrorOr(LOADER_ERR_NO_LENGTH);
    WriteLog("fileSize == 0");
    return result;
  }
  if (transfer->validatorName) DeleteFileA(transfer->validatorName);
  WinHandle file(CreateFileA(localName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    int result = LastErrorOr(LOADER_ERR_UNSPECIFIED);
    WriteLog("CreateFile Error");
    return result;
  }
  if (transfer->validatorName && transfer->validator[0]) WriteValidator(transfer->validatorName, transfer->validator);
  int result = ReceiveIntoFile(request, file.Get(), length, callback, status, name, buffer, transfer);
  file.Reset();
  if (result == LOADER_OK && *status == LOADER_STATUS_COMPLETE) LogWebPage(request, status, buffer);
  return result;
}

// The rest of the file after transfer->offset, appended to the bytes held.
int Loader::ReceiveRest(HINTERNET request, LoaderCallback callback, int* status, const char* localName,
                        const char* name, char* buffer, FileTransfer* transfer) {
  unsigned first = 0, last = 0, total = 0, length = 0;
  if (!QueryContentRange(request, &first, &last, &total) || first != transfer->offset || last != total - 1 ||
      !QueryContentLength(request, &length) || length != total - first) {
    transfer->retryable = true;
    return LOADER_ERR_BAD_RANGE;
  }
  transfer->total = total;
  WinHandle file(CreateFileA(localName, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !TruncateAt(file.Get(), first)) {
    int result = LastErrorOr(LOADER_ERR_UNSPECIFIED);
    WriteLog("CreateFile Error");
    return result;
  }
  return ReceiveIntoFile(request, file.Get(), total, callback, status, name, buffer, transfer);
}

// Receives into file from its current end until transfer->held reaches total; the
// callback sees total and the bytes held.
int Loader::ReceiveIntoFile(HINTERNET request, HANDLE file, unsigned total, LoaderCallback callback, int* status,
                            const char* name, char* buffer, FileTransfer* transfer) {
  while (transfer->held < total) {
    Chunk chunk = ReadChunk(request, buffer, std::min(total - transfer->held, LOADER_TRANSFER_BUFFER_SIZE), status);
    if (chunk.result) {
      if (chunk.failedCall) {
        WriteLog(chunk.failedCall);
        transfer->retryable = true;
      }
      return chunk.result;
    }
    if (chunk.size == 0) {
      transfer->retryable = true;
      return LOADER_ERR_INCOMPLETE;
    }
    int written = WriteAll(file, buffer, chunk.size);
    if (written) return written;
    // Every chunk is read to the buffer's start: end its text here, so a logged web
    // page is this last chunk alone, never followed by the tail of a longer one.
    buffer[chunk.size] = '\0';
    transfer->held += chunk.size;
    if (ReportProgress(callback, status, total, transfer->held, name)) return LOADER_CANCELLED;
  }
  return LOADER_OK;
}

// A complete answer that is a web page instead of the file: its text (the last chunk
// read) goes to the log and the status tells the caller.
void Loader::LogWebPage(HINTERNET request, int* status, const char* buffer) {
  if (!IsWebPageAnswer(request)) return;
  WriteLog(buffer);
  *status = LOADER_STATUS_WEB_PAGE;
}

int Loader::ClearLog() { return DeleteFileA(PATCH_LOG_NAME); }

int Loader::WriteLog(const char* text) {
  // Binary mode: every line ends with a single line feed, whatever the runtime's default.
  FILE* log = std::fopen(PATCH_LOG_NAME, "a+b");
  if (!log) return 0;
  bool written = std::fprintf(log, "%s\n", text) >= 0;
  bool closed = std::fclose(log) == 0;
  return written && closed ? 1 : 0;
}
