#include <QApplication>
#include <QFile>
#include <QTemporaryFile>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        platform = "offscreen";
    // The offscreen platform would wrap every window in a made-up frame of its own; without it
    // a window keeps the frame it is given before a window manager frames it, as the tests
    // expect. Tests that need a real frame run on X under a window manager.
    QTemporaryFile offscreenConfig;
    if (platform == "offscreen" && offscreenConfig.open()) {
        offscreenConfig.write(R"({"windowFrameMargins": false,
                                  "screens": [{"name": "", "width": 800, "height": 800}]})");
        offscreenConfig.flush();
        platform += ":configfile=" + QFile::encodeName(offscreenConfig.fileName());
    }
    qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
