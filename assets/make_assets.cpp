// Writes the program's own pictures, sounds and demo video into the folder given as argument.
// Everything is generated from code so the build never depends on outside media files.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace {

QDir outDir;
bool allOk = true;

void fail(const QString& what) {
    std::fprintf(stderr, "make_assets: %s\n", qPrintable(what));
    allOk = false;
}

void saveImage(const QImage& img, const QString& name, const char* format, int quality = -1) {
    if (!img.save(outDir.filePath(name), format, quality))
        fail("cannot save " + name);
}

void saveBytes(const QByteArray& bytes, const QString& name) {
    QSaveFile f(outDir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        fail("cannot write " + name);
}

QImage paint(int w, int h, const std::function<void(QPainter&, int, int)>& draw) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, w, h);
    return img;
}

// --- pictures ---------------------------------------------------------------------------------

void landscape() {
    QImage img = paint(320, 240, [](QPainter& p, int w, int h) {
        QLinearGradient sky(0, 0, 0, h * 0.65);
        sky.setColorAt(0, QColor(70, 120, 190));
        sky.setColorAt(1, QColor(250, 210, 160));
        p.fillRect(0, 0, w, h, sky);

        QRadialGradient sun(w * 0.7, h * 0.38, 28);
        sun.setColorAt(0, QColor(255, 250, 220));
        sun.setColorAt(0.8, QColor(255, 200, 90));
        sun.setColorAt(1, QColor(255, 170, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QPointF(w * 0.7, h * 0.38), 28, 28);

        // Two hill layers, the nearer one darker, give the picture depth.
        const QColor hills[] = {QColor(90, 140, 110), QColor(50, 95, 70)};
        for (int layer = 0; layer < 2; ++layer) {
            QPainterPath path(QPointF(0, h));
            for (int x = 0; x <= w; x += 4) {
                const double y = h * (0.62 + 0.12 * layer) +
                                 10 * std::sin(x * (0.02 + 0.015 * layer) + layer * 2.0);
                path.lineTo(x, y);
            }
            path.lineTo(w, h);
            p.fillPath(path, hills[layer]);
        }
    });
    saveImage(img, "22.bmp", "BMP");
}

void darkSky() {
    QImage img = paint(1024, 768, [](QPainter& p, int w, int h) {
        QLinearGradient sky(0, 0, 0, h * 0.75);
        sky.setColorAt(0, QColor(5, 8, 25));
        sky.setColorAt(1, QColor(35, 55, 95));
        p.fillRect(0, 0, w, h, sky);

        QRandomGenerator rng(22);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 180; ++i) {
            const int a = 80 + rng.bounded(170);
            p.setBrush(QColor(255, 255, 240, a));
            const double r = 0.6 + rng.bounded(1.2);
            p.drawEllipse(QPointF(rng.bounded(w), rng.bounded(int(h * 0.6))), r, r);
        }

        QLinearGradient ground(0, h * 0.75, 0, h);
        ground.setColorAt(0, QColor(25, 30, 35));
        ground.setColorAt(1, QColor(8, 10, 12));
        p.fillRect(QRectF(0, h * 0.75, w, h * 0.25), ground);
        p.setPen(QPen(QColor(90, 120, 160), 2));
        p.drawLine(QPointF(0, h * 0.75), QPointF(w, h * 0.75));
    });
    saveImage(img, "hai1.jpg", "JPG", 90);
}

void monitorGrid() {
    QImage img = paint(800, 600, [](QPainter& p, int w, int h) {
        QRadialGradient glow(w / 2.0, h / 2.0, w * 0.7);
        glow.setColorAt(0, QColor(10, 40, 80));
        glow.setColorAt(1, QColor(2, 8, 25));
        p.fillRect(0, 0, w, h, glow);

        p.setPen(QPen(QColor(40, 110, 170, 90), 1));
        for (int x = 0; x <= w; x += 20)
            p.drawLine(x, 0, x, h);
        for (int y = 0; y <= h; y += 20)
            p.drawLine(0, y, w, y);
        p.setPen(QPen(QColor(70, 160, 230, 150), 1));
        for (int x = 0; x <= w; x += 100)
            p.drawLine(x, 0, x, h);
        for (int y = 0; y <= h; y += 100)
            p.drawLine(0, y, w, y);
    });
    saveImage(img, "hai2.jpg", "JPG", 90);
}

