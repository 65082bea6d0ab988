#include "book/polyglot_file.h"

#include <cstdio>
#include <new>

#include "book/file_handle.h"

namespace talvik {

namespace {

// Byte by byte, so that the result is the same on little- and big-endian machines.
std::uint64_t readBe(const unsigned char* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

void writeBe(unsigned char* p, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) p[i] = static_cast<unsigned char>(value & 0xFF);
}

// Appends the whole entries of the file, checking their order as it goes.
PolyglotReadResult readEntries(std::FILE* file, std::vector<PolyglotEntry>& entries) {
  PolyglotReadResult result{PolyglotReadStatus::Ok};
  unsigned char block[PolyglotEntrySize * 256];
  std::size_t pending = 0;  // bytes of an unfinished entry at the start of the block
  for (;;) {
    const std::size_t got = std::fread(block + pending, 1, sizeof block - pending, file);
    result.bytes += got;
    const std::size_t available = pending + got;
    const std::size_t whole = available / PolyglotEntrySize;
    for (std::size_t i = 0; i < whole; ++i) {
      const PolyglotEntry entry = decodePolyglotEntry(block + i * PolyglotEntrySize);
      if (!entries.empty() && entry.key < entries.back().key) {
        result.status = PolyglotReadStatus::Unsorted;
        result.unsortedEntry = entries.size();
        return result;
      }
      entries.push_back(entry);
    }
    pending = available - whole * PolyglotEntrySize;
    for (std::size_t i = 0; i < pending; ++i) block[i] = block[whole * PolyglotEntrySize + i];
    if (got == 0) break;
  }
  if (result.bytes == 0) result.status = PolyglotReadStatus::Empty;
  else if (entries.empty()) result.status = PolyglotReadStatus::TooShort;
  else if (pending != 0) result.status = PolyglotReadStatus::Truncated;
  return result;
}

}  // namespace

void encodePolyglotEntry(const PolyglotEntry& entry, unsigned char* out) {
  writeBe(out, entry.key, 8);
  writeBe(out + 8, entry.move, 2);
  writeBe(out + 10, entry.weight, 2);
  writeBe(out + 12, entry.learn, 4);
}

PolyglotEntry decodePolyglotEntry(const unsigned char* in) {
  PolyglotEntry entry;
  entry.key = readBe(in, 8);
  entry.move = static_cast<std::uint16_t>(readBe(in + 8, 2));
  entry.weight = static_cast<std::uint16_t>(readBe(in + 10, 2));
  entry.learn = static_cast<std::uint32_t>(readBe(in + 12, 4));
  return entry;
}

PolyglotReadResult readPolyglotFile(const std::string& fileName, std::vector<PolyglotEntry>& entries) {
  entries.clear();
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return {PolyglotReadStatus::NotFound};
  PolyglotReadResult result{PolyglotReadStatus::TooLarge};
  try {
    result = readEntries(file.get(), entries);
  } catch (const std::bad_alloc&) {
    // A book larger than the memory (a real risk on a small 32-bit board).
    result.status = PolyglotReadStatus::TooLarge;
  }
  if (result.status != PolyglotReadStatus::Ok && result.status != PolyglotReadStatus::Truncated) {
    entries.clear();
    entries.shrink_to_fit();
  }
  return result;
}

bool writePolyglotFile(const std::string& fileName, const std::vector<PolyglotEntry>& entries) {
  FilePtr file(std::fopen(fileName.c_str(), "wb"));
  if (!file) return false;
  bool ok = true;
  unsigned char bytes[PolyglotEntrySize];
  for (const PolyglotEntry& entry : entries) {
    encodePolyglotEntry(entry, bytes);
    ok = ok && std::fwrite(bytes, 1, sizeof bytes, file.get()) == sizeof bytes;
  }
  return std::fclose(file.release()) == 0 && ok;
}

}  // namespace talvik
