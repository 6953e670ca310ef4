// The least a launcher must do before it can offer the game: fetch the version
// record once with WinINet. Exits 0 when 21 bytes arrived.
//
// usage: record_fetch <port> <path>   (server on 127.0.0.1)
#include <windows.h>
#include <wininet.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HINTERNET internet = InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(std::atoi(argv[1])),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, "GET", argv[2], "HTTP/1.0", nullptr, nullptr, 0x84280000, 0);
  char record[64] = {};
  DWORD total = 0, read = 0;
  if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
    while (total < sizeof(record) && InternetReadFile(request, record + total, sizeof(record) - total, &read) && read)
      total += read;
  }
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
  return total == 21 ? 0 : 1;
}
