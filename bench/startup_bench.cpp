// Start-up as the user waits for it: the wall time from starting a fresh process to the main
// window shown and painted (offscreen). The benchmark runs itself again with --child for each
// measurement; the child starts the way the program's main() does, with the program's folder
// pointed at a copy of the pictures the main window loads, and says so on stdout once the
// window has painted.

#include "shell/form1.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kChildFlag = "--child";
constexpr int kChildTimeout = 20000; // ms
const char* const kPictures[] = {"22.bmp", "picture1.jpg"};

// Reports once the window has painted: the report is posted behind the paint, so the whole
// window (children included) is drawn and flushed by the time it runs.
class PaintWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                // Ends as the program does: at once, without taking the windows down.
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool reported_ = false;
};

int runChild(int argc, char** argv, const QString& folder) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessal Arvendel"));
    vbrt::setAppPath(folder);

    ui::useChineseDesktop();

    shell::form1().show();
    PaintWatch watch;
    shell::form1().window()->installEventFilter(&watch);
    return QApplication::exec();
}

// One start of a child; the wall time from spawning it to its report, in seconds.
double timeOneStart(const QString& folder) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    const auto start = std::chrono::steady_clock::now();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kChildFlag), folder});
    while (!child.canReadLine())
        if (!child.waitForReadyRead(kChildTimeout))
            break;
    const auto end = std::chrono::steady_clock::now();

    const QByteArray line = child.readLine().trimmed();
    child.waitForFinished(kChildTimeout);
    if (line != "painted") {
        std::fprintf(stderr, "the child did not report a painted window\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(end - start).count();
}

// The program's folder for the children: the pictures the main window loads, copied from
// beside the benchmark, where the build puts them.
class ProgramFolder {
public:
    ProgramFolder() {
        const QDir from(QCoreApplication::applicationDirPath());
        for (const char* name : kPictures)
            if (!QFile::copy(from.filePath(QLatin1String(name)),
                             QDir(path()).filePath(QLatin1String(name)))) {
                std::fprintf(stderr, "%s is missing beside the benchmark\n", name);
                std::exit(1);
            }
        // The first start after a build also pays for reading the libraries from disk.
        timeOneStart(path());
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

void BM_StartUntilPainted(benchmark::State& state) {
    static const ProgramFolder folder;
    for (auto _ : state)
        state.SetIterationTime(timeOneStart(folder.path()));
}
// One start per repetition, so the median is the median of single starts.
BENCHMARK(BM_StartUntilPainted)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0)
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
