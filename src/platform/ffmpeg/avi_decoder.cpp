// The animation module: decodes every video frame of an AVI file with FFmpeg into 32-bit
// pixels. Palettes (8-bit and RLE8 files) and bottom-up rows are handled by the decoders and
// swscale, so every frame comes out top-down as 0xAARRGGBB.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <memory>

#include "platform/animation.h"

namespace {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

class Decoder {
 public:
  explicit Decoder(quo::AviFrames& out) : out_(out) {}

  bool Run(const char* path) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path, nullptr, nullptr) < 0) return Fail("cannot open the file");
    std::unique_ptr<AVFormatContext, FormatCloser> fmt(raw);
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0) return Fail("no stream information");
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) return Fail("no video stream");
    AVStream* stream = fmt->streams[index];
    ctx_.reset(avcodec_alloc_context3(codec));
    if (!ctx_ || avcodec_parameters_to_context(ctx_.get(), stream->codecpar) < 0 ||
        avcodec_open2(ctx_.get(), codec, nullptr) < 0)
      return Fail("cannot open the video decoder");
    out_.width = ctx_->width;
    out_.height = ctx_->height;
    if (out_.width <= 0 || out_.height <= 0) return Fail("no frame size");
    out_.frameRate = FrameRate(stream);

    frame_.reset(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (!frame_ || !packet) return Fail("out of memory");
    while (av_read_frame(fmt.get(), packet.get()) >= 0) {
      const bool ours = packet->stream_index == index;
      const bool ok = !ours || Send(packet.get());
      av_packet_unref(packet.get());
      if (!ok) return false;
    }
    if (!Send(nullptr)) return false;
    if (out_.frames.empty()) return Fail("no frame decoded");
    return true;
  }

 private:
  static double FrameRate(const AVStream* s) {
    if (s->avg_frame_rate.num > 0 && s->avg_frame_rate.den > 0) return av_q2d(s->avg_frame_rate);
    if (s->r_frame_rate.num > 0 && s->r_frame_rate.den > 0) return av_q2d(s->r_frame_rate);
    if (s->time_base.num > 0 && s->time_base.den > 0) return 1.0 / av_q2d(s->time_base);
    return 15;
  }

  bool Send(const AVPacket* packet) {
    // A damaged packet loses its frame only; the frames around it are kept.
    avcodec_send_packet(ctx_.get(), packet);
    while (avcodec_receive_frame(ctx_.get(), frame_.get()) >= 0) {
      const bool ok = Convert(*frame_);
      av_frame_unref(frame_.get());
      if (!ok) return false;
    }
    return true;
  }

  bool Convert(const AVFrame& f) {
    if (f.width != out_.width || f.height != out_.height) return true;
    scale_.reset(sws_getCachedContext(scale_.release(), f.width, f.height,
                                      static_cast<AVPixelFormat>(f.format), f.width, f.height,
                                      AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    if (!scale_) return Fail("unsupported pixel format");
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(f.width) * f.height);
    uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(pixels.data()), nullptr, nullptr, nullptr};
    int dstStride[4] = {f.width * 4, 0, 0, 0};
    sws_scale(scale_.get(), f.data, f.linesize, 0, f.height, dst, dstStride);
    // BGRA bytes read as a little-endian 32-bit word are 0xAARRGGBB.
    for (std::uint32_t& p : pixels) p |= 0xFF000000u;
    out_.frames.push_back(std::move(pixels));
    return true;
  }

  bool Fail(const char* why) {
    out_.error = why;
    out_.frames.clear();
    return false;
  }

  quo::AviFrames& out_;
  std::unique_ptr<AVCodecContext, CodecFreer> ctx_;
  std::unique_ptr<AVFrame, FrameFreer> frame_;
  std::unique_ptr<SwsContext, ScaleFreer> scale_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) bool quo_decode_avi(const char* path,
                                                                      quo::AviFrames* out) {
  if (path == nullptr || out == nullptr) return false;
  *out = quo::AviFrames{};
  return Decoder(*out).Run(path);
}
