#include "window/qt/qt_avi_player.h"

#include <QLibrary>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace quo {

QtAviPlayer::QtAviPlayer(QWidget* target, std::function<AviDecodeFn()> decoder)
    : target_(target), decoder_(std::move(decoder)) {
  if (target_) target_->installEventFilter(this);
  connect(&timer_, &QTimer::timeout, this, [this] { Next(); });
}

QtAviPlayer::~QtAviPlayer() {
  timer_.stop();
  if (target_) target_->removeEventFilter(this);
}

bool QtAviPlayer::Load() {
  AVIStop();
  raw_ = AviFrames{};
  shown_.clear();
  index_ = 0;
  const AviDecodeFn decode = decoder_ ? decoder_() : nullptr;
  const bool ok = decode != nullptr && decode(fileName_.c_str(), &raw_);
  if (!ok) raw_ = AviFrames{};
  frameRate_ = raw_.frameRate > 0 ? raw_.frameRate : 15;
  Prepare();
  if (target_) target_->update();
  return ok;
}

void QtAviPlayer::Prepare() {
  shown_.clear();
  for (const auto& pixels : raw_.frames) {
    QImage image(raw_.width, raw_.height, QImage::Format_ARGB32);
    for (int y = 0; y < raw_.height; ++y) {
      auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
      for (int x = 0; x < raw_.width; ++x) {
        std::uint32_t p = pixels[static_cast<std::size_t>(y) * raw_.width + x];
        if (transparent_ && (p & 0xFFFFFFu) == (transparentColor_ & 0xFFFFFFu)) p = 0;
        line[x] = p;
      }
    }
    shown_.push_back(std::move(image));
  }
}

bool QtAviPlayer::AVIPlay() {
  if (shown_.empty()) return false;
  index_ = 0;
  timer_.start(std::max(1, static_cast<int>(std::lround(1000.0 / frameRate_))));
  if (target_) target_->update();
  return true;
}

bool QtAviPlayer::AVIStop() {
  timer_.stop();
  return true;
}

void QtAviPlayer::Next() {
  if (shown_.empty()) return;
  index_ = (index_ + 1) % static_cast<int>(shown_.size());
  if (target_) target_->update();
}

void QtAviPlayer::SetTransparentColor(std::uint32_t rgb) {
  if (rgb == transparentColor_) return;
  transparentColor_ = rgb;
  Prepare();
}

void QtAviPlayer::SetTransparent(bool on) {
  if (on == transparent_) return;
  transparent_ = on;
  Prepare();
}

void QtAviPlayer::SetCentre(bool on) {
  centre_ = on;
  if (target_) target_->update();
}

bool QtAviPlayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched != target_ || event->type() != QEvent::Paint) return false;
  if (shown_.empty()) return false;
  const QImage& frame = shown_[static_cast<std::size_t>(index_)];
  QPainter painter(target_);
  QPoint at(0, 0);
  if (centre_)
    at = QPoint((target_->width() - frame.width()) / 2, (target_->height() - frame.height()) / 2);
  painter.drawImage(at, frame);
  return true;
}

QtAnimationService::QtAnimationService(QWidget* target, std::string moduleDir)
    : target_(target), moduleDir_(std::move(moduleDir)) {}

QtAnimationService::~QtAnimationService() = default;

AviPlayer& QtAnimationService::Player() { return QtPlayer(); }

QtAviPlayer& QtAnimationService::QtPlayer() {
  if (!player_) player_ = std::make_unique<QtAviPlayer>(target_, [this] { return Decoder(); });
  return *player_;
}

AviDecodeFn QtAnimationService::Decoder() {
  if (!tried_) {
    tried_ = true;
    // Stays loaded for the rest of the run.
    QLibrary module(QString::fromStdString(moduleDir_ + kAviModule));
    decode_ = reinterpret_cast<AviDecodeFn>(module.resolve(kAviDecodeSymbol));
  }
  return decode_;
}

}  // namespace quo
