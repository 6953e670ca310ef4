// The baseline for the unpacking benchmark: the least work that unpacks a plain
// archive written by kqpack (sizes in the local headers, no data descriptors). Walks
// the local headers from the start of the file and inflates each entry in 64 KiB
// chunks into its file. No central directory, no CRC, no times or attributes, no
// temporary file: what is left is reading, inflating and writing. With --checked it
// also computes each entry's CRC-32 and sets each file's time from its DOS time (the
// two duties of a real extraction that cost the most), to show where kqpack's time
// beyond the bare loop goes.
//
// usage: bench_zip_inflate [--checked] ARCHIVE DEST
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>
#include <utime.h>
#include <vector>

#include <zlib.h>

namespace {

const size_t kChunk = 65536;

uint32_t Get32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24); }
uint16_t Get16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

void MakeParents(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
  }
}

bool ReadAll(FILE* in, void* buffer, size_t n) { return fread(buffer, 1, n, in) == n; }

bool g_checked = false;
uint32_t g_crc = 0;

bool WriteOut(int out, const unsigned char* data, size_t n) {
  if (g_checked) g_crc = (uint32_t)crc32(g_crc, data, (uInt)n);
  return write(out, data, n) == (ssize_t)n;
}

void SetTime(const std::string& path, uint16_t dosTime, uint16_t dosDate) {
  struct tm when = {};
  when.tm_year = ((dosDate >> 9) & 0x7F) + 80;
  when.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
  when.tm_mday = dosDate & 0x1F;
  when.tm_hour = dosTime >> 11;
  when.tm_min = (dosTime >> 5) & 0x3F;
  when.tm_sec = (dosTime & 0x1F) * 2;
  when.tm_isdst = -1;
  struct utimbuf times = {time(nullptr), mktime(&when)};
  utime(path.c_str(), &times);
}

bool Inflate(FILE* in, int out, uint32_t compressed, std::vector<unsigned char>& input,
             std::vector<unsigned char>& output) {
  z_stream stream = {};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    if (stream.avail_in == 0) {
      size_t take = compressed < kChunk ? compressed : kChunk;
      if (take == 0 || !ReadAll(in, input.data(), take)) break;
      compressed -= (uint32_t)take;
      stream.next_in = input.data();
      stream.avail_in = (uInt)take;
    }
    stream.next_out = output.data();
    stream.avail_out = (uInt)kChunk;
    status = inflate(&stream, Z_SYNC_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    size_t produced = kChunk - stream.avail_out;
    if (produced && !WriteOut(out, output.data(), produced)) break;
  }
  inflateEnd(&stream);
  return status == Z_STREAM_END;
}

bool Copy(FILE* in, int out, uint32_t size, std::vector<unsigned char>& buffer) {
  while (size > 0) {
    size_t take = size < kChunk ? size : kChunk;
    if (!ReadAll(in, buffer.data(), take) || !WriteOut(out, buffer.data(), take)) return false;
    size -= (uint32_t)take;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--checked") == 0) {
    g_checked = true;
    ++argv;
    --argc;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_zip_inflate [--checked] ARCHIVE DEST\n");
    return 2;
  }
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) return 1;
  setvbuf(in, nullptr, _IONBF, 0);
  const std::string dest = argv[2];
  mkdir(dest.c_str(), 0777);
  std::vector<unsigned char> input(kChunk), output(kChunk);
  unsigned char local[30];
  while (ReadAll(in, local, sizeof(local)) && Get32(local) == 0x04034B50) {
    const uint16_t method = Get16(local + 8);
    const uint32_t compressed = Get32(local + 18);
    std::string name(Get16(local + 26), '\0');
    if (!ReadAll(in, &name[0], name.size()) || std::fseek(in, Get16(local + 28), SEEK_CUR) != 0) return 1;
    const std::string path = dest + "/" + name;
    if (!name.empty() && name.back() == '/') {
      MakeParents(path);
      continue;
    }
    int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 && errno == ENOENT) {
      MakeParents(path);
      out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    }
    if (out < 0) return 1;
    g_crc = 0;
    bool ok = method == 8 ? Inflate(in, out, compressed, input, output) : Copy(in, out, compressed, input);
    if (close(out) != 0 || !ok) return 1;
    if (g_checked) {
      if (g_crc != Get32(local + 14)) return 1;
      SetTime(path, Get16(local + 10), Get16(local + 12));
    }
  }
  std::fclose(in);
  return 0;
}
