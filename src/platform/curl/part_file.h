// The partial file of a download ("name.part"): the system's side of opening it safely, setting
// its size, reading it back, and putting it in place. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace quo {

// The partial file an earlier attempt left, when resume is asked and it may be continued (an
// ordinary file of ours with no other name, not longer than maxSize when maxSize >= 0; offset:
// its size); otherwise a new empty one (offset 0), created afresh once whatever else stood at
// its name is removed. No link planted at the name is followed or written through. Opened for
// reading and writing; nullptr when it cannot be.
std::FILE* OpenPartFile(const std::string& path, bool resume, std::int64_t maxSize,
                        std::int64_t& offset);
// Makes the file size bytes long, when it is not already (cutting costs a full write-back at
// close on ext4); pending writes are flushed first.
bool SizePartFile(std::FILE* file, std::int64_t size);
// Reads up to n bytes at offset: the bytes read, 0 at the end, -1 on failure. The stream's
// position must be set again afterwards (SeekPartFile).
std::int64_t ReadPartFile(std::FILE* file, void* buffer, std::size_t n, std::int64_t offset);
bool SeekPartFile(std::FILE* file, std::int64_t offset);
// Puts the finished file at target, replacing what stood there.
bool RenamePartFile(const std::string& path, const std::string& target);
void RemovePartFile(const std::string& path);

}  // namespace quo
