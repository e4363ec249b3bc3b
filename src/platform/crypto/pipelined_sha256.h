// A SHA-256 computed on a thread of its own: Update copies the bytes into one of a few buffers
// and returns at once, and the worker hashes the buffers in order. A download and its hash then
// use two processor cores instead of taking turns on one.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/crypto.h"

namespace quo {

class PipelinedSha256 : public Sha256 {
 public:
  explicit PipelinedSha256(std::unique_ptr<Sha256> inner);
  ~PipelinedSha256() override;
  void Update(const void* data, std::size_t size) override;
  Sha256Digest Final() override;
  void Reset() override;

 private:
  void Hand();   // queues the buffer being filled
  void Drain();  // returns once every queued byte is hashed
  void Work();

  std::unique_ptr<Sha256> inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<char>> queued_, spare_;
  std::vector<char> filling_;
  bool hashing_ = false, stop_ = false;
  std::thread worker_;
};

}  // namespace quo
