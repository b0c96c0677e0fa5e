#include "platform/web_browser.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A 1x1 GIF whose only pixel is pure red (Qt reads GIF but cannot write it).
const QByteArray RedGif = QByteArray::fromHex("47494638396101000100800000ff000000000021f904000000"
                                              "00002c00000000010001000002024401003b");

// Pixels at or very near `colour`, so that JPEG's rounding still counts.
int pixelsNear(QWidget* widget, QRgb colour) {
    const QImage shot = widget->grab().toImage();
    const auto near = [](int a, int b) { return std::abs(a - b) < 16; };
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            count += near(qRed(shot.pixel(x, y)), qRed(colour)) &&
                     near(qGreen(shot.pixel(x, y)), qGreen(colour)) &&
                     near(qBlue(shot.pixel(x, y)), qBlue(colour));
    return count;
}

int redPixels(QWidget* widget) {
    return pixelsNear(widget, qRgb(255, 0, 0));
}

// The test's resident memory at its peak, in kB; `restart` first sets the peak back to now
// (unbuffered: the reset must reach the system before the peak is read).
qint64 peakMemory(bool restart = false) {
    QFile refs(QStringLiteral("/proc/self/clear_refs")),
        status(QStringLiteral("/proc/self/status"));
    EXPECT_TRUE(!restart ||
                (refs.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && refs.write("5") == 1));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    return text.mid(text.indexOf("VmHWM:") + 6).trimmed().split(' ').first().toLongLong();
}

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
        browser = std::make_unique<WebBrowser>(form.get());
        browser->widget()->setGeometry(0, 0, 400, 300);
        form->show();
    }
    QString text() const { return browser->widget()->toPlainText(); }

    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
    std::unique_ptr<WebBrowser> browser;
};

} // namespace

TEST_F(WebBrowserTest, LocalPageIsShownByPathOrFileUrl) {
    const QString page = dir.filePath("help.html");
    writeFile(page, "<html><head><meta charset=\"utf-8\"></head>"
                    "<body><h1>监控说明</h1><p>First &amp; second</p></body></html>");
    const QString url = QUrl::fromLocalFile(page).toString();
    for (const QString& address : {page, url, "  " + page + " "}) {
        browser->Navigate(address);
        EXPECT_TRUE(text().contains("监控说明")) << address.toStdString();
        EXPECT_TRUE(text().contains("First & second"));
        EXPECT_EQ(browser->LocationURL(), url);
    }
}

TEST_F(WebBrowserTest, TextFileIsShownAsWritten) {
    const QString file = dir.filePath("0.txt");
    writeFile(file, "line <b>one</b>\r\n第二行\r\n");
    browser->Navigate(file);
    EXPECT_EQ(text(), "line <b>one</b>\n第二行\n");
}

