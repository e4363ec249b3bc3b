// The busy animation: files written by the test (RLE8, 8-bit and 24-bit), decoded by the
// animation module of the build's program folder, drawn by the Qt player.
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <QtTest>

#include "qt_test_support.h"
#include "ui/qt/qt_avi_player.h"
#include "writers/avi_writer.h"

using quo::test::QtWindowFixture;
using quo::writers::AviImage;
using quo::writers::AviKind;

namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF, kRed = 0xFF0000, kBlue = 0x0000FF;

bool VideoLibrariesLoaded() {
  QFile maps("/proc/self/maps");
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libavcodec");
}

// A magenta frame with one coloured pixel row at the top (red) and one at the bottom (blue),
// and a square in the middle whose colour changes with the frame.
AviImage Frame(int w, int h, std::uint32_t square) {
  AviImage img(static_cast<std::size_t>(w) * h, kMagenta);
  for (int x = 0; x < w; ++x) img[x] = kRed, img[static_cast<std::size_t>(h - 1) * w + x] = kBlue;
  for (int y = h / 4; y < 3 * h / 4; ++y)
    for (int x = w / 4; x < 3 * w / 4; ++x) img[static_cast<std::size_t>(y) * w + x] = square;
  return img;
}

quo::AviDecodeFn Decoder() {
  static quo::AviDecodeFn fn = [] {
    QLibrary module(QString(QUO_PROGRAM_DIR) + quo::kAviModule);
    return reinterpret_cast<quo::AviDecodeFn>(module.resolve(quo::kAviDecodeSymbol));
  }();
  return fn;
}

}  // namespace

class AnimationTest : public QObject {
  Q_OBJECT

 private slots:
  // First: nothing has loaded the video libraries yet.
  void aMissingAnimationHidesTheBoxAnExistingOnePlaysCentred() {
    QtWindowFixture f;
    quo::test::MakeDirs(f.t.dir / "AVI");
    quo::writers::WriteAvi(f.t.dir / "AVI/PulseConnect.avi", AviKind::Rle8, 40, 20, 10,
                           {Frame(40, 20, 0x00FF00), Frame(40, 20, 0x00AA00)});
    f.Start();
    quo::QtAnimationService service(f.Get<QWidget>("AviPlayer"), QUO_PROGRAM_DIR);
    f.t.platform.animation = &service;
    QWidget* picAvi = f.Get<QWidget>("picAvi");
    picAvi->setVisible(true);
    const int sleepsBefore = f.t.system.sleeps;
    f.w->PlayAnimation("Connexion");  // no such file: hidden at once, without the decoder
    QVERIFY(picAvi->isHidden());
    QCOMPARE(f.t.system.sleeps, sleepsBefore);
    QVERIFY(!service.ModuleLoaded());
    QVERIFY(!VideoLibrariesLoaded());

    f.w->PlayAnimation("PulseConnect");
    QVERIFY(!picAvi->isHidden());
    QCOMPARE(f.t.system.sleeps, sleepsBefore + 50);  // Pause(500)
    quo::QtAviPlayer& player = service.QtPlayer();
    QVERIFY(player.Playing());
    QCOMPARE(player.FrameCount(), 2);
    QCOMPARE(player.IntervalMs(), 100);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 1, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 0, 2000);  // looped

    // Rendered: the 40 x 20 frame centred in the player, magenta showing the box.
    QWidget* area = f.Get<QWidget>("AviPlayer");
    const QImage shot = area->grab().toImage();
    const QPoint origin((area->width() - 40) / 2, (area->height() - 20) / 2);
    const QColor background = shot.pixelColor(2, 2);
    QVERIFY(background != QColor(255, 0, 255));
    QCOMPARE(shot.pixelColor(origin + QPoint(1, 5)), background);         // magenta pixel
    QCOMPARE(shot.pixelColor(origin + QPoint(3, 0)), QColor(255, 0, 0));  // top row
    QVERIFY(shot.pixelColor(origin + QPoint(20, 10)).green() >= 0xAA);
    QCOMPARE(shot.pixelColor(origin + QPoint(-1, 0)), background);  // left of the frame

    f.w->PlayAnimation("");  // stops and hides
    QVERIFY(!player.Playing());
    QVERIFY(picAvi->isHidden());
    QVERIFY(VideoLibrariesLoaded());
    f.t.platform.animation = nullptr;
  }

  void decodesEveryKindTopDownAtItsFrameRate() {
    QVERIFY(Decoder() != nullptr);
    quo::test::TempDir dir;
    for (const AviKind kind : {AviKind::Rle8, AviKind::Pal8, AviKind::Rgb24}) {
      const std::string path = dir / (std::to_string(static_cast<int>(kind)) + ".avi");
      quo::writers::WriteAvi(path, kind, 30, 10, 12,
                             {Frame(30, 10, 0x00FF00), Frame(30, 10, 0x123456), Frame(30, 10, 0)});
      quo::AviFrames out;
      QVERIFY2(Decoder()(path.c_str(), &out), (path + ": " + out.error).c_str());
      QCOMPARE(QSize(out.width, out.height), QSize(30, 10));
      QCOMPARE(out.frames.size(), std::size_t(3));
      QCOMPARE(out.frameRate, 12.0);
      const auto& second = out.frames[1];
      QCOMPARE(second[0], 0xFF000000u | kRed);               // top row
      QCOMPARE(second[9 * 30 + 5], 0xFF000000u | kBlue);     // bottom row
      QCOMPARE(second[5 * 30 + 15], 0xFF123456u);            // the square
      QCOMPARE(second[5 * 30 + 1], 0xFF000000u | kMagenta);  // background
      QCOMPARE(out.frames[2][5 * 30 + 15], 0xFF000000u);
    }
    quo::AviFrames out;
    quo::test::WriteFile(dir / "broken.avi", "RIFF....AVI not really");
    QVERIFY(!Decoder()((dir / "broken.avi").c_str(), &out));
    QVERIFY(out.frames.empty());
  }
};

QTEST_MAIN(AnimationTest)
#include "animation_test.moc"
