#include "app/line_table.h"

#include "vbrt/errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
        e.text ? QString::fromLatin1(e.text->bytes.constData() + e.offset, e.length) : QString();
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

TextArray::Entry TextArray::own(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    auto text = std::make_shared<LoadedText>();
    text->bytes = bytes;
    return Entry{std::move(text), 0, uint32_t(bytes.size()), false};
}

void TextArray::set(int i, const QString& text) {
    check(i);
    put(i, own(text.toLatin1()));
}

// ---- TextGrid ----

int TextGrid::Row::tokens() const {
    const size_t n = b32.empty() ? b16.size() : b32.size();
    return n == 0 ? 0 : int(n) - 1;
}

QString TextGrid::operator()(int line, int token) const {
    if (line < 0 || line > kUpper || token < 0 || token > kUpper)
        vbrt::raise(vbrt::ErrSubscript);
    const QByteArrayView c = cell(line, token);
    return QString::fromLatin1(c.data(), c.size());
}

QByteArrayView TextGrid::cell(int line, int token) const {
    if (size_t(line) >= rows_.size() || token < 1)
        return {};
    const Row& row = rows_[size_t(line)];
    if (row.tokens() < token)
        return {};
    const uint32_t from = row.start + row.bound(token - 1);
    const uint32_t to = row.start + row.bound(token) - 1;
    return QByteArrayView(row.text->bytes.constData() + from, qsizetype(to - from));
}

void TextGrid::line(int line, LineCells& cells) const {
    cells.bounds_.clear();
    cells.count_ = 0;
    if (size_t(line) >= rows_.size() || !rows_[size_t(line)].text)
        return;
    const Row& row = rows_[size_t(line)];
    cells.data_ = row.text->bytes.constData() + row.start;
    if (row.b32.empty())
        cells.bounds_.assign(row.b16.begin(), row.b16.end());
    else
        cells.bounds_.assign(row.b32.begin(), row.b32.end());
    cells.count_ = int(cells.bounds_.size());
}

// ---- LineTable ----

namespace {
struct RawLine {
    uint32_t start;
    uint32_t length;
};

// Only A-Z: every other byte is a character of its own and comes back as it was. Without a
// branch the loop is vectorised.
void lowerLetters(QByteArray& bytes) {
    for (char& c : bytes)
        c = char(uchar(c) + (uchar(c - 'A') < 26 ? 'a' - 'A' : 0));
}

// A line's hash for finding equal lines. Eight bytes at a time in four lanes of their own, so
// that the lanes' multiplications overlap; the rounds and the final mixing are those of the
// well-known 64-bit hashes.
uint64_t lineHash(std::string_view line) {
    constexpr uint64_t kP1 = 0x9E3779B185EBCA87u, kP2 = 0xC2B2AE3D27D4EB4Fu;
    auto word = [](const char* at) {
        uint64_t w;
        std::memcpy(&w, at, sizeof w);
        return w;
    };
    auto round = [](uint64_t acc, uint64_t w) { return std::rotl(acc + w * kP2, 31) * kP1; };
    const char* p = line.data();
    const char* const end = p + line.size();
    uint64_t lanes[4] = {kP1, kP2, 0, ~kP1};
    for (; end - p >= 32; p += 32)
        for (int k = 0; k < 4; ++k)
            lanes[k] = round(lanes[k], word(p + 8 * k));
    uint64_t h = line.size();
    for (uint64_t lane : lanes)
        h = round(h, lane);
    for (; end - p >= 8; p += 8)
        h = round(h, word(p));
    uint64_t rest = 0;
    std::memcpy(&rest, p, size_t(end - p));
    h = round(h, rest);
    h = (h ^ (h >> 33)) * kP2;
    h = (h ^ (h >> 29)) * kP1;
    return h ^ (h >> 32);
}

} // namespace

LineTable::SplitResult LineTable::split(QByteArrayView bytes) {
    return splitOwned(bytes.toByteArray());
}

