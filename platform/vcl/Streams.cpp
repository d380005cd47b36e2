// Streams over memory and files, and the resource header of form streams.
#include "Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

IMPLEMENT_CLASS(TStream, TObject)
IMPLEMENT_CLASS(TMemoryStream, TStream)
IMPLEMENT_CLASS(TFileStream, TStream)

namespace {
constexpr const char* SReadError = "Stream read error";
constexpr const char* SWriteError = "Stream write error";
constexpr const char* SInvalidImage = "Invalid stream format";
}  // namespace

// ---- TStream -------------------------------------------------------------------------------

Int64 TStream::GetSize() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->GetSize();
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<Int64>(Count, 0xF000)));
  Int64 left = Count;
  while (left > 0) {
    Integer n = static_cast<Integer>(std::min<Int64>(left, static_cast<Int64>(buffer.size())));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

void TStream::ReadResHeader() {
  uint8_t head[3];
  if (Read(head, 3) != 3 || head[0] != 0xFF || head[1] != 10 || head[2] != 0) throw EInvalidImage(SInvalidImage);
  char c;
  do {
    if (Read(&c, 1) != 1) throw EInvalidImage(SInvalidImage);
  } while (c != 0);
  uint8_t rest[6];  // flags and size; the size is not trusted, the stream's own end is
  if (Read(rest, 6) != 6) throw EInvalidImage(SInvalidImage);
}

void TStream::WriteResourceHeader(const String& ResName, Int64& FixupInfo) {
  const uint8_t head[3] = {0xFF, 10, 0};
  WriteBuffer(head, 3);
  String name = UpperCase(ResName);
  WriteBuffer(name.c_str(), static_cast<Integer>(name.size()) + 1);
  const uint8_t flags[2] = {0x30, 0x10};
  WriteBuffer(flags, 2);
  FixupInfo = GetPosition();
  const uint8_t size[4] = {0, 0, 0, 0};
  WriteBuffer(size, 4);
}

void TStream::FixupResourceHeader(Int64 FixupInfo) {
  Int64 end = GetPosition();
  Int64 size = end - FixupInfo - 4;
  if (size < 0 || size > UINT32_MAX) throw EWriteError(SWriteError);
  const uint8_t bytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size >> 16),
                            static_cast<uint8_t>(size >> 24)};
  SetPosition(FixupInfo);
  WriteBuffer(bytes, 4);
  SetPosition(end);
}

// ---- TMemoryStream -------------------------------------------------------------------------

Integer TMemoryStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0 || FPosition >= FData.size()) return 0;
  size_t n = std::min(static_cast<size_t>(Count), FData.size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, n);
  FPosition += n;
  return static_cast<Integer>(n);
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  size_t n = static_cast<size_t>(Count);
  if (FPosition + n > FData.size()) FData.resize(FPosition + n);
  std::memcpy(FData.data() + FPosition, Buffer, n);
  FPosition += n;
  return Count;
}

Int64 TMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 base = Origin == soBeginning ? 0 : Origin == soCurrent ? static_cast<Int64>(FPosition) : GetSize();
  Int64 pos = base + Offset;
  if (pos < 0) return -1;
  FPosition = static_cast<size_t>(pos);
  return pos;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) throw EStreamError("Stream size cannot be changed");
  FData.resize(static_cast<size_t>(NewSize));
  if (FPosition > FData.size()) FPosition = FData.size();
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::SetDataString(const String& Data) {
  FData.assign(Data.begin(), Data.end());
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 size = Stream->GetSize();
  FData.resize(static_cast<size_t>(size));
  Stream->ReadBuffer(FData.data(), static_cast<Integer>(size));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TAutoFree<TFileStream> file(new TFileStream(FileName, fmOpenRead));
  LoadFromStream(file.Get());
}

void TMemoryStream::SaveToFile(const String& FileName) {
  TAutoFree<TFileStream> file(new TFileStream(FileName, fmCreate));
  file->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

// ---- TFileStream ---------------------------------------------------------------------------

TFileStream::TFileStream(const String& FileName, Word Mode) : FFileName(FileName) {
  const bool create = Mode == fmCreate;
  int flags = create ? O_RDWR | O_CREAT | O_TRUNC : (Mode & 3) == fmOpenWrite ? O_WRONLY : (Mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  int fd = ::open(FileName.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  String reason;
  if (fd < 0) {
    reason = std::strerror(errno);
  } else {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      reason = "Not a regular file";
      ::close(fd);
      fd = -1;
    } else {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      const char* how = create || (Mode & 3) == fmOpenReadWrite ? "r+b" : (Mode & 3) == fmOpenWrite ? "wb" : "rb";
      FFile = ::fdopen(fd, how);
      if (!FFile) {
        reason = std::strerror(errno);
        ::close(fd);
      }
    }
  }
  if (!FFile) {
    if (create) throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(), reason.c_str()));
    throw EFOpenError(Format("Cannot open file \"%s\". %s", FileName.c_str(), reason.c_str()));
  }
}

void TFileStream::Destroy() {
  if (FFile) std::fclose(FFile);
  FFile = nullptr;
  inherited::Destroy();
}

TFileStream::~TFileStream() {
  if (FFile) std::fclose(FFile);
}

Integer TFileStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  return static_cast<Integer>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}

Integer TFileStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  return static_cast<Integer>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (::fseeko(FFile, static_cast<off_t>(Offset), whence) != 0) return -1;
  return static_cast<Int64>(::ftello(FFile));
}
