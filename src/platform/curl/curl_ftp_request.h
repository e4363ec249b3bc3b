// The request and the byte sink shared by the session's commands and the request loop.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "platform/curl/curl_ftp.h"

namespace quo {

// Where the bytes of a request go.
struct CurlFtpSession::Sink {
  std::FILE* file = nullptr;
  std::string* text = nullptr;
  Sha256* hash = nullptr;  // of the whole file, its first offset bytes included
  // Lets window events run when they are due; false when the transfer is abandoned.
  std::function<bool()> tick;
  std::int64_t offset = 0;  // bytes of the file kept from an earlier attempt
  std::int64_t bytes = 0, max = 0;  // bytes of this attempt; the file's largest size
  bool tooBig = false, writeFailed = false;

  // Back to the state before the request: the file cut to its first offset bytes, the hash fed
  // with them.
  void Restart();
  static size_t Write(char* data, size_t, size_t n, void* self);
};

struct CurlFtpSession::Request {
  std::string path;  // escaped, after the "/" that follows the host
  bool nobody = true, listOnly = false;
  std::int64_t resumeFrom = 0;
  std::int64_t maxFileSize = 0;  // curl refuses a file the server announces larger (0: none)
  std::vector<std::string> quote;
  Sink* sink = nullptr;
};

}  // namespace quo
