// The request and the byte sink shared by the session's commands and the request loop.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/curl_ftp.h"

namespace quo {

// Where the bytes of a request go.
struct CurlFtpSession::Sink {
  std::FILE* file = nullptr;
  std::string* text = nullptr;
  std::int64_t bytes = 0, max = 0;
  bool tooBig = false, writeFailed = false;

  void Restart();
  static size_t Write(char* data, size_t, size_t n, void* self);
};

struct CurlFtpSession::Request {
  std::string path;  // escaped, after the "/" that follows the host
  bool nobody = true, listOnly = false;
  std::vector<std::string> quote;
  Sink* sink = nullptr;
};

}  // namespace quo