TEST_F(WebBrowserTest, PicturesAreShown) {
    QImage red(30, 20, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(red.save(dir.filePath("a.png")));
    ASSERT_TRUE(red.save(dir.filePath("b.bmp")));
    ASSERT_TRUE(red.save(dir.filePath("c.JPG"), nullptr, 100));
    writeFile(dir.filePath("d.gif"), RedGif);
    {
        // 16 bits a channel: 8 bytes a pixel decoded, 400 MB at half the pixel limit.
        QImage deep(7100, 7100, QImage::Format_RGBX64);
        deep.fill(QColor(255, 0, 0));
        ASSERT_TRUE(deep.save(dir.filePath("e.png"), "PNG", 80));
    }

    struct Case {
        QString name;
        int minRed;
    };
    for (const Case& c : {Case{"a.png", 600}, Case{"b.bmp", 600}, Case{"c.JPG", 600},
                          Case{"d.gif", 1}, Case{"e.png", 60000}}) {
        browser->Navigate(dir.filePath(c.name));
        EXPECT_GE(redPixels(browser->widget()), c.minRed) << c.name.toStdString();
        EXPECT_FALSE(text().contains("无法显示")) << c.name.toStdString();
    }
    browser->Navigate(dir.filePath("a.png"));
    EXPECT_EQ(redPixels(browser->widget()), 600);
}

TEST_F(WebBrowserTest, PageFindsPicturesBesideIt) {
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(red.save(dir.filePath("dot.png")));
    writeFile(dir.filePath("page.htm"), "<html><body><img src=\"dot.png\"></body></html>");
    browser->Navigate(dir.filePath("page.htm"));
    EXPECT_EQ(redPixels(browser->widget()), 100);
}

TEST_F(WebBrowserTest, AddressesItCannotShowGetAnExplanation) {
    writeFile(dir.filePath("setup.exe"), "MZ");
    writeFile(dir.filePath("broken.png"), "not a picture");
    // A JPEG whose header the reader cannot make sense of.
    writeFile(dir.filePath("header.jpg"), QByteArray::fromHex("ffd8ff474946383961e000104a020002"));
    for (const char* fifo : {"fifo.html", "fifo.png"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(fifo)).constData(), 0666), 0);
    struct Case {
        QString address;
        QString reason;
    };
    for (const Case& c :
         {Case{"http://www.example.com/", "本程序只显示本机的网页和图片"},
          Case{"https://example.org/a.png", "本程序只显示本机的网页和图片"},
          Case{"www.example.com", "本程序只显示本机的网页和图片"},
          Case{"index.html", "本程序只显示本机的网页和图片"},
          Case{dir.filePath("missing.html"), "找不到这个文件"}, Case{dir.path(), "这是一个文件夹"},
          Case{dir.filePath("setup.exe"), "不是网页、文本或图片"},
          Case{dir.filePath("broken.png"), "图片无法读取"},
          Case{dir.filePath("header.jpg"), "图片无法读取"},
          Case{dir.filePath("fifo.html"), "不是普通文件"},
          Case{dir.filePath("fifo.png"), "不是普通文件"}}) {
        browser->Navigate(c.address);
        EXPECT_TRUE(text().startsWith("无法显示此地址：" + c.address)) << text().toStdString();
        EXPECT_TRUE(text().contains(c.reason)) << text().toStdString();
    }
    browser->Navigate("http://www.example.com/");
    EXPECT_EQ(browser->LocationURL(), "http://www.example.com/");
}

