// The streaming wave-file writer.
#include "WaveFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

void PutLE(uint8_t*& at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) *at++ = static_cast<uint8_t>(v >> (8 * i));
}

// A canonical 44-byte header; `dataBytes` 0xFFFFFFFF says "until the end of the stream".
void MakeHeader(uint8_t (&header)[44], uint32_t dataBytes) {
  uint8_t* at = header;
  std::memcpy(at, "RIFF", 4);
  at += 4;
  PutLE(at, dataBytes == 0xFFFFFFFF ? dataBytes : 36 + dataBytes, 4);
  std::memcpy(at, "WAVEfmt ", 8);
  at += 8;
  PutLE(at, 16, 4);
  PutLE(at, 1, 2);  // PCM
  PutLE(at, kMixChannels, 2);
  PutLE(at, kMixRate, 4);
  PutLE(at, kMixRate * kMixChannels * 2, 4);
  PutLE(at, kMixChannels * 2, 2);
  PutLE(at, 16, 2);
  std::memcpy(at, "data", 4);
  at += 4;
  PutLE(at, dataBytes, 4);
}

}  // namespace

TWaveFileWriter::~TWaveFileWriter() { Close(); }

void TWaveFileWriter::Failed(const char* doing) {
  if (FError.empty()) FError = std::string(doing) + " " + FFileName + ": " + std::strerror(errno);
}

bool TWaveFileWriter::Open(const std::string& fileName, std::string* error) {
  Close();
  FFileName = fileName;
  FError.clear();
  FWrittenFrames = FLostFrames = 0;
  FFile = std::fopen(fileName.c_str(), "wb");
  if (!FFile) {
    Failed("cannot write");
    if (error) *error = FError;
    return false;
  }
  uint8_t header[44];
  MakeHeader(header, 0xFFFFFFFF);
  if (std::fwrite(header, 1, sizeof(header), FFile) != sizeof(header)) Failed("cannot write");
  if (error) *error = FError;
  return FError.empty();
}

bool TWaveFileWriter::Write(const float* samples, uint64_t frames) {
  if (!FFile || !FError.empty()) return false;
  const uint64_t room = kMaxFrames - FWrittenFrames;
  FLostFrames += frames - std::min(frames, room);
  frames = std::min(frames, room);
  int16_t block[1024 * kMixChannels];
  while (frames > 0) {
    const uint64_t n = std::min<uint64_t>(frames, 1024);
    for (uint64_t i = 0; i < n * kMixChannels; ++i) {
      const auto v = static_cast<int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
      // Little-endian on disk, whatever the machine.
      const auto u = static_cast<uint16_t>(v);
      uint8_t* b = reinterpret_cast<uint8_t*>(&block[i]);
      b[0] = static_cast<uint8_t>(u & 0xFF);
      b[1] = static_cast<uint8_t>(u >> 8);
    }
    if (std::fwrite(block, sizeof(int16_t) * kMixChannels, n, FFile) != n) {
      Failed("cannot write");
      return false;
    }
    FWrittenFrames += n;
    samples += n * kMixChannels;
    frames -= n;
  }
  return true;
}

bool TWaveFileWriter::Close(std::string* error) {
  if (FFile) {
    if (std::fflush(FFile) != 0) Failed("cannot write");
    uint8_t header[44];
    MakeHeader(header, static_cast<uint32_t>(FWrittenFrames * kMixChannels * 2));
    // A pipe or a terminal cannot be rewound; its reader takes the sizes as unknown.
    if (std::fseek(FFile, 0, SEEK_SET) == 0) {
      if (std::fwrite(header, 1, sizeof(header), FFile) != sizeof(header)) Failed("cannot write");
    }
    if (std::fclose(FFile) != 0) Failed("cannot write");
    FFile = nullptr;
  }
  if (error) *error = FError;
  return FError.empty();
}
