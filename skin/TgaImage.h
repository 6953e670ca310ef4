// A Truevision TGA file decoded into memory: uncompressed (types 1, 2, 3) or
// run-length encoded (types 10, 11) data of 8, 24 or 32 bits per pixel. No colour
// map is read. Rows stay in the order of the file; pixels of 3 or 4 bytes are held
// as R, G, B (A), 1-byte pixels as stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cTgaImage {
public:
  cTgaImage();
  ~cTgaImage();
  cTgaImage(const cTgaImage&) = delete;
  cTgaImage& operator=(const cTgaImage&) = delete;

  // Reads the file at path through the file loader, whole into memory. False when
  // it cannot be opened or decoded; GetError then says why.
  bool Load(const char* path);
  // Decodes a TGA file held in memory. False when the bytes are refused; the image
  // is then empty and GetError says why.
  bool Read(const uint8_t* data, uint32_t size);
  // Empties the image and its error text.
  void Clear();

  uint32_t GetWidth() const { return m_width; }
  uint32_t GetHeight() const { return m_height; }
  uint32_t GetBytesPerPixel() const { return m_bytesPerPixel; }
  // width x height x bytes per pixel.
  uint32_t GetSize() const { return (uint32_t)m_pixels.size(); }
  uint8_t GetDescriptor() const { return m_descriptor; }
  // The decoded pixels, GetSize() bytes, or null when the image is empty.
  const uint8_t* GetPixels() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }
  // Why the last Load or Read failed; empty after a success.
  const std::string& GetError() const { return m_error; }

  // The largest pixel buffer accepted (64 MiB: 4096 x 4096 at 32 bits), far above
  // any skin picture; a header asking for more is refused before allocating.
  static constexpr uint64_t MAX_IMAGE_BYTES = 64u * 1024u * 1024u;

private:
  bool Fail(const std::string& reason);
  bool ReadUncompressed(const uint8_t* data, uint32_t size, uint32_t& position);
  bool ReadRunLength(const uint8_t* data, uint32_t size, uint32_t& position);
  void SwapRedBlue(uint32_t first, uint32_t end);

  uint32_t m_width;
  uint32_t m_height;
  uint32_t m_bytesPerPixel;
  uint8_t m_descriptor;
  std::vector<uint8_t> m_pixels;
  std::string m_error;
};
