#include "platform/web_browser.h"

#include "vbrt/file_reader.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <functional>

namespace platform {

namespace {

const QStringList HtmlSuffixes{"htm", "html", "shtml", "xhtml"};
const QStringList TextSuffixes{"txt", "text", "log", "csv", "ini"};
const QStringList PictureSuffixes{"jpg", "jpeg", "jpe", "bmp", "gif", "png"};

const QString OnlyLocal = QStringLiteral("本程序只显示本机的网页和图片");

// The local file a file address names, or the empty text when it names none. The host
// "localhost" is this machine: "file://localhost/x" names "/x" as "file:///x" does (Qt would
// make it "//localhost/x").
QString localFileOf(QUrl url) {
    if (url.host().compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        url.setHost(QString());
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

// The local file an address names, or the empty text when it names none.
QString localPathOf(const QString& address) {
    if (address.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return localFileOf(QUrl(address));
    // Qt counts ":/x" (resources) as absolute too; only real paths are wanted here.
    return address.startsWith(QLatin1Char('/')) ? address : QString();
}

// The view of a page. The pictures and style sheets a page names are read as the page is,
// through the page's files with the window's limits, never by Qt's own loader, which waits for
// ever on a FIFO and reads a device without end; a refused picture shows as a missing one.
class PageView : public QTextBrowser {
public:
    // `page` gives the local file shown, for names relative to it.
    PageView(QWidget* parent, PageFiles& files, std::function<QString()> page)
        : QTextBrowser(parent), files_(files), page_(std::move(page)) {}

    QVariant loadResource(int type, const QUrl& name) override {
        // A data: address carries its content in the page, which the document reads itself.
        if (name.scheme().compare(QStringLiteral("data"), Qt::CaseInsensitive) == 0)
            return {};
        const QString page = page_();
        const QUrl url =
            name.isRelative() && !page.isEmpty() ? QUrl::fromLocalFile(page).resolved(name) : name;
        const QString path = localFileOf(url);
        if (path.isEmpty())
            return missingPicture();
        return type == QTextDocument::ImageResource ? files_.picture(path).value
                                                    : files_.resource(path);
    }

private:
    PageFiles& files_;
    std::function<QString()> page_;
};

QString decodeText(const QByteArray& data, bool html) {
    QStringDecoder decoder = html ? QStringDecoder::decoderForHtml(data)
                                  : QStringDecoder(QStringConverter::encodingForData(data).value_or(
                                        QStringConverter::Utf8));
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Utf8);
    return decoder.decode(data);
}

} // namespace

WebBrowser::WebBrowser(QWidget* parent)
    : view_(new PageView(parent, files_, [this] { return currentFile_; })) {
    // Links are followed here so that an address this view cannot show gets the explanation
    // page rather than an empty view.
    view_->setOpenLinks(false);
    view_->setOpenExternalLinks(false);
    QObject::connect(view_, &QTextBrowser::anchorClicked, view_,
                     [this](const QUrl& link) { followLink(link); });
}

WebBrowser::~WebBrowser() {
    delete view_.data();
}

void WebBrowser::Navigate(const QString& address) {
    if (!view_)
        return;
    const QString typed = address.trimmed();
    location_ = typed;
    currentFile_.clear();
    view_->clear();
    files_.clear();

    if (typed.isEmpty()) {
        showExplanation(typed, QStringLiteral("没有输入地址"));
        return;
    }
    const QString path = localPathOf(typed);
    if (path.isEmpty()) {
        showExplanation(typed, OnlyLocal);
        return;
    }
    location_ = QUrl::fromLocalFile(path).toString();
    QString reason;
    if (!showFile(path, reason))
        showExplanation(typed, reason);
}

bool WebBrowser::showFile(const QString& path, QString& reason) {
    const QFileInfo info(path);
    if (!info.exists()) {
        reason = QStringLiteral("找不到这个文件");
        return false;
    }
    if (info.isDir()) {
        reason = QStringLiteral("这是一个文件夹；") + OnlyLocal;
        return false;
    }
    const QString suffix = info.suffix().toLower();

    if (PictureSuffixes.contains(suffix)) {
        const PageFiles::Read read = files_.picture(path);
        if (!read.why.isEmpty()) {
            reason = QStringLiteral("图片无法读取：") + read.why;
            return false;
        }
        const QString name = QUrl::fromLocalFile(path).toString();
        view_->document()->addResource(QTextDocument::ImageResource, QUrl(name), read.value);
        QTextCursor(view_->document()).insertImage(name);
        currentFile_ = info.absoluteFilePath();
        return true;
    }

    const bool html = HtmlSuffixes.contains(suffix);
    if (!html && !TextSuffixes.contains(suffix)) {
        reason = QStringLiteral("这种文件不是网页、文本或图片；") + OnlyLocal;
        return false;
    }
    const vbrt::ReadResult file = vbrt::readFile(path, PageFiles::kMaxPageBytes);
    if (!file) {
        reason = QStringLiteral("文件无法读取：") + file.error;
        return false;
    }
    const QString text = decodeText(file.bytes, html);
    currentFile_ = info.absoluteFilePath();
    if (html) {
        view_->setHtml(text);
    } else {
        view_->setPlainText(text);
    }
    return true;
}

void WebBrowser::showExplanation(const QString& address, const QString& reason) {
    view_->setHtml(
        QStringLiteral("<html><body><p>无法显示此地址：%1</p><p>（%2）</p></body></html>")
            .arg(address.toHtmlEscaped(), reason.toHtmlEscaped()));
}

void WebBrowser::followLink(const QUrl& link) {
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        view_->scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target =
        currentFile_.isEmpty() ? link : QUrl::fromLocalFile(currentFile_).resolved(link);
    const QString path = localFileOf(target);
    Navigate(path.isEmpty() ? target.toString() : path);
    if (target.hasFragment() && !currentFile_.isEmpty())
        view_->scrollToAnchor(target.fragment());
}

} // namespace platform
