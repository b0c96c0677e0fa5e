#include "app/forms.h"
#include "app/module1.h"
#include "app_fixture.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "text_printers.h"

#include <QDir>
#include <QImage>
#include <functional>
#include <utility>

using namespace testing_support;

namespace {

const QString kPictureFilter =
    QStringLiteral("图形文件*.jpg|*.jpg|图形文件*.bmp|*.bmp|图形文件*.gif|*.gif");
const QString kCaption = QStringLiteral("Dorvel 画画         ");

// The freehand drawing window, which shows the preview button.
class PicturePreview : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        app::form1().show();
        app::form1().Command12_Click();
        ASSERT_TRUE(f().Command1(20).Visible());
    }
    shell::Form2& f() { return app::form2(); }
    app::Module1& m() { return app::module1(); }

    // A folder of the program's folder holding these files (a picture for a ".bmp" name);
    // its path with the trailing "/".
    QString folderWith(const QString& folder, const QStringList& names) {
        QDir().mkpath(path(folder));
        for (const QString& name : names) {
            const QString file = folder + QLatin1Char('/') + name;
            if (name.endsWith(QLatin1String(".bmp"))) {
                QImage picture(40, 20, QImage::Format_RGB32);
                picture.fill(Qt::red);
                EXPECT_TRUE(picture.save(path(file), "BMP"));
            } else {
                write(file, "not a picture");
            }
        }
        return path(folder) + QLatin1Char('/');
    }
    // The listed entries as names within `folder`, up to the count.
    QStringList listed(const QString& folder) {
        QStringList names;
        for (int i = 0; i < std::min<double>(m().pictureCount, 3); ++i)
            names << QString(m().pictureList[size_t(i)]).remove(folder);
        return names;
    }
};

// Forwards every dialog to the script; the open dialog first stays open for a while.
class SlowOpenDialog : public ui::Dialogs {
public:
    SlowOpenDialog(ScriptedDialogs& script, std::function<void()> whileOpen)
        : script_(script), whileOpen_(std::move(whileOpen)) {
        ui::setDialogs(this);
    }
    ~SlowOpenDialog() override { ui::setDialogs(&script_); }
    int msgBox(const QString& prompt, int style, const QString& title) override {
        return script_.msgBox(prompt, style, title);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override {
        return script_.inputBox(prompt, title, defaultText);
    }
    std::optional<QString> openFile(const ui::FileDialogRequest& request) override {
        whileOpen_();
        return script_.openFile(request);
    }
    std::optional<QString> saveFile(const ui::FileDialogRequest& request) override {
        return script_.saveFile(request);
    }
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour initial) override {
        return script_.chooseColor(initial);
    }
    std::optional<int> popupMenu(const std::vector<ui::MenuItem>& items) override {
        return script_.popupMenu(items);
    }

private:
    ScriptedDialogs& script_;
    std::function<void()> whileOpen_;
};

} // namespace

TEST_F(PicturePreview, TheButtonListsThePickedPicturesFolderAndTheSlideshowShowsItsPictures) {
    const QString folder = folderWith(QStringLiteral("pics"), {"c.bmp", "b.txt", "a.bmp"});
    f().Text1(2).setText(QStringLiteral("0"));

    f().Command1(20).press();
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("停止预览"));
    EXPECT_TRUE(f().Timer(12).Enabled());

    // A cancelled dialog comes back at the next tick.
    dialogs.expectOpenFile(std::nullopt);
    advance(1.5);
    EXPECT_TRUE(f().Timer(12).Enabled());
    EXPECT_EQ(m().pictureCount, 0);

    dialogs.expectOpenFile(folder + "c.bmp");
    advance(1.5);
    EXPECT_EQ(dialogs.filters.last(), kPictureFilter);
    // Every file, the text file too, in name order.
    EXPECT_EQ(m().pictureCount, 3);
    EXPECT_EQ(listed(folder), QStringList({"a.bmp", "b.txt", "c.bmp"}));
    EXPECT_FALSE(f().Timer(12).Enabled());
    EXPECT_TRUE(f().Timer(1).Enabled());

    advance(1.8);
    EXPECT_EQ(f().Caption(), kCaption + folder + "a.bmp");
    // The text file is passed over.
    advance(1.8);
    EXPECT_EQ(f().Caption(), kCaption + folder + "c.bmp");
    EXPECT_EQ(f().Text1(2).Text(), QStringLiteral("3"));
    advance(1.8);
    EXPECT_FALSE(f().Timer(1).Enabled());
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("停止预览"));

    f().Timer(1).setEnabled(true);
    f().Command1(20).press();
    EXPECT_EQ(f().Command1(20).Caption(), QStringLiteral("图像预览"));
    EXPECT_FALSE(f().Timer(12).Enabled());
    EXPECT_FALSE(f().Timer(1).Enabled());
}

