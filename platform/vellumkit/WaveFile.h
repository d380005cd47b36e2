// Writing the mixer's output to a 16-bit stereo PCM wave file as it is rendered.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "WaveClip.h"

// Streams samples to the file block by block, so a session of any length costs the same
// memory; the sizes in the header are written when the file is closed. A wave file cannot
// hold more than 4 GiB of samples (about six hours at the mixer's rate): past that, samples
// are counted as lost instead of written. Errors carry the system's reason.
class TWaveFileWriter {
 public:
  TWaveFileWriter() = default;
  ~TWaveFileWriter();
  TWaveFileWriter(const TWaveFileWriter&) = delete;
  TWaveFileWriter& operator=(const TWaveFileWriter&) = delete;

  // Creates or truncates the file and writes a header; false with the reason.
  bool Open(const std::string& fileName, std::string* error = nullptr);
  // Interleaved stereo float, each sample clamped to [-1, 1]. False once the file failed.
  bool Write(const float* samples, uint64_t frames);
  // Writes the final sizes and closes; false with the reason of the first failure. A file
  // that cannot be rewound (a pipe) keeps the header's "length unknown" sizes.
  bool Close(std::string* error = nullptr);

  bool IsOpen() const { return FFile != nullptr; }
  uint64_t GetWrittenFrames() const { return FWrittenFrames; }
  // Frames that did not fit the format's size limit.
  uint64_t GetLostFrames() const { return FLostFrames; }

  // The most frames one file holds.
  static constexpr uint64_t kMaxFrames = (0xFFFFFFFFull - 36) / (kMixChannels * 2);

 private:
  void Failed(const char* doing);

  std::FILE* FFile = nullptr;
  std::string FFileName;
  std::string FError;
  uint64_t FWrittenFrames = 0;
  uint64_t FLostFrames = 0;
};