void paper() {
    QImage img(800, 600, QImage::Format_RGB32);
    QRandomGenerator rng(11);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int grain = rng.bounded(10);
            row[x] = qRgb(242 + grain / 2, 238 + grain / 2, 226 + grain / 2);
        }
    }
    QPainter p(&img);
    p.setPen(QPen(QColor(150, 180, 210, 110), 1));
    for (int y = 40; y < img.height(); y += 30)
        p.drawLine(0, y, img.width(), y);
    p.setPen(QPen(QColor(220, 120, 120, 110), 1));
    p.drawLine(60, 0, 60, img.height());
    p.end();
    saveImage(img, "hai11.jpg", "JPG", 90);
}

void twoTone() {
    QImage img = paint(800, 600, [](QPainter& p, int w, int h) {
        p.fillRect(0, 0, w, h, QColor(220, 232, 240));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(196, 214, 228));
        const int cell = 50;
        for (int y = 0; y < h; y += cell)
            for (int x = 0; x < w; x += cell)
                if ((x / cell + y / cell) % 2 == 0)
                    p.drawRoundedRect(QRectF(x + 4, y + 4, cell - 8, cell - 8), 10, 10);
    });
    saveImage(img, "hai03.jpg", "JPG", 90);
}

void rings() {
    QImage img = paint(800, 600, [](QPainter& p, int w, int h) {
        p.fillRect(0, 0, w, h, QColor(20, 20, 30));
        p.setPen(Qt::NoPen);
        const int count = 12;
        for (int i = count; i > 0; --i) {
            p.setBrush(QColor::fromHsv((i * 360 / count) % 360, 150, 230));
            const double r = i * 42.0;
            p.drawEllipse(QPointF(w / 2.0, h / 2.0), r, r);
        }
    });
    saveImage(img, "456.jpg", "JPG", 90);
}

void lightGradient() {
    QImage img = paint(640, 480, [](QPainter& p, int w, int h) {
        QLinearGradient g(0, 0, w, h);
        g.setColorAt(0, QColor(250, 250, 255));
        g.setColorAt(1, QColor(205, 222, 240));
        p.fillRect(0, 0, w, h, g);
    });
    saveImage(img, "123.jpg", "JPG", 90);
}

// The drop calculator's plot background, 580 x 360: pale squared paper, a finer grid inside
// a coarser one, so the path reads against it.
void plotPaper() {
    QImage img = paint(580, 360, [](QPainter& p, int w, int h) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(0, 0, w, h, QColor(246, 248, 240));
        for (int step : {10, 50}) {
            p.setPen(QPen(step == 10 ? QColor(214, 228, 214) : QColor(176, 204, 180), 1));
            for (int x = 0; x < w; x += step)
                p.drawLine(x, 0, x, h);
            for (int y = 0; y < h; y += step)
                p.drawLine(0, y, w, y);
        }
    });
    saveImage(img, "I1.jpg", "JPG", 92);
}

// The orbit animation's background, 580 x 360: a night sky with scattered stars and a faint
// band of light across it.
void nightSky() {
    QImage img = paint(580, 360, [](QPainter& p, int w, int h) {
        QLinearGradient sky(0, 0, 0, h);
        sky.setColorAt(0, QColor(6, 8, 28));
        sky.setColorAt(1, QColor(20, 24, 56));
        p.fillRect(0, 0, w, h, sky);
        QLinearGradient band(0, h, w, 0);
        band.setColorAt(0.35, QColor(90, 90, 140, 0));
        band.setColorAt(0.5, QColor(120, 120, 170, 60));
        band.setColorAt(0.65, QColor(90, 90, 140, 0));
        p.fillRect(0, 0, w, h, band);
        QRandomGenerator rng(5);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 260; ++i) {
            const int shade = 150 + rng.bounded(106);
            p.setBrush(QColor(shade, shade, std::min(255, shade + 30)));
            const double r = rng.bounded(100) < 90 ? 0.6 : 1.3;
            p.drawEllipse(QPointF(rng.bounded(w), rng.bounded(h)), r, r);
        }
    });
    saveImage(img, "1.jpg", "JPG", 92);
}

