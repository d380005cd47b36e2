// Streams: the abstract stream with its buffer helpers and resource headers, memory and
// file streams, and the stream and filer exceptions.
#pragma once

#include <cstdio>
#include <vector>

#include "SysUtils.h"

class TComponent;

DECLARE_EXCEPTION(EStreamError, Exception)
DECLARE_EXCEPTION(EFCreateError, EStreamError)
DECLARE_EXCEPTION(EFOpenError, EStreamError)
DECLARE_EXCEPTION(EFilerError, EStreamError)
DECLARE_EXCEPTION(EReadError, EFilerError)
DECLARE_EXCEPTION(EWriteError, EFilerError)
DECLARE_EXCEPTION(EClassNotFound, EFilerError)
DECLARE_EXCEPTION(EInvalidImage, EFilerError)
DECLARE_EXCEPTION(EResNotFound, Exception)

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  DECLARE_CLASS(TStream, TObject)
 public:
  // As many bytes as there are, up to Count; the number read.
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  // The new position; a position before the start is refused with -1, as the file system does.
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  Int64 GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  virtual Int64 GetSize();
  virtual void SetSize(Int64 NewSize);
  // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  // Copies Count bytes from Source's position, or the whole of Source when Count is 0; the
  // number copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  // The 16-bit resource header before a form stream: FF 0A 00, the name up to a zero byte,
  // the flags 30 10 and the 32-bit size. ReadResHeader skips one or raises EInvalidImage
  // "Invalid stream format".
  void ReadResHeader();
  // Writes a header whose size is patched by FixupResourceHeader once the data follows.
  void WriteResourceHeader(const String& ResName, Int64& FixupInfo);
  void FixupResourceHeader(Int64 FixupInfo);

  // A component read from this stream's "TPF0" data: into Instance, or, when Instance is
  // null, a new one of the class the stream names (Reader.cpp).
  TComponent* ReadComponent(TComponent* Instance);
  // The same after a resource header.
  TComponent* ReadComponentRes(TComponent* Instance);
  void WriteComponent(TComponent* Instance);  // (Writer.cpp)
  void WriteComponentRes(const String& ResName, TComponent* Instance);
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
  DECLARE_CLASS(TMemoryStream, TStream)
 public:
  TMemoryStream() = default;
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 GetSize() override { return static_cast<Int64>(FData.size()); }
  void SetSize(Int64 NewSize) override;
  void Clear();
  const uint8_t* GetMemory() const { return FData.data(); }
  // The whole content as a string of bytes, and a stream's content replaced by one.
  String GetDataString() const { return String(FData.begin(), FData.end()); }
  void SetDataString(const String& Data);
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);

 private:
  std::vector<uint8_t> FData;
  size_t FPosition = 0;
};

// Open modes, and the sharing modes or-ed into them. Files here are never locked against
// other openers, so every sharing mode shares as fmShareDenyNone does.
enum : Word {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF
};

// A stream over a file: opened for reading or writing (fmOpenRead, fmOpenWrite,
// fmOpenReadWrite) or created (fmCreate). Only regular files are opened, so a device or a
// pipe cannot stall or exhaust a reader.
class TFileStream : public TStream {
  DECLARE_CLASS(TFileStream, TStream)
 public:
  TFileStream(const String& FileName, Word Mode);
  void Destroy() override;
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  const String& GetFileName() const { return FFileName; }

 protected:
  ~TFileStream() override;

 private:
  String FFileName;
  std::FILE* FFile = nullptr;
};

// Frees an object when the scope ends, the original's try/finally around a Free.
template <class T>
class TAutoFree {
 public:
  explicit TAutoFree(T* obj) : FObj(obj) {}
  ~TAutoFree() {
    if (FObj) FObj->Free();
  }
  TAutoFree(const TAutoFree&) = delete;
  TAutoFree& operator=(const TAutoFree&) = delete;
  T* operator->() const { return FObj; }
  T* Get() const { return FObj; }

 private:
  T* FObj;
};
