// Download throughput: Loader::DownloadToFile with the worker's progress callback
// against a bare WinINet read loop with the same 1 MiB buffer, on the same file from
// the same server, in alternating order, best of several rounds. Also counts the
// callbacks and the download text refreshes that the window would get.
//
// usage: bench_download <port> <path> [rounds]   (server on 127.0.0.1)
#include "net/InternetHandle.h"
#include "net/Loader.h"
#include "net/WinHandle.h"
#include "patch/Patcher.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const double kMiB = 1048576.0;
const char kLoaderFile[] = "bench_loader.bin";
const char kBareFile[] = "bench_bare.bin";

// Counts what the engine hands to its window.
class CountingWindow : public cPatchWindow {
public:
  void SetPatchStep(int, unsigned) override { ++steps; }
  void SetPatchProgress(const char*, unsigned) override {}
  void SetDownloadText(unsigned total, unsigned, const char*) override {
    if (total) ++texts;
  }
  void SetVersionText(const char*) override {}
  void RedrawVersionArea() override {}
  void OnPatchFinished(bool) override {}

  long steps = 0;
  long texts = 0;
};

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Round {
  double seconds = 0;
  unsigned bytes = 0;
  bool ok = false;
};

Round LoaderRound(int port, const char* path, CountingWindow& window) {
  Round round;
  cPatcher engine(&window);
  if (!engine.Init(nullptr, GetModuleHandleA(nullptr))) return round;
  Loader loader;
  if (loader.Connect("127.0.0.1", port) != 0) return round;
  int status = 0;
  double start = Seconds();
  int result = loader.DownloadToFile(path, cPatcher::DownloadCallback, &status, kLoaderFile, &round.bytes);
  round.seconds = Seconds() - start;
  round.ok = result == 0 && status == LOADER_STATUS_COMPLETE;
  DeleteFileA(kLoaderFile);
  return round;
}

// The same transfer without the loader: open, send, then read what is waiting into
// one 1 MiB buffer and write it out, until the announced length has arrived.
Round BareRound(int port, const char* path) {
  Round round;
  InternetHandle internet(InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  InternetHandle connection(
      InternetConnectA(internet.Get(), "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                       INTERNET_SERVICE_HTTP, 0, 0));
  std::unique_ptr<char[]> buffer(new char[LOADER_TRANSFER_BUFFER_SIZE]);
  double start = Seconds();
  InternetHandle request(
      HttpOpenRequestA(connection.Get(), "GET", path, "HTTP/1.0", nullptr, nullptr, 0x84280000, 0));
  if (!request || !HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return round;
  char text[32] = {};
  DWORD textSize = sizeof(text);
  HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr);
  unsigned length = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
  WinHandle file(CreateFileA(kBareFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  while (file && round.bytes < length) {
    DWORD waiting = 0, received = 0, written = 0;
    if (!InternetQueryDataAvailable(request.Get(), &waiting, 0, 0)) break;
    waiting = std::min<DWORD>(waiting, LOADER_TRANSFER_BUFFER_SIZE);
    if (!InternetReadFile(request.Get(), buffer.get(), waiting, &received) || received == 0) break;
    if (!WriteFile(file.Get(), buffer.get(), received, &written, nullptr) || written != received) break;
    round.bytes += received;
  }
  file.Reset();
  round.seconds = Seconds() - start;
  round.ok = length != 0 && round.bytes == length;
  DeleteFileA(kBareFile);
  return round;
}

double Rate(const Round& round) { return round.bytes / kMiB / round.seconds; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_download <port> <path> [rounds]\n");
    return 2;
  }
  int port = std::atoi(argv[1]);
  const char* path = argv[2];
  int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

  Round bestLoader, bestBare;
  CountingWindow lastWindow;
  for (int i = 0; i < rounds; ++i) {
    // Alternate the order, so neither side always runs on a warmer system.
    CountingWindow window;
    Round loader, bare;
    if (i % 2 == 0) {
      loader = LoaderRound(port, path, window);
      bare = BareRound(port, path);
    } else {
      bare = BareRound(port, path);
      loader = LoaderRound(port, path, window);
    }
    if (!loader.ok || !bare.ok) {
      std::fprintf(stderr, "round %d failed (loader %d, bare %d)\n", i + 1, loader.ok, bare.ok);
      return 1;
    }
    std::printf("round %d: DownloadToFile %.1f MB/s, bare loop %.1f MB/s\n", i + 1, Rate(loader), Rate(bare));
    if (bestLoader.seconds == 0 || loader.seconds < bestLoader.seconds) {
      bestLoader = loader;
      lastWindow = window;
    }
    if (bestBare.seconds == 0 || bare.seconds < bestBare.seconds) bestBare = bare;
  }
  std::printf("file: %.0f MB (1 MB = 1048576 bytes), best of %d rounds\n", bestLoader.bytes / kMiB, rounds);
  std::printf("DownloadToFile:    %8.1f MB/s (%.2f s)\n", Rate(bestLoader), bestLoader.seconds);
  std::printf("bare WinINet loop: %8.1f MB/s (%.2f s)\n", Rate(bestBare), bestBare.seconds);
  std::printf("ratio:             %8.3f (target 0.95 or better)\n", Rate(bestLoader) / Rate(bestBare));
  std::printf("worker callbacks:  %ld in the best loader round\n", lastWindow.steps);
  std::printf("download text:     %ld refreshes in %.2f s (%.1f per second)\n", lastWindow.texts, bestLoader.seconds,
              lastWindow.texts / bestLoader.seconds);
  return 0;
}