// The main window's picture area: a still lake at dawn under layered hills, 580 x 360.
void lakeAtDawn() {
    const int w = 580, h = 360, shore = 224;
    const QImage land = paint(w, shore, [](QPainter& p, int w, int h) {
        QLinearGradient sky(0, 0, 0, h);
        sky.setColorAt(0, QColor(120, 150, 190));
        sky.setColorAt(0.7, QColor(236, 206, 190));
        sky.setColorAt(1, QColor(250, 226, 196));
        p.fillRect(QRectF(0, 0, w, h), sky);

        QRadialGradient sun(w * 0.32, h - 14, 60);
        sun.setColorAt(0, QColor(255, 248, 225, 230));
        sun.setColorAt(0.25, QColor(255, 236, 200, 160));
        sun.setColorAt(1, QColor(255, 220, 190, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QPointF(w * 0.32, h - 14), 60, 60);

        // Farther hills paler, as seen through the morning haze.
        const QColor hills[] = {QColor(150, 160, 185), QColor(110, 128, 150), QColor(72, 96, 104)};
        for (int layer = 0; layer < 3; ++layer) {
            QPainterPath path(QPointF(0, h));
            const double ridge = 70 - layer * 22;
            for (int x = 0; x <= w; x += 4) {
                const double wave =
                    0.55 + 0.45 * std::sin(x * (0.011 + 0.006 * layer) + layer * 1.7);
                path.lineTo(x, h - ridge * wave * (0.8 + 0.2 * std::cos(x * 0.031 + layer)));
            }
            path.lineTo(w, h);
            p.fillPath(path, hills[layer]);
        }
    });

    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, land);
    // The water mirrors sky and hills row by row, slightly rippled and darker with depth.
    for (int y = 0; y < h - shore; ++y) {
        const int from = std::max(0, shore - 1 - y);
        // A little wider than the picture, so the ripple never shows an edge.
        p.drawImage(QRectF(3 * std::sin(y * 0.45) - 4, shore + y, w + 8, 1), land,
                    QRectF(0, from, w, 1));
    }
    QLinearGradient dim(0, shore, 0, h);
    dim.setColorAt(0, QColor(20, 40, 60, 60));
    dim.setColorAt(1, QColor(10, 25, 40, 150));
    p.fillRect(QRectF(0, shore, w, h - shore), dim);
    p.setPen(QPen(QColor(255, 240, 220, 90), 1));
    for (int i = 0; i < 6; ++i) {
        const double y = shore + 8 + i * 9;
        p.drawLine(QPointF(w * 0.32 - 40 + i * 3, y), QPointF(w * 0.32 + 40 - i * 3, y));
    }
    p.end();
    saveImage(img, "picture1.jpg", "JPG", 90);
}

// --- sounds -----------------------------------------------------------------------------------

constexpr int sampleRate = 22050;

void put16(QByteArray& b, quint16 v) {
    v = qToLittleEndian(v);
    b.append(reinterpret_cast<const char*>(&v), 2);
}
void put32(QByteArray& b, quint32 v) {
    v = qToLittleEndian(v);
    b.append(reinterpret_cast<const char*>(&v), 4);
}
void fourcc(QByteArray& b, const char* tag) {
    b.append(tag, 4);
}

// freqAt gives the pitch at time t; the phase is integrated so sweeps and tone changes never click.
QByteArray wav(double seconds, const std::function<double(double)>& freqAt) {
    const int n = int(seconds * sampleRate);
    const quint32 dataSize = quint32(n) * 2;
    QByteArray b;
    fourcc(b, "RIFF");
    put32(b, 36 + dataSize);
    fourcc(b, "WAVE");
    fourcc(b, "fmt ");
    put32(b, 16);
    put16(b, 1); // PCM
    put16(b, 1); // mono
    put32(b, sampleRate);
    put32(b, sampleRate * 2);
    put16(b, 2);
    put16(b, 16);
    fourcc(b, "data");
    put32(b, dataSize);

    const int fade = sampleRate / 100; // 10 ms ramps at both ends avoid a click
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / sampleRate;
        phase += 2 * std::numbers::pi * freqAt(t) / sampleRate;
        const double env = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
        put16(b, quint16(qint16(std::lround(0.5 * 32767 * env * std::sin(phase)))));
    }
    return b;
}

void sounds() {
    saveBytes(wav(0.3, [](double) { return 880.0; }), "0.wav");
    saveBytes(wav(0.6, [](double t) { return std::fmod(t, 0.3) < 0.15 ? 960.0 : 720.0; }), "1.wav");
    saveBytes(wav(0.5, [](double t) { return 1200.0 - 1400.0 * t; }), "3.wav");
    // No encoder for that codec here; the media player recognises the content, not the suffix.
    saveBytes(wav(0.4, [](double t) { return t < 0.2 ? 660.0 : 880.0; }), "2.wma");
}

// --- demo video -------------------------------------------------------------------------------

