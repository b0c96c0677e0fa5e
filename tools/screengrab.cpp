// Saves what the X display shows now, the whole screen, as a PNG. The screenshot scripts'
// camera for a program that cannot photograph itself: the program proper, which has no command
// line (scripts/screenshot), and a driver held by busy waits (dropshot).
//
// usage: screengrab OUT.png

#include "screen_shot.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screengrab OUT.png\n");
        return 2;
    }
    return saveScreen(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
