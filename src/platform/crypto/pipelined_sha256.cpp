#include "platform/crypto/pipelined_sha256.h"

#include <algorithm>
#include <cstring>

namespace quo {

namespace {
constexpr std::size_t kBufferBytes = 1 << 20, kQueued = 4;
}

PipelinedSha256::PipelinedSha256(std::unique_ptr<Sha256> inner)
    : inner_(std::move(inner)), worker_([this] { Work(); }) {
  filling_.reserve(kBufferBytes);
}

PipelinedSha256::~PipelinedSha256() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void PipelinedSha256::Update(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const std::size_t n = std::min(size, kBufferBytes - filling_.size());
    filling_.insert(filling_.end(), bytes, bytes + n);
    bytes += n;
    size -= n;
    if (filling_.size() == kBufferBytes) Hand();
  }
}

void PipelinedSha256::Hand() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_.size() < kQueued; });
  queued_.push_back(std::move(filling_));
  if (spare_.empty()) {
    filling_ = {};
    filling_.reserve(kBufferBytes);
  } else {
    filling_ = std::move(spare_.front());
    spare_.pop_front();
  }
  filling_.clear();
  lock.unlock();
  changed_.notify_all();
}

void PipelinedSha256::Drain() {
  if (!filling_.empty()) Hand();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_.empty() && !hashing_; });
}

Sha256Digest PipelinedSha256::Final() {
  Drain();
  return inner_->Final();
}

void PipelinedSha256::Reset() {
  Drain();  // the bytes fed before go into the digest that is dropped
  inner_->Reset();
}

void PipelinedSha256::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !queued_.empty(); });
    if (queued_.empty()) return;  // stopping, nothing left
    std::vector<char> buffer = std::move(queued_.front());
    queued_.pop_front();
    hashing_ = true;
    lock.unlock();
    changed_.notify_all();
    inner_->Update(buffer.data(), buffer.size());
    lock.lock();
    hashing_ = false;
    spare_.push_back(std::move(buffer));
    changed_.notify_all();
  }
}

}  // namespace quo
