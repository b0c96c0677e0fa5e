// The monitoring on a disk that fills up, as snapshots fill it on an unattended install: what
// the camera sees still decides the alarm, and the failed writes are said where somebody will
// see or hear them.

#include "monitoring/monitoring_fixture.h"
#include "small_disk.h"

using namespace monitoring_test;

namespace {

class MonitoringOnAFullDisk : public disk::OnSmallDisk<MonitoringTest> {};

TEST_F(MonitoringOnAFullDisk, AnIntruderIsStillAlarmedAndTheFailedWritesAreReported) {
    openAlarmPoint();
    f2().Command13.press();
    ASSERT_TRUE(runUntil([&] { return !f2().Timer(21).Enabled(); }, 30)) << "the reference";
    disk::fillLeaving(0);

    camera->setFrame(scored(324));
    ASSERT_TRUE(runUntil(
        [&] { return mon().lastComparison().result == monitoring::CompareResult::Error; }, 80));
    EXPECT_EQ(mon().alarmLevel(), 324);
    EXPECT_EQ(f2().Text3.BackColor(), kRed);
    const QStringList heard = notices();
    EXPECT_TRUE(heard.contains(
        QStringLiteral("\r\n0 告警颜色：红色  告警值为   = 324 请调用服务器中的图像确认，如告警值超"
                       "过300000，有可能黑夜来临。\r\n")));
    EXPECT_EQ(heard.filter(QStringLiteral("（磁盘空间不足），监控图像和记录可能无法保存！")).size(),
              1)
        << "once, not at every file";
    ASSERT_TRUE(runUntil(
        [&] { return sounds->calls().filter(QStringLiteral("setSource:")).size() == 5; }, 40))
        << "the alarm sounds without a disk";
    run(2.5);
    EXPECT_EQ(f2().Text3.Text(), QStringLiteral("写失败")) << "in place of the clock";
    EXPECT_TRUE(f2().Text3.ToolTipText().endsWith(QStringLiteral("（磁盘空间不足）")));

    // With room again the comparison's set is written, but a snapshot is more than the whole
    // disk holds: the box goes on saying so, of the snapshots.
    disk::unfill();
    camera->setFrame(scene());
    ASSERT_TRUE(runUntil(
        [&] { return mon().lastComparison().result == monitoring::CompareResult::Ok; }, 120));
    run(40);
    EXPECT_EQ(f2().Text3.Text(), QStringLiteral("写失败"));
    EXPECT_TRUE(f2().Text3.ToolTipText().endsWith(QStringLiteral(".BMP（磁盘空间不足）")))
        << f2().Text3.ToolTipText().toStdString();
    EXPECT_TRUE(exists(QStringLiteral("caculator.txt")));
}

} // namespace
