#include "monitoring/monitor_log.h"
#include "monitoring_fixture.h"
#include "vbrt/datetime.h"

#include <sys/stat.h>

using namespace monitoring_test;

namespace {

TEST(MonitorNames, TiqutAndSnapshotNames) {
    EXPECT_EQ(monitoring::tiqut(QStringLiteral("12:05:01")), QStringLiteral("120501"));
    EXPECT_EQ(monitoring::tiqut(QStringLiteral("2026/12/7")), QStringLiteral("2026127"));
    EXPECT_EQ(monitoring::tiqut(QStringLiteral("a\\b:c/d-e f")), QStringLiteral("abcd-e f"));
    EXPECT_EQ(monitoring::tiqut(QString()), QString());

    const QDateTime at(QDate(2026, 12, 8), QTime(9, 5, 7));
    EXPECT_EQ(monitoring::shortSnapshotName(at, 12), QStringLiteral("2026-12-890507-12.BMP"));
    EXPECT_TRUE(monitoring::uploadSnapshotName(at, 0).endsWith(
        QStringLiteral("/CAMaRA/2026-12-890507-0.BMP")));
    EXPECT_TRUE(monitoring::alarmSnapshotName(at, 3).endsWith(
        QStringLiteral("/CAMaRA/2026-12-890507AMAZING  3.BMP")));
}

class AlarmLevels : public MonitoringTest {};

// A difference set of 4 columns and 3 rows over the grid 4 x 3 of the drawing area.
TEST_F(AlarmLevels, TheValueCountsChangesWhoseNeighbourhoodChangedToo) {
    struct Row {
        const char* why;
        QByteArray set;
        double value;
    };
    const Row rows[] = {
        {"nothing changed", "*\t*\t*\t3\r\n*\t*\t*\t6\r\n*\t*\t*\t9\r\n*\t*\t*\t12\r\n", 0},
        {"one change with quiet neighbours",
         "ff0000\t*\t*\t3\r\n*\t*\t*\t6\r\n*\t*\t*\t9\r\n*\t*\t*\t12\r\n", 0},
        {"a change in the last column and row: its neighbours lie beyond the grid",
         "*\t*\t*\t3\r\n*\t*\t*\t6\r\n*\t*\t*\t9\r\n*\t*\tff0000\t12\r\n", 1},
        {"everything changed", "1\t2\t3\t3\r\n4\t5\t6\t6\r\n7\t8\t9\t9\r\n1\t2\t3\t12\r\n", 12},
        {"a change with changed neighbours two columns right and two rows down",
         "ab\t*\tcd\t3\r\n*\t*\t*\t6\r\nzz\t*\tzz\t9\r\n*\t*\t*\t12\r\n", 4},
    };
    f2().Text1(2).setText(QStringLiteral("4"));
    f2().Text1(3).setText(QStringLiteral("3"));
    mon().monitorStopped = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        write(QStringLiteral("d.txt"), row.set);
        EXPECT_EQ(mon().chonghua2(path(QStringLiteral("d.txt")), true), row.value);
        EXPECT_EQ(mon().alarmLevel(), row.value);
    }
    // Counted changes are marked in the pen colour.
    f2().penColor = kRed;
    write(QStringLiteral("d.txt"), rows[3].set);
    mon().chonghua2(path(QStringLiteral("d.txt")), true);
    EXPECT_EQ(f2().Picture1.Point(3273, 1833), kRed) << "the dot of sample (1, 1)";
}

TEST_F(AlarmLevels, SixEqualValuesMeanAStuckCamera) {
    struct Row {
        std::array<double, 7> history;
        bool stuck;
    };
    const Row rows[] = {
        {{0, 40, 40, 40, 40, 40, 40}, true},
        {{0, 40, 40, 41, 40, 40, 40}, false},
        {{0, 0, 0, 0, 0, 0, 0.5}, true},
    };
    mon().monitorStopped = true;
    write(QStringLiteral("d.txt"), "ff\t*\t1\r\n");
    for (const Row& row : rows) {
        mon().historyCount = 6;
        mon().alarmHistory = row.history;
        mon().cameraStuck = false;
        mon().chonghua2(path(QStringLiteral("d.txt")), true);
        EXPECT_EQ(mon().cameraStuck, row.stuck);
        EXPECT_EQ(mon().historyCount, 0);
        EXPECT_EQ(mon().alarmHistory, row.history) << "the seventh value is not kept";
    }
    // Values are kept until six are stored.
    mon().chonghua2(path(QStringLiteral("d.txt")), true);
    EXPECT_EQ(mon().historyCount, 1);
    EXPECT_EQ(mon().alarmHistory[1], mon().alarmLevel());
}

