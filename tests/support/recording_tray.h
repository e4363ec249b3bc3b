// A notification area that exists, recording what the window asks of it.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/tray.h"

namespace quo::test {

class RecordingTray : public Tray {
 public:
  bool Available() override { return true; }
  void Add(const std::string& tip, std::function<void()> dbl, std::function<void()> ctx) override {
    this->tip = tip, doubleClick = std::move(dbl), contextMenu = std::move(ctx);
  }
  void SetTip(const std::string& t) override { tip = t; }
  void Remove() override { ++removed; }
  std::string tip;
  int removed = 0;
  std::function<void()> doubleClick, contextMenu;
};

}  // namespace quo::test
