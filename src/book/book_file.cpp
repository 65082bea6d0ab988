#include "book/book_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "book/file_handle.h"

namespace talvik {

namespace {

std::uint64_t readLe(const unsigned char* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

void writeLe(unsigned char* p, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i, value >>= 8) p[i] = static_cast<unsigned char>(value & 0xFF);
}

}  // namespace

void encodeBookEntry(const BookEntry& entry, unsigned char* out) {
  writeLe(out, entry.key, 8);
  writeLe(out + 8, entry.move, 4);
  writeLe(out + 12, entry.count, 2);
  writeLe(out + 14, entry.points, 2);
}

BookEntry decodeBookEntry(const unsigned char* in) {
  BookEntry entry;
  entry.key = readLe(in, 8);
  entry.move = static_cast<Move>(readLe(in + 8, 4));
  entry.count = static_cast<std::uint16_t>(readLe(in + 12, 2));
  entry.points = static_cast<std::uint16_t>(readLe(in + 14, 2));
  return entry;
}

bool hasBookMagic(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  char magic[4];
  return file && std::fread(magic, 1, sizeof magic, file.get()) == sizeof magic && std::memcmp(magic, "BOOK", 4) == 0;
}

BookReadResult readBookFile(const std::string& fileName, std::vector<BookEntry>& entries) {
  entries.clear();
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return {BookReadStatus::NotFound};
  unsigned char header[BookHeaderSize];
  if (std::fread(header, 1, sizeof header, file.get()) != sizeof header || std::memcmp(header, "BOOK", 4) != 0 ||
      readLe(header + 4, 4) != BookVersion)
    return {BookReadStatus::BadHeader};
  const auto declared = static_cast<std::uint32_t>(readLe(header + 8, 4));
  // Read in blocks rather than trusting the declared count for one allocation:
  // a corrupt header must not make the engine reserve gigabytes.
  unsigned char block[BookEntrySize * 256];
  std::uint32_t remaining = declared;
  while (remaining > 0) {
    const std::size_t want = std::min<std::uint32_t>(remaining, 256);
    const std::size_t got = std::fread(block, BookEntrySize, want, file.get());
    for (std::size_t i = 0; i < got; ++i) entries.push_back(decodeBookEntry(block + i * BookEntrySize));
    remaining -= static_cast<std::uint32_t>(got);
    if (got < want) break;
  }
  return {remaining == 0 ? BookReadStatus::Ok : BookReadStatus::Truncated, declared};
}

bool writeBookFile(const std::string& fileName, const std::vector<BookEntry>& entries) {
  FilePtr file(std::fopen(fileName.c_str(), "wb"));
  if (!file) return false;
  unsigned char header[BookHeaderSize];
  std::memcpy(header, "BOOK", 4);
  writeLe(header + 4, BookVersion, 4);
  writeLe(header + 8, entries.size(), 4);
  bool ok = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header;
  unsigned char bytes[BookEntrySize];
  for (const BookEntry& entry : entries) {
    encodeBookEntry(entry, bytes);
    ok = ok && std::fwrite(bytes, 1, sizeof bytes, file.get()) == sizeof bytes;
  }
  return std::fclose(file.release()) == 0 && ok;
}

}  // namespace talvik
