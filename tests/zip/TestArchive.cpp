#include "TestArchive.h"

#include <cstring>
#include <stdexcept>

#include <zlib.h>

#include "zip/ZipHeaderKeys.h"

namespace {

void Put16(std::string& out, uint16_t v) {
  out += (char)(v & 0xFF);
  out += (char)(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, (uint16_t)(v & 0xFFFF));
  Put16(out, (uint16_t)(v >> 16));
}

// byte i ^= key[index[i mod 64]]: the first 64 table bytes are keys, the next 64 indices.
std::string Scramble(std::string bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = (char)(bytes[i] ^ ZIP_HEADER_KEY_TABLE[ZIP_HEADER_KEY_TABLE[64 + i % 64]]);
  }
  return bytes;
}

uint32_t Crc(const std::string& data) {
  return (uint32_t)crc32(0, reinterpret_cast<const Bytef*>(data.data()), (uInt)data.size());
}

}  // namespace

std::string Deflate(const std::string& data) {
  z_stream stream = {};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&stream, (uLong)data.size()) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = (uInt)data.size();
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = (uInt)out.size();
  int status = deflate(&stream, Z_FINISH);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(stream.total_out);
  return out;
}

std::string BuildArchive(const std::vector<TestEntry>& entries, const TestArchiveOptions& options) {
  std::string body;
  std::string central;
  for (const TestEntry& e : entries) {
    const uint32_t offset = (uint32_t)body.size();
    const std::string payload =
        e.storedData ? *e.storedData : (e.method == 8 ? Deflate(e.data) : e.data);
    const uint32_t crc = e.crc ? *e.crc : Crc(e.data);
    const uint16_t flags = (uint16_t)(e.flags | (e.dataDescriptor ? 0x0008 : 0));

    Put32(body, e.localSignature ? *e.localSignature : 0x04034B50);
    Put16(body, 20);
    Put16(body, flags);
    Put16(body, e.localMethod ? *e.localMethod : e.method);
    Put16(body, e.dosTime);
    Put16(body, e.dosDate);
    Put32(body, e.dataDescriptor ? 0 : crc);
    Put32(body, e.dataDescriptor ? 0 : (uint32_t)payload.size());
    Put32(body, e.dataDescriptor ? 0 : (e.localSize ? *e.localSize : (uint32_t)e.data.size()));
    Put16(body, (uint16_t)e.name.size());
    Put16(body, 0);
    body += e.name;
    body += payload;
    if (e.dataDescriptor) {
      Put32(body, 0x08074B50);
      Put32(body, crc);
      Put32(body, (uint32_t)payload.size());
      Put32(body, (uint32_t)e.data.size());
    }

    std::string fixed;
    Put32(fixed, 0x02014B50);
    Put16(fixed, e.madeBy);
    Put16(fixed, 20);
    Put16(fixed, flags);
    Put16(fixed, e.method);
    Put16(fixed, e.dosTime);
    Put16(fixed, e.dosDate);
    Put32(fixed, crc);
    Put32(fixed, e.centralCompressedSize ? *e.centralCompressedSize : (uint32_t)payload.size());
    Put32(fixed, e.centralSize ? *e.centralSize : (uint32_t)e.data.size());
    Put16(fixed, (uint16_t)e.name.size());
    Put16(fixed, 0);
    Put16(fixed, 0);
    Put16(fixed, 0);
    Put16(fixed, 0);
    Put32(fixed, e.externalAttr);
    Put32(fixed, e.localOffset ? *e.localOffset : offset);
    central += e.scrambled ? Scramble(fixed) + Scramble(e.name) : fixed + e.name;
  }

  std::string archive = options.prefix + body + central;
  Put32(archive, 0x06054B50);
  Put16(archive, 0);
  Put16(archive, 0);
  const uint16_t count = options.totalEntries ? *options.totalEntries : (uint16_t)entries.size();
  Put16(archive, count);
  Put16(archive, count);
  Put32(archive, options.centralSize ? *options.centralSize : (uint32_t)central.size());
  Put32(archive, options.centralOffset ? *options.centralOffset : (uint32_t)body.size());
  Put16(archive, options.commentLength ? *options.commentLength : (uint16_t)options.comment.size());
  return archive + options.comment + options.trailing;
}

std::string MakeContent(size_t size, unsigned seed, bool text) {
  static const char* const kWords[] = {"patch ", "archive ", "launcher ", "kq ", "data\n", "version ", "3DData "};
  std::string out;
  out.reserve(size);
  uint32_t x = seed * 2654435761u + 1;
  while (out.size() < size) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    if (text) {
      out += kWords[x % 7];
    } else {
      out += (char)(x >> 24);
    }
  }
  out.resize(size);
  return out;
}

uint16_t DosDate(int year, int month, int day) { return (uint16_t)(((year - 1980) << 9) | (month << 5) | day); }

uint16_t DosTime(int hour, int minute, int second) { return (uint16_t)((hour << 11) | (minute << 5) | (second / 2)); }
