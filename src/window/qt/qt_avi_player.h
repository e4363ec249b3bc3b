// The busy animation over Qt: an AviPlayer that draws its frames on the window's AviPlayer
// widget, and the animation service that owns it. Frames come from the animation module,
// loaded from the program folder the first time a file is loaded.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/animation.h"

class QWidget;

namespace quo {

class QtAviPlayer : public QObject, public AviPlayer {
 public:
  // decoder: gives the decoding entry point (loading the module), or nullptr when unavailable.
  QtAviPlayer(QWidget* target, std::function<AviDecodeFn()> decoder);
  ~QtAviPlayer() override;

  void SetFileName(const std::string& path) override { fileName_ = path; }
  bool Load() override;
  bool AVIPlay() override;
  bool AVIStop() override;
  bool Playing() const override { return timer_.isActive(); }
  void SetTransparentColor(std::uint32_t rgb) override;
  void SetTransparent(bool on) override;
  void SetCentre(bool on) override;

  int FrameCount() const { return static_cast<int>(shown_.size()); }
  int CurrentFrame() const { return index_; }
  double FrameRate() const { return frameRate_; }
  int IntervalMs() const { return timer_.interval(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Prepare();
  void Next();

  QPointer<QWidget> target_;
  std::function<AviDecodeFn()> decoder_;
  std::string fileName_;
  AviFrames raw_;
  std::vector<QImage> shown_;
  double frameRate_ = 0;
  int index_ = 0;
  QTimer timer_;
  std::uint32_t transparentColor_ = 0xFF00FF;
  bool transparent_ = false, centre_ = false;
};

class QtAnimationService : public AnimationService {
 public:
  // target: the widget the frames are drawn on; moduleDir: the folder of the animation module.
  QtAnimationService(QWidget* target, std::string moduleDir);
  ~QtAnimationService() override;

  AviPlayer& Player() override;
  QtAviPlayer& QtPlayer();
  // True once the animation module has been loaded.
  bool ModuleLoaded() const { return decode_ != nullptr; }

 private:
  AviDecodeFn Decoder();

  QPointer<QWidget> target_;
  std::string moduleDir_;
  AviDecodeFn decode_ = nullptr;
  bool tried_ = false;
  std::unique_ptr<QtAviPlayer> player_;
};

}  // namespace quo
