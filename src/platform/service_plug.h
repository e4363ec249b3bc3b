// Puts a service in the platform for the run and takes it out again.
#pragma once

namespace quo {

template <class T>
struct Plug {
  Plug(T*& slot, T* service) : slot_(slot) { slot_ = service; }
  ~Plug() { slot_ = nullptr; }
  Plug(const Plug&) = delete;
  Plug& operator=(const Plug&) = delete;
  T*& slot_;
};

}  // namespace quo