QImage demoFrame(int index, int frames, int w, int h) {
    return paint(w, h, [=](QPainter& p, int, int) {
        const double k = double(index) / (frames - 1);
        p.fillRect(0, 0, w, h, QColor::fromHsv(int(200 + 120 * k) % 360, 110, 200));

        // A ball crossing the frame on a gentle arc.
        const double x = 30 + k * (w - 60);
        const double y = h * 0.55 - std::sin(k * std::numbers::pi) * h * 0.3;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 245, 210));
        p.drawEllipse(QPointF(x, y), 18, 18);

        // Frame counter as a row of tick marks, one per frame so far, groups of five.
        p.setBrush(QColor(30, 30, 40));
        for (int i = 0; i <= index; ++i)
            p.drawRect(QRectF(10 + i * 8 + (i / 5) * 4, h - 22, 5, 12));
    });
}

QByteArray avi(int w, int h, int fps, const std::vector<QByteArray>& jpegs) {
    const quint32 frames = quint32(jpegs.size());
    quint32 maxFrame = 0;
    for (const auto& j : jpegs)
        maxFrame = std::max(maxFrame, quint32(j.size()));

    QByteArray avih;
    put32(avih, 1000000 / fps);
    put32(avih, maxFrame * fps);
    put32(avih, 0);
    put32(avih, 0x10); // AVIF_HASINDEX
    put32(avih, frames);
    put32(avih, 0);
    put32(avih, 1);
    put32(avih, maxFrame);
    put32(avih, w);
    put32(avih, h);
    for (int i = 0; i < 4; ++i)
        put32(avih, 0);

    QByteArray strh;
    fourcc(strh, "vids");
    fourcc(strh, "MJPG");
    put32(strh, 0);
    put16(strh, 0);
    put16(strh, 0);
    put32(strh, 0);
    put32(strh, 1);   // scale
    put32(strh, fps); // rate
    put32(strh, 0);
    put32(strh, frames);
    put32(strh, maxFrame);
    put32(strh, quint32(-1));
    put32(strh, 0);
    put16(strh, 0);
    put16(strh, 0);
    put16(strh, quint16(w));
    put16(strh, quint16(h));

    QByteArray strf; // BITMAPINFOHEADER
    put32(strf, 40);
    put32(strf, w);
    put32(strf, h);
    put16(strf, 1);
    put16(strf, 24);
    fourcc(strf, "MJPG");
    put32(strf, w * h * 3);
    for (int i = 0; i < 4; ++i)
        put32(strf, 0);

    auto chunk = [](const char* tag, const QByteArray& body) {
        QByteArray c;
        fourcc(c, tag);
        put32(c, quint32(body.size()));
        c += body;
        if (body.size() % 2)
            c.append('\0');
        return c;
    };
    auto list = [](const char* type, const QByteArray& body) {
        QByteArray c;
        fourcc(c, "LIST");
        put32(c, quint32(body.size() + 4));
        fourcc(c, type);
        return c + body;
    };

    QByteArray movi;
    QByteArray idx;
    for (const auto& j : jpegs) {
        fourcc(idx, "00dc");
        put32(idx, 0x10);                     // AVIIF_KEYFRAME
        put32(idx, quint32(movi.size() + 4)); // offset from the 'movi' type tag
        put32(idx, quint32(j.size()));
        movi += chunk("00dc", j);
    }

    const QByteArray hdrl =
        list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));
    const QByteArray body = hdrl + list("movi", movi) + chunk("idx1", idx);

    QByteArray file;
    fourcc(file, "RIFF");
    put32(file, quint32(body.size() + 4));
    fourcc(file, "AVI ");
    return file + body;
}

void demoVideo() {
    const int w = 320, h = 240, fps = 10, frames = 30;
    std::vector<QByteArray> jpegs;
    for (int i = 0; i < frames; ++i) {
        QByteArray jpeg;
        QBuffer buf(&jpeg);
        buf.open(QIODevice::WriteOnly);
        if (!demoFrame(i, frames, w, h).save(&buf, "JPG", 85)) {
            fail("cannot encode demo frame");
            return;
        }
        jpegs.push_back(jpeg);
    }
    saveBytes(avi(w, h, fps, jpegs), "demo.avi");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // loads the JPEG image plugin
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets <output folder>\n");
        return 2;
    }
    outDir.setPath(QString::fromLocal8Bit(argv[1]));
    if (!outDir.mkpath(".")) {
        fail("cannot create " + outDir.path());
        return 1;
    }

    landscape();
    darkSky();
    monitorGrid();
    paper();
    twoTone();
    rings();
    lightGradient();
    lakeAtDawn();
    plotPaper();
    nightSky();
    sounds();
    demoVideo();
    return allOk ? 0 : 1;
}