TEST_F(PicturePreview, TheListingsDialogStaysTheOnlyOneWhileItIsOpen) {
    const QString folder = folderWith(QStringLiteral("pics"), {"a.bmp"});
    // Open for five seconds: three more ticks of the listing come due meanwhile.
    const SlowOpenDialog slow(dialogs, [this, first = true]() mutable {
        if (std::exchange(first, false))
            advance(5);
    });
    dialogs.expectOpenFile(folder + "a.bmp");
    f().Command1(20).press();
    advance(1.5);
    EXPECT_EQ(m().pictureCount, 1);
    EXPECT_FALSE(f().Timer(12).Enabled());
}

TEST_F(PicturePreview, TheListingTakesEveryFileUpToTheFirstDollarAndItsStartFromTheIndexBox) {
    struct Case {
        const char* why;
        QStringList files;
        const char* picked; // within the folder
        const char* start;  // Text1(2)
        double before;      // pictureIndex before the listing
        double count;
        QStringList entries;
        double index;
    };
    const Case cases[] = {
        {"a name with $ ends the listing after itself",
         {"a.jpg", "b$.txt", "c.jpg"},
         "c.jpg",
         "0",
         0,
         2,
         {"a.jpg", "b$.txt"},
         0},
        {"sub-folders are not listed",
         {"sub/x.bmp", "b.txt", "a.bmp"},
         "a.bmp",
         "1",
         0,
         2,
         {"a.bmp", "b.txt"},
         1},
        {"a start above the count begins with the first",
         {"a", "b", "c"},
         "a",
         "5",
         0,
         3,
         {"a", "b", "c"},
         0},
        {"a start equal to the count stays", {"a", "b", "c"}, "a", "3", 0, 3, {"a", "b", "c"}, 3},
        {"a start that is no number keeps the index",
         {"a", "b", "c"},
         "a",
         "x",
         2,
         3,
         {"a", "b", "c"},
         2},
        // The folder is cut at the last "\" as well as at the last "/".
        {"a name cut at a backslash", {"w\\/a", "w\\/b"}, "w\\a", "0", 0, 2, {"w\\a", "w\\b"}, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QString name = QStringLiteral("f%1").arg(n++);
        for (const QString& file : c.files) {
            if (file.contains(u'/'))
                QDir().mkpath(path(name + "/" + file.section(u'/', 0, -2)));
        }
        const QString folder = folderWith(name, c.files);
        const QString picked = folder + QString::fromUtf8(c.picked);
        f().Text1(2).setText(QString::fromUtf8(c.start));
        m().pictureIndex = c.before;
        f().Timer(12).setEnabled(true);

        dialogs.expectOpenFile(picked);
        f().slideshow.Timer12_Timer();
        EXPECT_EQ(m().pictureCount, c.count);
        EXPECT_EQ(listed(folder), c.entries);
        EXPECT_EQ(m().pictureIndex, c.index);
    }
}

TEST_F(PicturePreview, AFolderOfMoreFilesThanTheListHoldsIsCountedWhole) {
    const int files = app::Module1::kPictureListSize + 1;
    QDir().mkpath(path(QStringLiteral("many")));
    for (int i = 0; i < files; ++i)
        write(QStringLiteral("many/%1").arg(i, 5, 10, QLatin1Char('0')), {});
    const QString folder = path(QStringLiteral("many")) + QLatin1Char('/');

    dialogs.expectOpenFile(folder + "00000");
    f().slideshow.Timer12_Timer();
    EXPECT_EQ(m().pictureCount, files);
    EXPECT_EQ(m().pictureList.back(), folder + "10000");
    EXPECT_EQ(m().pictureList.size(), size_t(app::Module1::kPictureListSize));
}