TEST_F(AlarmLevels, TheLevelOfAComparison) {
    openAlarmPoint();
    struct Row {
        int value;
        bool latched;
        monitoring::CompareResult result;
        vbrt::Colour status;
        QStringList entries;
        QStringList notices;
        bool newReference;
    };
    constexpr vbrt::Colour kNormal = -1, kAsItWas = 4;
    const QString counted = QStringLiteral("   The number of the differnent is  = ");
    const QString correct = QStringLiteral("  This is a correct number。");
    const QString yellowEntry =
        QStringLiteral("    Computer begins to  reboot the  watch system .");
    auto yellowNotice = [](int v) {
        return QStringLiteral("\r\n 告警颜色：黄色 告警值为 = %1  电脑自动校验监控系统。\r\n")
            .arg(v);
    };
    const Row rows[] = {
        {100,
         false,
         monitoring::CompareResult::Ok,
         kNormal,
         {"0" + counted + "100" + correct, "0" + counted + "144  。"},
         {"0   告警值为   = 100。\r\n", "\r\n0 监控正常：绿色  告警值为   = 100  。\r\n"},
         false},
        {196,
         false,
         monitoring::CompareResult::Error,
         kAsItWas,
         {"0" + counted + "196" + correct, yellowEntry, "1" + counted + "256  。"},
         {"0   告警值为   = 196。\r\n", yellowNotice(196)},
         true},
        {300,
         false,
         monitoring::CompareResult::Error,
         kAsItWas,
         {"0" + counted + "300" + correct, yellowEntry, "1" + counted + "374  。"},
         {"0   告警值为   = 300。\r\n", yellowNotice(300)},
         true},
        {324,
         false,
         monitoring::CompareResult::Error,
         kRed,
         {"0" + counted + "324" + correct, "1" + counted + "400  。"},
         {"0   告警值为   = 324。\r\n",
          "\r\n0 告警颜色：红色  告警值为   = 324 请调用服务器中的图像确认，如告警值超过300000，"
          "有可能黑夜来临。\r\n"},
         false},
        {196,
         true,
         monitoring::CompareResult::Error,
         kAsItWas,
         {"0" + counted + "196" + correct, "1" + counted + "256  。"},
         {"0   告警值为   = 196。\r\n"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        captureReference(scene());
        write(QStringLiteral("CAMaRA/0.txt"), {});
        server.received.clear();
        mon().alarmSeq = 0;
        mon().redAlarmLatched = row.latched;
        mon().monitorStopped = false;
        f2().Text3.setBackColor(kAsItWas);
        for (int t : {18, 19, 21, 23})
            f2().Timer(t).setEnabled(false);

        EXPECT_EQ(compare(scored(row.value)), row.result);
        EXPECT_EQ(mon().alarmLevel(), row.value);
        EXPECT_EQ(f2().Text3.BackColor(),
                  row.status == kNormal ? f2().Text2.BackColor() : row.status);
        EXPECT_EQ(entries(), row.entries);
        EXPECT_EQ(notices(), row.notices);
        EXPECT_EQ(f2().Timer(21).Enabled(), row.newReference);
        EXPECT_EQ(f2().Timer(23).Enabled(), row.result == monitoring::CompareResult::Error);
        EXPECT_TRUE(f2().Timer(18).Enabled()) << "the scoring lets the alarm step go on";
        EXPECT_EQ(mon().redAlarmLatched, row.value > 300 || (row.latched && row.value > 100));
        const bool snapshot = exists("CAMaRA/" + stamp() + "AMAZING  1.BMP");
        EXPECT_EQ(snapshot, row.result == monitoring::CompareResult::Error);
        if (snapshot)
            QFile::remove(path("CAMaRA/" + stamp() + "AMAZING  1.BMP"));
    }
}

} // namespace

namespace {

TEST_F(AlarmLevels, AComparisonThatCannotRunIsSkippedWithALogEntry) {
    struct Row {
        const char* why;
        std::function<void()> prepare;
        QString entry;
        bool newReference;
    };
    const QString damaged = QStringLiteral(
        "    model.txt is no whole sampling of this grid; this comparison is skipped .");
    auto model = [&] { return read(QStringLiteral("model.txt")); };
    auto replaceModel = [&](const QByteArray& bytes) { write(QStringLiteral("model.txt"), bytes); };
    const QString modelFile = path(QStringLiteral("model.txt"));
    const Row rows[] = {
        {"no reference", [&] { QFile::remove(modelFile); },
         QStringLiteral("    model.txt cannot be read: 文件不存在; this comparison is skipped ."),
         true},
        // Nothing waits for a writer that never comes.
        {"a FIFO in the reference's place",
         [&] {
             QFile::remove(modelFile);
             ASSERT_EQ(::mkfifo(QFile::encodeName(modelFile).constData(), 0666), 0);
         },
         QStringLiteral("    model.txt cannot be read: 不是普通文件; this comparison is skipped ."),
         true},
        {"a grid box that is no number", [&] { f2().Text1(2).setText(QStringLiteral("x")); },
         QStringLiteral("    The grid boxes hold no usable sampling grid; this picture is not "
                        "sampled ."),
         false},
        {"a grid finer than the picture", [&] { f2().Text1(3).setText(QStringLiteral("9000")); },
         QStringLiteral("    The grid boxes hold no usable sampling grid; this picture is not "
                        "sampled ."),
         false},
        // A damaged reference is no intruder: it is taken anew.
        {"a reference cut off in a line", [&] { replaceModel(model().left(model().size() / 2)); },
         damaged, true},
        {"random bytes",
         [&] {
             QByteArray noise(9000, 0);
             quint32 x = 12345;
             for (char& c : noise)
                 c = char((x = x * 1103515245u + 12345u) >> 24);
             replaceModel(noise);
         },
         damaged, true},
        {"one huge line", [&] { replaceModel(model().replace("\r\n", "\t")); }, damaged, true},
        {"zero bytes", [&] { replaceModel(QByteArray(model().size(), '\0')); }, damaged, true},
        {"an empty file", [&] { replaceModel({}); }, damaged, true},
    };
    mon().monitorStopped = false;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        f2().Text1(2).setText(QString::number(kColumns));
        f2().Text1(3).setText(QString::number(kRows));
        QFile::remove(modelFile); // a FIFO takes no reference
        captureReference(scene());
        write(QStringLiteral("CAMaRA/0.txt"), {});
        f2().Timer(18).setEnabled(false);
        f2().Timer(21).setEnabled(false);
        row.prepare();
        EXPECT_EQ(compare(scored(324)), monitoring::CompareResult::None);
        EXPECT_EQ(entries(), QStringList{row.entry});
        EXPECT_TRUE(f2().Timer(18).Enabled()) << "the alarm step goes on";
        EXPECT_EQ(f2().Timer(21).Enabled(), row.newReference);
    }

    // The reference capture puts the defaults back instead.
    f2().Text1(2).setText(QStringLiteral("0"));
    mon().tuxiangcaiji();
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("800"));
    EXPECT_EQ(f2().Text1(3).Text(), QStringLiteral("600"));
    const double width = f2().Picture1.Width();
    const int columns = int(width / std::floor(width / 800));
    EXPECT_EQ(read(QStringLiteral("model.txt")).count("\r\n"), columns + 1) << "and the tail";
}

TEST_F(AlarmLevels, AThresholdBoxThatHoldsNoNumberComparesAtTheDefault) {
    captureReference(scene());
    f2().Text2.setText(QStringLiteral("高"));
    const monitoring::CompareOutcome quiet = compareOutcome(scene());
    EXPECT_EQ(quiet.result, monitoring::CompareResult::Ok);
    EXPECT_EQ(quiet.differing, 0);
    EXPECT_EQ(compare(scored(324)), monitoring::CompareResult::Error);
}

TEST_F(AlarmLevels, AReferenceCellThatIsNoColourCountsAsChanged) {
    captureReference(scene());
    QByteArray model = read(QStringLiteral("model.txt"));
    model.replace(0, 6, "zzzzzz");
    write(QStringLiteral("model.txt"), model);
    EXPECT_EQ(compareOutcome(scene()).differing, 1);
    EXPECT_TRUE(read(QStringLiteral("caculator.txt")).startsWith("zzzzzz\t*\t"));
}

} // namespace
