#include "monitoring/monitor_log.h"

#include "ui/clock.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/file_writer.h"

#include <QDir>

namespace monitoring {

namespace {
QString stamp(const QDateTime& at) {
    return tiqut(vbrt::shortDate(at.date())) + tiqut(vbrt::shortTime(at.time()));
}
} // namespace

QString logPath() {
    return vbrt::appFile(QStringLiteral("\\CAMaRA\\0.txt"));
}

vbrt::WriteResult startLog() {
    // A folder that cannot be made is reported by the write into it.
    const QString folder = vbrt::appFile(QStringLiteral("\\CAMaRA"));
    QDir().mkpath(folder);
    vbrt::removeLeftoverTemporaries(folder);
    return vbrt::replaceFile(logPath(), {});
}

vbrt::WriteResult writeLogEntry(const QString& text) {
    const QString entry = vbrt::dateTimeRunTogether(ui::Clock::instance().now()) +
                          QStringLiteral("\r\n") + text + QStringLiteral("\r\n");
    return vbrt::appendToFile(logPath(), entry.toUtf8());
}

QString tiqut(const QString& s) {
    QString kept;
    kept.reserve(s.size());
    for (const QChar c : s)
        if (c != u':' && c != u'\\' && c != u'/')
            kept += c;
    return kept;
}

QString shortSnapshotName(const QDateTime& at, double alarmSeq) {
    return stamp(at) + QStringLiteral("-") + vbrt::CStr(alarmSeq) + QStringLiteral(".BMP");
}

QString uploadSnapshotName(const QDateTime& at, double alarmSeq) {
    return vbrt::appFile(QStringLiteral("\\CAMaRA\\") + shortSnapshotName(at, alarmSeq));
}

QString alarmSnapshotName(const QDateTime& at, double alarmSeq) {
    return vbrt::appFile(QStringLiteral("\\CAMaRA\\") + stamp(at) + QStringLiteral("AMAZING  ") +
                         vbrt::CStr(alarmSeq) + QStringLiteral(".BMP"));
}

} // namespace monitoring
