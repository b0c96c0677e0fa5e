#include "app/line_table.h"

#include "vbrt/errors.h"

#include <string_view>
#include <unordered_set>

namespace app {

// ---- TextArray ----

void TextArray::check(int i) const {
    if (i < 0 || i > upper_)
        vbrt::raise(vbrt::ErrSubscript);
}

QString TextArray::operator()(int i) const {
    check(i);
    if (size_t(i) >= entries_.size())
        return {};
    const Entry& e = entries_[size_t(i)];
    const QString line =
        e.text ? QString::fromUtf8(e.text->bytes.constData() + e.offset, e.length) : QString();
    return e.wrapped ? QLatin1Char('\t') + line + QLatin1Char('\t') : line;
}

void TextArray::put(int i, Entry e) {
    if (size_t(i) >= entries_.size()) {
        // Entries never written read as empty text: an empty one needs no room.
        if (!e.text && !e.wrapped)
            return;
        entries_.resize(size_t(i) + 1);
    }
    entries_[size_t(i)] = std::move(e);
}

TextArray::Entry TextArray::own(const QByteArray& utf8) {
    if (utf8.isEmpty())
        return {};
    auto text = std::make_shared<LoadedText>();
    text->bytes = utf8;
    return Entry{std::move(text), 0, uint32_t(utf8.size()), false};
}

void TextArray::set(int i, const QString& text) {
    check(i);
    put(i, own(text.toUtf8()));
}

// ---- TextGrid ----

int TextGrid::Layer::tokens() const {
    const size_t n = b32.empty() ? b16.size() : b32.size();
    return n == 0 ? 0 : int(n) - 1;
}

QString TextGrid::operator()(int line, int token) const {
    if (line < 0 || line > kUpper || token < 0 || token > kUpper)
        vbrt::raise(vbrt::ErrSubscript);
    return QString::fromUtf8(cell(line, token));
}

QByteArrayView TextGrid::cell(int line, int token) const {
    if (size_t(line) >= rows_.size() || token < 1)
        return {};
    const std::vector<Layer>& row = rows_[size_t(line)];
    for (auto it = row.rbegin(); it != row.rend(); ++it) {
        if (it->tokens() >= token) {
            const uint32_t from = it->start + it->bound(token - 1);
            const uint32_t to = it->start + it->bound(token) - 1;
            return QByteArrayView(it->text->bytes.constData() + from, qsizetype(to - from));
        }
    }
    return {};
}

void TextGrid::store(int line, Layer layer) {
    if (layer.tokens() == 0)
        return;
    if (size_t(line) >= rows_.size())
        rows_.resize(size_t(line) + 1);
    std::vector<Layer>& row = rows_[size_t(line)];
    // Older loads whose cells are all overwritten are gone for good.
    const int n = layer.tokens();
    std::erase_if(row, [n](const Layer& l) { return l.tokens() <= n; });
    row.push_back(std::move(layer));
}

// ---- LineTable ----

namespace {
bool isAscii(const QByteArray& b) {
    for (char c : b)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

// Length in bytes of the UTF-8 character that starts with this byte.
int charLength(uchar lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

struct RawLine {
    uint32_t start;
    uint32_t length;
};
} // namespace

LineTable::SplitResult LineTable::split(const QString& text) {
    return splitLowered(text.toLower().toUtf8());
}

LineTable::SplitResult LineTable::splitUtf8(const QByteArray& utf8) {
    if (!isAscii(utf8))
        return split(QString::fromUtf8(utf8));
    QByteArray lowered = utf8;
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
    return splitLowered(std::move(lowered));
}

LineTable::SplitResult LineTable::splitLowered(QByteArray lowered) {
    const char* data = lowered.constData();
    const uint32_t size = uint32_t(lowered.size());

    // Lines as cut at each CR; nothing is stored before the whole text is known to fit.
    std::vector<RawLine> raw;
    uint32_t from = 0;
    for (uint32_t i = 0; i < size; ++i) {
        if (data[i] != '\r')
            continue;
        if (i < from) // a CR right where the skipped LF should be
            return {SplitStatus::TooManyLines, kTableUpper};
        if (raw.size() > size_t(kRecordUpper))
            return {SplitStatus::TooManyLines, kRecordUpper + 1};
        raw.push_back({from, i - from});
        from = i + 1; // the character after the CR is skipped, whatever it is
        if (from < size)
            from += uint32_t(charLength(uchar(data[from])));
    }

    // Of equal lines only the last one stays, at its own place.
    std::vector<bool> keep(raw.size(), false);
    std::unordered_set<std::string_view> seen;
    size_t kept = 0;
    for (size_t j = raw.size(); j-- > 0;) {
        if (raw[j].length == 0)
            continue;
        if (seen.insert(std::string_view(data + raw[j].start, raw[j].length)).second) {
            keep[j] = true;
            if (++kept > size_t(kTableUpper))
                return {SplitStatus::TooManyLines, kTableUpper};
        }
    }

    auto text = std::make_shared<const LoadedText>(LoadedText{std::move(lowered)});
    const int lastCleared = std::min(int(recordLines.entries_.size()) - 1, kTableUpper);
    for (int i = 0; i <= lastCleared; ++i)
        recordLines.entries_[size_t(i)] = {};
    for (size_t j = 0; j < raw.size(); ++j) {
        const bool dropped = raw[j].length > 0 && !keep[j];
        recordLines.put(int(j), dropped ? TextArray::Entry{}
                                        : TextArray::Entry{text, raw[j].start, raw[j].length});
    }
    int w = 0;
    for (size_t j = 0; j < raw.size(); ++j) {
        if (!keep[j])
            continue;
        const TextArray::Entry e{text, raw[j].start, raw[j].length, true};
        lineArrayA.put(w, e);
        lineArrayB.put(w, e);
        ++w;
    }
    const TextArray::Entry closing{text, 0, 0, true};
    lineArrayA.put(w, closing);
    lineArrayB.put(w, closing);
    lineCount = w;
    return {};
}

void LineTable::fillGrid(TextGrid& grid) {
    if (!(lineCount > 0))
        return;
    for (int i = 0; i <= lineCount; ++i) {
        if (i > kTableUpper)
            vbrt::raise(vbrt::ErrSubscript);
        const bool written = size_t(i) < lineArrayA.entries_.size();
        const TextArray::Entry e = written ? lineArrayA.entries_[size_t(i)] : TextArray::Entry{};
        const char* data = e.text ? e.text->bytes.constData() + e.offset : nullptr;

        // Bounds of the tokens: each is one past a separator; the wrapping TABs of a line
        // table entry are separators too.
        std::vector<uint32_t> bounds;
        if (e.wrapped)
            bounds.push_back(0);
        for (uint32_t p = 0; p < e.length && bounds.size() <= size_t(TextGrid::kMaxTokens); ++p)
            if (data[p] == '\t' || data[p] == '|')
                bounds.push_back(p + 1);
        if (e.wrapped && bounds.size() <= size_t(TextGrid::kMaxTokens))
            bounds.push_back(e.length + 1);

        TextGrid::Layer layer;
        layer.text = e.text;
        layer.start = e.offset;
        if (!bounds.empty() && bounds.back() <= 0xFFFF)
            layer.b16.assign(bounds.begin(), bounds.end());
        else
            layer.b32 = std::move(bounds);
        grid.store(i, std::move(layer));
    }
}

// ---- WriterHold ----

LineTable::WriterHold::WriterHold(LineTable& table) : table_(table.writerBusy_ ? nullptr : &table) {
    if (table_)
        table_->writerBusy_ = true;
}

LineTable::WriterHold::~WriterHold() {
    if (table_)
        table_->writerBusy_ = false;
}

} // namespace app