TEST_F(WebBrowserTest, APageCannotHangTheWindowOrTakeItsMemory) {
    const QString fifo = dir.filePath("fifo"), device = dir.filePath("null");
    const QRgb kGrey = qRgb(128, 128, 128);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    // A null device of the test's own, never one of /dev.
    ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    {
        // 400 MB as the window holds it, above Qt's own limit of 256 MB a picture.
        QImage red(10000, 10000, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        ASSERT_TRUE(red.save(dir.filePath("big.png"), "PNG", 80));
        // 100 MB more: past the page's budget beside big.png.
        QImage blue(5000, 5000, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));
        ASSERT_TRUE(blue.save(dir.filePath("blue.png"), "PNG", 80));
        // Pictures of 1 bit and of 8 bits of grey a pixel, a few kB as files and 3 and 25 MB
        // decoded, that the window keeps at 32 bits.
        QImage mono(5000, 5000, QImage::Format_Mono);
        mono.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 0)});
        mono.fill(0);
        ASSERT_TRUE(mono.save(dir.filePath("mono.png"), "PNG"));
        QImage grey(5000, 5000, QImage::Format_Grayscale8);
        grey.fill(QColor(kGrey));
        ASSERT_TRUE(grey.save(dir.filePath("grey.png"), "PNG"));
    }
    // Each in a file of its own, read and decoded on its own: forty 1-bit pictures, sixteen grey.
    QStringList monos, greys;
    for (int i = 0; i < 40; ++i) {
        monos << QStringLiteral("mono%1.png").arg(i);
        ASSERT_TRUE(QFile::copy(dir.filePath("mono.png"), dir.filePath(monos.last())));
        if (i >= 16)
            continue;
        greys << QStringLiteral("grey%1.png").arg(i);
        ASSERT_TRUE(QFile::copy(dir.filePath("grey.png"), dir.filePath(greys.last())));
    }
    // Names of big.png besides a query and a fragment.
    ASSERT_TRUE(QFile::link(dir.filePath("big.png"), dir.filePath("alias.png")));
    ASSERT_EQ(::link(QFile::encodeName(dir.filePath("big.png")).constData(),
                     QFile::encodeName(dir.filePath("hard.png")).constData()),
              0);
    // A page naming a node by its full path as its style sheet and as a picture: the one result
    // Qt keeps for both must not leave the picture for Qt to open itself.
    const auto page = [this](const char* name, const QString& style, const QString& picture) {
        writeFile(dir.filePath(name), QStringLiteral("<html><head><link rel=\"stylesheet\" "
                                                     "type=\"text/css\" href=\"%1\"></head><body>"
                                                     "<img src=\"%2\"><p>页面</p></body></html>")
                                          .arg(style, picture)
                                          .toUtf8());
        return dir.filePath(name);
    };
    // A page naming `styles` as its style sheets and showing `pictures` 40 pixels square.
    const auto gallery = [this](const char* name, const QStringList& styles,
                                const QStringList& pictures) {
        QString html = QStringLiteral("<html><head>");
        for (const QString& style : styles)
            html += QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\">")
                        .arg(style);
        html += QStringLiteral("</head><body>");
        for (const QString& picture : pictures)
            html += QStringLiteral("<img src=\"%1\" width=\"40\" height=\"40\">").arg(picture);
        writeFile(dir.filePath(name), html.toUtf8());
        return dir.filePath(name);
    };
    const QStringList bigNames =
        QStringLiteral("big.png?1 big.png#top ./big.png alias.png hard.png").split(' ')
        << dir.filePath("big.png") << QUrl::fromLocalFile(dir.filePath("big.png")).toString() + "?2"
        << "big.png?3";
    const struct {
        QString address;
        int shown; // pixels of the pictures' colour at least
        QRgb colour = qRgb(255, 0, 0);
    } cases[] = {
        {page("fifo.html", fifo, fifo), 0},
        {page("device.html", device, device), 0},
        {page("big.html", fifo, "big.png"), 60000},
        {dir.filePath("big.png"), 60000},
        // One picture read and decoded once however the page names it, as a style sheet too.
        {gallery("names.html", {"big.png?3", "hard.png"}, bigNames), 8 * 1600},
        // The page's pictures within one budget together: blue.png shows as a missing picture.
        {gallery("budget.html", {}, {"big.png", "blue.png"}), 1600},
        // The budget counts what the window keeps: four of them, the others missing pictures.
        {gallery("mono.html", {}, monos), 4 * 1500},
        {gallery("grey.html", {}, greys), 4 * 1500, kGrey},
        // "localhost" is this machine.
        {gallery("localhost.html", {}, {"file://localhost" + dir.filePath("mono.png")}), 1600},
    };
    // Whoever opens a node is seen; a reader waiting on the FIFO is let go on by a writer that
    // comes and goes, rather than hanging the test.
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const QString& node : {fifo, device})
        ::inotify_add_watch(opens, QFile::encodeName(node).constData(), IN_OPEN);
    const std::jthread writer([name = QFile::encodeName(fifo)](std::stop_token stop) {
        for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
    });
    // The page's memory stays within its budget of 400 MB for pictures, and a little more: so
    // big.png, at over half the budget, is decoded once a page.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        browser->Navigate(QString());
        const qint64 before = peakMemory(true);
        browser->Navigate(c.address);
        EXPECT_LE(peakMemory() - before, (400 + 100) << 10);
        EXPECT_GE(pixelsNear(browser->widget(), c.colour), c.shown);
        EXPECT_EQ(pixelsNear(browser->widget(), qRgb(0, 0, 255)), 0);
        EXPECT_FALSE(text().contains("无法显示")) << text().toStdString();
        alignas(inotify_event) char events[4096];
        EXPECT_LE(::read(opens, events, sizeof events), 0) << "a node was opened";
    }
    ::close(opens);
}

TEST_F(WebBrowserTest, AddressIsShownAsTextNotMarkup) {
    browser->Navigate("http://x/<b>bold</b>&amp;");
    EXPECT_TRUE(text().contains("http://x/<b>bold</b>&amp;"));
}

TEST_F(WebBrowserTest, LinksAreFollowedTheSameWay) {
    writeFile(dir.filePath("a.html"),
              "<a href=\"b.html\">next</a> <a href=\"http://e.com\">out</a>");
    writeFile(dir.filePath("b.html"), "<p>second page</p>");
    browser->Navigate(dir.filePath("a.html"));
    emit browser->widget()->anchorClicked(QUrl("b.html"));
    EXPECT_TRUE(text().contains("second page"));
    EXPECT_EQ(browser->LocationURL(), QUrl::fromLocalFile(dir.filePath("b.html")).toString());

    browser->Navigate(dir.filePath("a.html"));
    emit browser->widget()->anchorClicked(QUrl("http://e.com"));
    EXPECT_TRUE(text().contains("本程序只显示本机的网页和图片"));
}

TEST_F(WebBrowserTest, SurvivesItsFormGoingFirst) {
    form.reset();
    EXPECT_EQ(browser->widget(), nullptr);
    browser->Navigate("http://example.com");
    browser.reset();
}
