// The reference sampling of the watched picture and the comparison with it.
#include "app/module1.h"
#include "monitoring/monitor_log.h"
#include "monitoring/monitoring.h"
#include "monitoring/round.h"
#include "pixelsets/comparison.h"
#include "pixelsets/set_file.h"
#include "vbrt/apppath.h"
#include "vbrt/file_writer.h"

namespace monitoring {

namespace {
// Our own entries for what stops a capture or a comparison.
const QString kNoGrid = QStringLiteral(
    "    The grid boxes hold no usable sampling grid; this picture is not sampled .");
const QString kWriterBusy =
    QStringLiteral("    Another image comparison is running; this comparison is skipped .");
const QString kNoReference =
    QStringLiteral("    model.txt cannot be read: %1; this comparison is skipped .");
const QString kReferenceTooLong = QStringLiteral(
    "    model.txt has more columns than can be compared; this comparison is skipped .");
const QString kDamagedReference =
    QStringLiteral("    model.txt is no whole sampling of this grid; this comparison is skipped .");

QString referencePath() {
    return vbrt::appFile(QStringLiteral("\\model.txt"));
}
QString differencePath() {
    return vbrt::appFile(QStringLiteral("\\caculator.txt"));
}
} // namespace

bool Monitoring::tuxiangcaiji() {
    app::Module1& m = app::module1();
    m.imageSampled = true;
    // Boxes that give no grid (no number, below 1, finer than the picture) get the defaults.
    auto steps = f_.samplingGrid();
    if (!steps) {
        f_.resetSamplingGrid();
        steps = f_.samplingGrid();
    }

    const Round round(*this, Round::Until::WatchChanges);
    bool stored = false;
    if (!steps) {
        logEntry(kNoGrid);
    } else {
        // The old reference stays in place until the new one is complete.
        if (!round.pauseSecond())
            return false;
        const pixelsets::WriteOutcome written = pixelsets::writePixelSet(
            referencePath(), f_.Picture1, *steps, pixelsets::SetTail::EmptyLine, round.pacing());
        if (written.status == pixelsets::WriteStatus::Stopped)
            return false;
        if (written.status == pixelsets::WriteStatus::Failed)
            writeFailed(WatchFile::Reference, referencePath(), written.error);
        else {
            writeSucceeded(WatchFile::Reference);
            stored = true;
        }
    }
    resume({18, 19});
    return stored;
}

CompareOutcome Monitoring::tuxiangbijiao() {
    app::LineTable& lines = app::module1().lines;
    const Round round(*this);
    // A comparison that cannot run lets the alarm step go on as a finished one would.
    auto skip = [&](const QString& entry) {
        logEntry(entry);
        resume({18});
        return CompareOutcome{};
    };
    // Without a usable reference a new one is taken once the clock has passed 6 again, as
    // after a yellow alarm: a damaged file is no picture of an intruder.
    auto newReference = [&](const QString& entry) {
        resume({21});
        return skip(entry);
    };

    const app::LineTable::WriterHold hold(lines);
    if (!hold)
        return skip(kWriterBusy);
    const pixelsets::SetLoadResult loaded =
        pixelsets::loadSetFile(referencePath(), lines, lines.pixelSetA);
    if (loaded.status == pixelsets::SetLoad::TooManyLines)
        return newReference(kReferenceTooLong);
    if (loaded.status == pixelsets::SetLoad::Empty)
        return newReference(kDamagedReference);
    if (loaded.status != pixelsets::SetLoad::Loaded)
        return newReference(kNoReference.arg(loaded.error));
    if (!round.pauseSecond())
        return {};

    const auto steps = f_.samplingGrid();
    if (!steps)
        return skip(kNoGrid);
    if (!pixelsets::isWholePixelSet(lines, lines.pixelSetA,
                                    pixelsets::gridSize(f_.Picture1, *steps)))
        return newReference(kDamagedReference);
    // A threshold box that holds no number compares at the default, rather than finding
    // every sample changed.
    const auto thresholdText = [this] {
        const QString text = f_.Text2.Text();
        return pixelsets::threshold(text) ? text : f_.kDefaultThreshold;
    };
    // The set is kept in memory too: what the comparison found does not depend on whether
    // the disk took its file.
    QByteArray difference;
    const pixelsets::Comparison compared = pixelsets::writeLiveDifference(
        differencePath(), f_.Picture1, lines.pixelSetA, *steps, thresholdText, round.pacing(),
        pixelsets::UnreadableCell::Differs, &difference);
    if (compared.status == pixelsets::WriteStatus::Stopped)
        return {};
    if (compared.status == pixelsets::WriteStatus::Failed)
        writeFailed(WatchFile::Difference, differencePath(), compared.error);
    else
        writeSucceeded(WatchFile::Difference);
    f_.Picture1.setAutoRedraw(true);

    markChanges(pixelsets::loadSetText(std::move(difference), lines, lines.pixelSetA), true);
    if (!round.alive())
        return {CompareResult::None, compared.differing};
    return {levelDecision(round, compared.differing), compared.differing};
}

} // namespace monitoring
