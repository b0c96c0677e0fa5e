#include "app/module1.h"
#include "app_fixture.h"
#include "imaging/image_comparison.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "vbrt/errors.h"

#include <QByteArrayList>
#include <QSet>
#include <malloc.h>
#include <random>

using namespace testing_support;

namespace {

class LineTableTest : public AppTest {
protected:
    app::LineTable& lines() { return app::module1().lines; }
    imaging::ImageComparison& imaging() { return shell::form2().imaging; }
    // What every reader does: the text, CR LF appended, the splitter, then the grid routine.
    void load(const QString& text) {
        imaging().zhong(text + QStringLiteral("\r\n"));
        imaging().qingnv();
    }
    QStringList table() {
        QStringList out;
        for (int i = 0; i <= lines().lineCount; ++i)
            out << lines().lineArrayA(i);
        return out;
    }
};

const QString T = QStringLiteral("\t");

TEST_F(LineTableTest, SplitsIntoDistinctLowerCaseLinesKeepingTheLastOfEqualOnes) {
    struct Case {
        const char* name;
        QByteArray text; // a file's bytes, before the CR LF every reader appends
        QStringList table;
    };
    const Case cases[] = {
        {"example", "Ab\r\nx\r\n\r\nab\r\n", {"\tx\t", "\tab\t", "\t\t"}},
        {"empty file", "", {"\t\t"}},
        {"no final line break", "a\r\nb", {"\ta\t", "\tb\t", "\t\t"}},
        {"LF alone splits nothing", "a\nb", {"\ta\nb\t", "\t\t"}},
        {"bare CR skips one character", "ab\rcd", {"\tab\t", "\td\t", "\t\t"}},
        {"A and a are one line", "A\r\nq\r\na", {"\tq\t", "\ta\t", "\t\t"}},
        {"blanks stay", "  x \r\n   ", {"\t  x \t", "\t   \t", "\t\t"}},
        {"CR CR LF is an empty line", "a\r\r\nb\r\r\n", {"\ta\t", "\tb\t", "\t\t"}},
        {"CR-only file ending in CR", "a\rxb\r", {"\ta\t", "\tb\t", "\t\t"}},
        // Single-byte text: every byte is a character and only A-Z change.
        {"bytes stay as they are",
         "\xC4\xFF\x80"
         "Ab\r\nx",
         {QString::fromLatin1("\t\xC4\xFF\x80"
                              "ab\t"),
          "\tx\t", "\t\t"}},
        {"one byte after a CR is skipped",
         "a\r\xE4\xB8\xAD"
         "b",
         {"\ta\t",
          QString::fromLatin1("\t\xB8\xAD"
                              "b\t"),
          "\t\t"}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(lines().split(c.text + "\r\n").status, app::LineTable::SplitStatus::Done)
            << c.name;
        EXPECT_EQ(table(), c.table) << c.name;
        EXPECT_EQ(lines().lineCount, c.table.size() - 1) << c.name;
        EXPECT_EQ(lines().lineArrayB(0), c.table.front()) << c.name;
    }
}

TEST_F(LineTableTest, RepeatsOfAnyLengthGoAsAPlainSetFindsThem) {
    // Many repeated lines of every length up to 80 bytes, many of them one byte apart: what is
    // kept is what a set of the lines seen, read from the back, keeps.
    std::mt19937 random(7);
    QByteArray text;
    QByteArrayList cut;
    for (int i = 0; i < 2500; ++i) {
        QByteArray line(qsizetype(random() % 81), 'a');
        for (int k = 0; k < 3; ++k)
            if (!line.isEmpty())
                line[qsizetype(random() % line.size())] = "bc|\t"[random() % 4];
        text += line + "\r\n";
        cut.append(line);
    }
    QStringList expected{"\t\t"};
    QSet<QByteArray> seen;
    for (auto line = cut.crbegin(); line != cut.crend(); ++line) {
        if (line->isEmpty() || seen.contains(*line))
            continue;
        seen.insert(*line);
        expected.prepend(QLatin1Char('\t') + QString::fromLatin1(*line) + QLatin1Char('\t'));
    }
    ASSERT_EQ(lines().split(std::move(text)).status, app::LineTable::SplitStatus::Done);
    EXPECT_EQ(table(), expected);
}

TEST_F(LineTableTest, TheWorkingTableHoldsEveryLineWithRepeatsEmptied) {
    imaging().zhong(QStringLiteral("a\r\nB\r\n\r\nb\r\na\r\n"));
    const QStringList expected{"", "", "", "b", "a"};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines().recordLines(i), expected[i]) << i;

    // Another user of the working table writes and empties it freely.
    lines().recordLines.set(100000, QStringLiteral("x"));
    EXPECT_EQ(lines().recordLines(100000), "x");
    lines().recordLines.set(100000, QString());
    EXPECT_EQ(lines().recordLines(100000), "");
    EXPECT_THROW(lines().recordLines(100001), vbrt::RuntimeError);
}

TEST_F(LineTableTest, ANewTextReplacesTheWholeTable) {
    imaging().zhong(QStringLiteral("one\r\ntwo\r\nthree\r\n\r\n"));
    imaging().zhong(QStringLiteral("new\r\n\r\n"));
    EXPECT_EQ(lines().lineCount, 1);
    EXPECT_EQ(lines().lineArrayA(0), "\tnew\t");
    EXPECT_EQ(lines().lineArrayA(1), "\t\t");
    EXPECT_EQ(lines().lineArrayA(2), "");
    EXPECT_EQ(lines().lineArrayB(3), "");
    EXPECT_EQ(lines().recordLines(2), "");
    EXPECT_THROW(lines().lineArrayA(3001), vbrt::RuntimeError);
}

TEST_F(LineTableTest, GridCellsAreTheTokensBetweenSeparators) {
    load(QStringLiteral("FF00AA\t*\t600\r\na|b\r\nx||y\t\r\nno separator"));
    const app::TextGrid& g = lines().pixelSetA;
    EXPECT_EQ(g(0, 1), "ff00aa");
    EXPECT_EQ(g(0, 2), "*");
    EXPECT_EQ(g(0, 3), "600");
    EXPECT_EQ(g(0, 4), "");
    EXPECT_EQ(g(1, 1), "a");
    EXPECT_EQ(g(1, 2), "b");
    EXPECT_EQ(g(2, 1), "x");
    EXPECT_EQ(g(2, 2), "");
    EXPECT_EQ(g(2, 3), "y");
    EXPECT_EQ(g(2, 4), "");
    EXPECT_EQ(g(3, 1), "no separator");
    EXPECT_EQ(g(0, 0), "");
    EXPECT_EQ(g(5000, 5000), "");
    EXPECT_THROW(g(5001, 1), vbrt::RuntimeError);
    EXPECT_THROW(g(0, 5001), vbrt::RuntimeError);
    // Only the grid being loaded changes.
    EXPECT_EQ(lines().pixelSetB(0, 1), "");
    imaging().qingnvc();
    EXPECT_EQ(lines().pixelSetC(1, 2), "b");
}

TEST_F(LineTableTest, ALoadReplacesTheWholeGrid) {
    load(QStringLiteral("a\tb\tc\r\nd\te\tf\r\ng\th\ti"));
    load(QStringLiteral("X\r\nY\tZ"));
    const app::TextGrid& g = lines().pixelSetA;
    const QStringList row0{g(0, 1), g(0, 2), g(0, 3)};
    const QStringList row1{g(1, 1), g(1, 2), g(1, 3)};
    const QStringList row2{g(2, 1), g(2, 2), g(2, 3)};
    EXPECT_EQ(row0, (QStringList{"x", "", ""}));
    EXPECT_EQ(row1, (QStringList{"y", "z", ""}));
    EXPECT_EQ(row2, (QStringList{"", "", ""}));
    // An empty text leaves an empty grid.
    load(QString());
    EXPECT_EQ(g(0, 1), "");
    EXPECT_EQ(g(1, 1), "");
}

TEST_F(LineTableTest, ALineKeepsAtMost4999Tokens) {
    QString line;
    for (int i = 1; i <= 5003; ++i)
        line += QString::number(i) + T;
    load(line);
    EXPECT_EQ(lines().pixelSetA(0, 4999), "4999");
    EXPECT_EQ(lines().pixelSetA(0, 5000), "");
}

TEST_F(LineTableTest, TextsTheTableCannotHoldAreRefusedWhole) {
    load(QStringLiteral("old\tcell"));
    struct Case {
        const char* name;
        QString text;
        int limit;
    };
    QString full, over, manyLines;
    for (int i = 0; i < 3000; ++i)
        full += QString::number(i) + QStringLiteral("\r\n");
    over = full + QStringLiteral("3000\r\n");
    manyLines = QStringLiteral("\r\n").repeated(100002);
    const Case refused[] = {
        {"3001 distinct lines", over, 3000},
        {"more lines than the working table", manyLines, 100001},
    };
    for (const Case& c : refused) {
        dialogs.expectMsgBox(
            QStringLiteral("目前，记录行已经超过软件所设定的阀值：%1条，请重试。").arg(c.limit),
            QStringLiteral("Tessal Arvendel"), ui::vbOK, ui::vbOKOnly);
        imaging().zhong(c.text);
        imaging().qingnv();
        EXPECT_EQ(lines().lineCount, 1) << c.name;
        EXPECT_EQ(lines().lineArrayA(0), "\told\tcell\t") << c.name;
        EXPECT_EQ(lines().lineArrayA(1), "\t\t") << c.name;
        EXPECT_EQ(lines().pixelSetA(0, 2), "cell") << c.name;
        EXPECT_TRUE(dialogs.allShown()) << c.name;
    }

    // 3000 distinct lines fill the table exactly, the closing entry included.
    imaging().zhong(full);
    EXPECT_EQ(lines().lineCount, 3000);
    EXPECT_EQ(lines().lineArrayA(2999), "\t2999\t");
    EXPECT_EQ(lines().lineArrayA(3000), "\t\t");
}

TEST_F(LineTableTest, OneWriterAtATime) {
    {
        app::LineTable::WriterHold first(lines());
        EXPECT_TRUE(first.held());
        app::LineTable::WriterHold second(lines());
        EXPECT_FALSE(second.held());
        EXPECT_TRUE(lines().writerBusy());
    }
    EXPECT_FALSE(lines().writerBusy());
    app::LineTable::WriterHold again(lines());
    EXPECT_TRUE(again.held());
}

TEST_F(LineTableTest, ALoaded800By600SetCostsLessThanTwiceItsFile) {
    QByteArray file;
    double count = 0;
    for (int c = 0; c < 800; ++c) {
        for (int r = 0; r < 600; ++r)
            file += QByteArray::number((c * 977 + r * 131) & 0xFFFFFF, 16)
                        .toUpper()
                        .rightJustified(6, '0') +
                    '\t';
        count += 600;
        file += QByteArray::number(count, 'f', 0) + "\r\n";
    }
    file += "\r\n";

    const size_t before = mallinfo2().uordblks;
    auto store = std::make_unique<app::LineTable>();
    ASSERT_EQ(store->split(file).status, app::LineTable::SplitStatus::Done);
    store->fillGrid(store->pixelSetA);
    const size_t after = mallinfo2().uordblks;

    EXPECT_LT(double(after - before), 2.0 * double(file.size()));
    EXPECT_EQ(store->lineCount, 800);
    EXPECT_EQ(store->pixelSetA(799, 601), "480000");
    EXPECT_EQ(store->pixelSetA(1, 1), QString::number(977, 16).rightJustified(6, '0'));
}

} // namespace
