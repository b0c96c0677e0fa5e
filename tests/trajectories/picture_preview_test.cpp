#include "app/module1.h"
#include "app_fixture.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "trajectories/command_words.h"

#include <QDir>
#include <QImage>

using namespace testing_support;

namespace {

const QString kCaption = QStringLiteral("Dorvel 画画         ");

// The freehand drawing window, which shows the preview button.
class PicturePreview : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        shell::form1().show();
        shell::form1().Command12_Click();
    }
    shell::Form2& f() { return shell::form2(); }
    trajectories::Slideshow& show() { return f().slideshow; }

    // A folder of the program's folder with these files ("x/y" in a sub-folder; a picture for a
    // ".bmp" name); its path with the trailing "/".
    QString folderWith(const QString& folder, const QStringList& names) {
        for (const QString& name : names) {
            const QString file = folder + '/' + name;
            QDir().mkpath(QFileInfo(path(file)).absolutePath());
            QImage picture(40, 20, QImage::Format_RGB32);
            picture.fill(Qt::red);
            if (!name.endsWith(".bmp") || !picture.save(path(file), "BMP"))
                write(file, "not a picture");
        }
        return path(folder) + '/';
    }
    // The first three listed entries, without the folder.
    QStringList listed(const QString& folder) {
        QStringList names;
        for (int i = 0; i < std::min<double>(show().pictureCount, 3); ++i)
            names << QString(show().pictureList[size_t(i)]).remove(folder);
        return names;
    }
};

} // namespace

TEST_F(PicturePreview, TheButtonListsThePickedPicturesFolderAndTheSlideshowShowsItsPictures) {
    const QString folder = folderWith("pics", {"c.bmp", "b.txt", "a.bmp", "sub/d.bmp"});
    f().Text1(2).setText("0");
    f().Command1(20).press();
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("停止预览"));

    // A cancelled dialog comes back at the next tick; one open for five seconds stays the
    // only one, while the ticks that come due meanwhile pass.
    dialogs.expectOpenFile(std::nullopt).expectOpenFile(folder + "c.bmp", [this] { advance(5); });
    advance(3);
    EXPECT_EQ(dialogs.filters.last(),
              QStringLiteral("图形文件*.jpg|*.jpg|图形文件*.bmp|*.bmp|图形文件*.gif|*.gif"));
    // Every file, the text file too, in name order; no sub-folder.
    EXPECT_EQ(listed(folder), QStringList({"a.bmp", "b.txt", "c.bmp"}));
    EXPECT_EQ(show().pictureCount, 3);
    EXPECT_FALSE(f().Timer(12).Enabled());

    advance(1.8);
    EXPECT_EQ(f().Caption(), kCaption + folder + "a.bmp");
    advance(1.8); // the text file is passed over
    EXPECT_EQ(f().Caption(), kCaption + folder + "c.bmp");
    advance(1.8);
    EXPECT_FALSE(f().Timer(1).Enabled());
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("停止预览"));

    f().Timer(1).setEnabled(true);
    f().Command1(20).press();
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("图像预览"));
    EXPECT_FALSE(f().Timer(12).Enabled());
    EXPECT_FALSE(f().Timer(1).Enabled());
}

TEST_F(PicturePreview, TheListingTakesEveryFileUpToTheFirstDollarAndItsStartFromTheIndexBox) {
    struct Case {
        const char* why;
        QStringList files;
        const char* picked; // in the folder
        const char* start;  // Text1(2)
        double count;
        QStringList entries;
        double index; // from 2 before
    };
    const Case cases[] = {
        {"a name with $ ends the listing after itself",
         {"a", "b$", "c"},
         "c",
         "1",
         2,
         {"a", "b$"},
         1},
        {"a start that is no number keeps the index", {"a", "b"}, "a", "x", 2, {"a", "b"}, 2},
        {"a start above the count begins with the first", {"a", "b"}, "a", "3", 2, {"a", "b"}, 0},
        // On a name with "\" the folder is cut there as well.
        {"a name cut at a backslash", {"w\\/a", "w\\/b"}, "w\\a", "0", 2, {"w\\a", "w\\b"}, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QString folder = folderWith(QString::number(n++), c.files);
        f().Text1(2).setText(c.start);
        show().pictureIndex = 2;
        dialogs.expectOpenFile(folder + c.picked);
        f().slideshow.Timer12_Timer();
        EXPECT_EQ(show().pictureCount, c.count);
        EXPECT_EQ(listed(folder), c.entries);
        EXPECT_EQ(show().pictureIndex, c.index);
    }
}

TEST_F(PicturePreview, AFolderOfMoreFilesThanTheListHoldsIsCountedWhole) {
    QStringList names;
    for (int i = 0; i <= trajectories::Slideshow::kPictureListSize; ++i)
        names << QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
    const QString folder = folderWith("many", names);
    dialogs.expectOpenFile(folder + "00000");
    f().slideshow.Timer12_Timer();
    EXPECT_EQ(show().pictureCount, trajectories::Slideshow::kPictureListSize + 1);
    EXPECT_EQ(show().pictureList.back(), folder + "10000");
}