LineTable::SplitResult LineTable::splitOwned(QByteArray&& bytes) {
    QByteArray lowered = std::move(bytes);
    lowerLetters(lowered);
    // The loaded text lives as long as its cells: room the caller left for appending goes.
    lowered.squeeze();
    const char* const data = lowered.constData();
    const char* const end = data + lowered.size();

    // Lines as cut at each CR; nothing is stored before the whole text is known to fit.
    std::vector<RawLine> raw;
    uint32_t from = 0;
    for (const char* cr = data;
         (cr = static_cast<const char*>(std::memchr(cr, '\r', size_t(end - cr)))); ++cr) {
        const uint32_t i = uint32_t(cr - data);
        if (raw.size() > size_t(kRecordUpper))
            return {SplitStatus::TooManyLines, kRecordUpper + 1};
        // A CR where the skipped LF should be (CR CR) ends an empty line.
        raw.push_back(i < from ? RawLine{i, 0} : RawLine{from, i - from});
        from = i + 2; // the character after the CR is skipped, whatever it is
    }

    // Of equal lines only the last one stays, at its own place. The lines kept so far are
    // found by hash in an open table with room for more than a line table holds: a text with
    // more distinct lines is refused before it fills up.
    std::vector<bool> keep(raw.size(), false);
    auto lineAt = [&](size_t j) { return std::string_view(data + raw[j].start, raw[j].length); };
    struct Seen {
        uint32_t hashHigh = 0;
        uint32_t line = 0; // 1 + its index in `raw`; 0 for a free slot
    };
    constexpr size_t kSlots = 8192;
    static_assert(kSlots > 2 * (kTableUpper + 1) && std::has_single_bit(kSlots));
    std::vector<Seen> seen(kSlots);
    size_t kept = 0;
    for (size_t j = raw.size(); j-- > 0;) {
        if (raw[j].length == 0)
            continue;
        const std::string_view line = lineAt(j);
        const uint64_t hash = lineHash(line);
        const auto high = uint32_t(hash >> 32);
        size_t slot = hash & (kSlots - 1);
        for (; seen[slot].line != 0; slot = (slot + 1) & (kSlots - 1))
            if (seen[slot].hashHigh == high && lineAt(seen[slot].line - 1) == line)
                break;
        if (seen[slot].line != 0)
            continue;
        seen[slot] = {high, uint32_t(j + 1)};
        keep[j] = true;
        if (++kept > size_t(kTableUpper))
            return {SplitStatus::TooManyLines, kTableUpper};
    }

    // The new text replaces the tables whole: nothing of an earlier text stays behind.
    auto text = std::make_shared<const LoadedText>(LoadedText{std::move(lowered)});
    recordLines.clear();
    lineArrayA.clear();
    lineArrayB.clear();
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
    grid.rows_.clear();
    if (!(lineCount > 0))
        return;
    if (lineCount > kTableUpper)
        vbrt::raise(vbrt::ErrSubscript);
    grid.rows_.resize(size_t(lineCount) + 1);
    // The bounds of one line's tokens at a time: each is one past a separator, and the wrapping
    // TABs of a line table entry are separators too. kMaxTokens tokens take kKept bounds; the
    // room past them takes what a block of sixteen bytes finds beyond the last kept one.
    constexpr size_t kKept = size_t(TextGrid::kMaxTokens) + 1;
    std::vector<uint32_t> bounds(kKept + 15);
    const TextArray::Entry unwritten;
    for (int i = 0; i <= lineCount; ++i) {
        const bool written = size_t(i) < lineArrayA.entries_.size();
        const TextArray::Entry& e = written ? lineArrayA.entries_[size_t(i)] : unwritten;
        const char* data = e.text ? e.text->bytes.constData() + e.offset : nullptr;

        size_t n = 0;
        if (e.wrapped)
            bounds[n++] = 0;
        uint32_t p = 0;
#if defined(__SSE2__)
        // Sixteen bytes at a time, a bit for each that is a separator; without SSE2 the byte
        // loop below reads the whole line.
        const __m128i tab = _mm_set1_epi8('\t'), bar = _mm_set1_epi8('|');
        for (; e.length - p >= 16 && n < kKept; p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
            const __m128i separators =
                _mm_or_si128(_mm_cmpeq_epi8(bytes, tab), _mm_cmpeq_epi8(bytes, bar));
            for (auto at = uint32_t(_mm_movemask_epi8(separators)); at != 0; at &= at - 1)
                bounds[n++] = p + uint32_t(std::countr_zero(at)) + 1;
        }
        n = std::min(n, kKept);
#endif
        for (; p < e.length && n < kKept; ++p)
            if (data[p] == '\t' || data[p] == '|')
                bounds[n++] = p + 1;
        if (e.wrapped && n < kKept)
            bounds[n++] = e.length + 1;
        if (n < 2)
            continue; // no token

        TextGrid::Row& row = grid.rows_[size_t(i)];
        row.text = e.text;
        row.start = e.offset;
        if (bounds[n - 1] <= 0xFFFF)
            row.b16.assign(bounds.begin(), bounds.begin() + ptrdiff_t(n));
        else
            row.b32.assign(bounds.begin(), bounds.begin() + ptrdiff_t(n));
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
