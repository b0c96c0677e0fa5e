#include "platform/web_browser.h"

#include "vbrt/file_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>

namespace platform {

namespace {

const QStringList HtmlSuffixes{"htm", "html", "shtml", "xhtml"};
const QStringList TextSuffixes{"txt", "text", "log", "csv", "ini"};
const QStringList PictureSuffixes{"jpg", "jpeg", "jpe", "bmp", "gif", "png"};

const QString OnlyLocal = QStringLiteral("本程序只显示本机的网页和图片");

// The largest page or text shown: the window lays it out whole, and far less already takes
// seconds.
constexpr qint64 kMaxPageBytes = qint64(16) << 20;
// The largest picture file: a picture of 100 million pixels as an uncompressed bitmap.
constexpr qint64 kMaxPictureBytes = qint64(400) << 20;

// The local file an address names, or the empty text when it names none.
QString localPathOf(const QString& address) {
    if (address.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(address);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    // Qt counts ":/x" (resources) as absolute too; only real paths are wanted here.
    return address.startsWith(QLatin1Char('/')) ? address : QString();
}

QString decodeText(const QByteArray& data, bool html) {
    QStringDecoder decoder = html ? QStringDecoder::decoderForHtml(data)
                                  : QStringDecoder(QStringConverter::encodingForData(data).value_or(
                                        QStringConverter::Utf8));
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Utf8);
    return decoder.decode(data);
}

} // namespace

WebBrowser::WebBrowser(QWidget* parent) : view_(new QTextBrowser(parent)) {
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
    view_->setSearchPaths({});
    view_->clear();

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
        vbrt::ReadResult unread;
        const std::unique_ptr<QFile> file = vbrt::openFile(path, kMaxPictureBytes, unread);
        if (!file) {
            reason = QStringLiteral("图片无法读取：") + unread.error;
            return false;
        }
        QImageReader reader(file.get());
        reader.setAutoTransform(true);
        const QImage picture = reader.read();
        if (picture.isNull()) {
            reason = QStringLiteral("图片无法读取：") + reader.errorString();
            return false;
        }
        QTextCursor cursor(view_->document());
        cursor.insertImage(picture, QUrl::fromLocalFile(path).toString());
        currentFile_ = info.absoluteFilePath();
        return true;
    }

    const bool html = HtmlSuffixes.contains(suffix);
    if (!html && !TextSuffixes.contains(suffix)) {
        reason = QStringLiteral("这种文件不是网页、文本或图片；") + OnlyLocal;
        return false;
    }
    const vbrt::ReadResult file = vbrt::readFile(path, kMaxPageBytes);
    if (!file) {
        reason = QStringLiteral("文件无法读取：") + file.error;
        return false;
    }
    const QString text = decodeText(file.bytes, html);
    currentFile_ = info.absoluteFilePath();
    if (html) {
        // Pictures and style sheets named relative to the page are found beside it.
        view_->setSearchPaths({info.absolutePath()});
        view_->setHtml(text);
    } else {
        view_->setPlainText(text);
    }
    return true;
}

void WebBrowser::showExplanation(const QString& address, const QString& reason) {
    view_->setSearchPaths({});
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
    Navigate(target.isLocalFile() ? target.toLocalFile() : target.toString());
    if (target.hasFragment() && !currentFile_.isEmpty())
        view_->scrollToAnchor(target.fragment());
}

} // namespace platform
