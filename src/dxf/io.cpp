// Reading and writing: one pass over the bytes into tags and records, and
// the reverse concatenation of raw spans.
#include "dxf/internal.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lumo::dxf {

// Asks for huge pages on a large buffer before it is first written: with
// 4 KB pages, faulting in a 100 MB drawing costs more than parsing it.
static void adviseHuge(const void* p, std::size_t n)
{
#ifdef __linux__
    constexpr std::uintptr_t huge = 2u << 20;
    auto a = reinterpret_cast<std::uintptr_t>(p);
    std::uintptr_t start = (a + huge - 1) & ~(huge - 1);
    std::uintptr_t end = (a + n) & ~(huge - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

// Paths arrive as UTF-8; on Windows a narrow path would be read in the ANSI
// code page instead.
static std::filesystem::path toPath(const std::string& utf8)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

// Puts a written file (or the folder that names it) on the disk, so that a
// crash after the rename never leaves the drawing's name on an empty file.
static void flushToDisk(const std::filesystem::path& path, bool folder)
{
#ifdef _WIN32
    if (folder)
        return; // the file system journals the rename itself
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
#else
    const int fd = ::open(path.c_str(), O_RDONLY | (folder ? O_DIRECTORY : 0));
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

DxfError::DxfError(std::size_t line, const std::string& reason)
    : std::runtime_error(line ? "line " + std::to_string(line) + ": " + reason : reason), line_(line),
      reason_(reason)
{
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

bool parseHex(std::string_view s, std::uint64_t& out)
{
    s = trim(s);
    if (s.empty() || s.size() > 16)
        return false;
    std::uint64_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    out = v;
    return true;
}

std::string hexHandle(std::uint64_t h)
{
    char b[20];
    std::snprintf(b, sizeof b, "%llX", static_cast<unsigned long long>(h));
    return b;
}

std::string formatNumber(double v)
{
    char b[64];
    auto r = std::to_chars(b, b + sizeof b, v);
    std::string s(b, r.ptr);
    if (s.find_first_of(".e") == std::string::npos && s.find("inf") == std::string::npos
        && s.find("nan") == std::string::npos)
        s += ".0";
    return s;
}

double Group::number() const
{
    std::string_view s = trim(value);
    double v = 0.0;
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : 0.0;
}

long long Group::integer() const
{
    std::string_view s = trim(value);
    long long v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc())
        return static_cast<long long>(number());
    return v;
}

// The first '\n' in [p, e), or nullptr. Value lines are short: a few bytes
// are looked at before memchr, which pays off on long lines only.
// The next '\n' in [p, e), or null. Most lines are short: 16 bytes at a
// time are compared at once, the rest left to memchr.
[[gnu::always_inline]] inline static const char* findNewline(const char* p, const char* e)
{
#ifdef __SSE2__
    const __m128i newline = _mm_set1_epi8('\n');
    for (int round = 0; round < 2 && e - p >= 16; ++round, p += 16) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, newline)))
            return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    return p < e ? static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(e - p))) : nullptr;
}

// Most files write every code right-aligned in three columns ("  0",
// " 10", "330"): the width of such a code line up to its '\n', else 0.
// Checked without a branch per character, as the codes' lengths vary from
// group to group.
[[gnu::always_inline]] inline static int paddedCodeWidth(const char* p, const char* e)
{
    if (e - p < 5)
        return 0;
    auto digit = [](char c) { return static_cast<unsigned>(c - '0') < 10u; };
    const bool blank0 = p[0] == ' ', blank1 = p[1] == ' ';
    const bool shape = digit(p[2]) & (digit(p[1]) | (blank1 & blank0)) & (digit(p[0]) | blank0);
    const int width = p[3] == '\n' ? 3 : ((p[3] == '\r') & (p[4] == '\n')) ? 4 : 0;
    return shape ? width : 0;
}

// The code of a line paddedCodeWidth accepted.
[[gnu::always_inline]] inline static int paddedCode(const char* p)
{
    auto value = [](char c) { return static_cast<unsigned>(c - '0') < 10u ? c - '0' : 0; };
    return value(p[0]) * 100 + value(p[1]) * 10 + (p[2] - '0');
}

static Sec sectionKind(std::string_view name)
{
    if (name == "HEADER")
        return Sec::Header;
    if (name == "CLASSES")
        return Sec::Classes;
    if (name == "TABLES")
        return Sec::Tables;
    if (name == "BLOCKS")
        return Sec::Blocks;
    if (name == "ENTITIES")
        return Sec::Entities;
    if (name == "OBJECTS")
        return Sec::Objects;
    return Sec::Other;
}

static std::string shown(std::string_view s)
{
    std::string out;
    for (char c : s.substr(0, 40))
        out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    return out;
}

void DocData::parse(const std::function<bool(double)>* progress, double from, const ReadAhead* ahead)
{
    // The bytes known to be there: a group that reaches past them is
    // parsed again once they are.
    std::size_t readTo = ahead ? 0 : buf.size();
    auto await = [&](std::size_t need) {
        need = std::min(need, buf.size());
        if (need <= readTo)
            return;
        readTo = ahead->await(need);
        if (readTo < need)
            throw DxfError(0, "cannot read the file to its end");
    };
    await(64);
    static const char kBinary[] = "AutoCAD Binary DXF";
    if (buf.size() >= sizeof kBinary - 1 && std::memcmp(buf.data(), kBinary, sizeof kBinary - 1) == 0)
        throw DxfError(1, "binary DXF is not supported; save the drawing as ASCII DXF");
    if (buf.size() >= 0x7FFFFFF0u)
        throw DxfError(0, "file too large");
    if (buf.size() >= 3 && std::memcmp(buf.data(), "\xEF\xBB\xBF", 3) == 0)
        prefixLen = 3;

    const char* const b = buf.data();
    const char* p = b + prefixLen;
    const char* const e = b + buf.size();
    if (p == e)
        throw DxfError(1, "empty file");

    // Room for the most groups the file can hold (each takes 3 bytes at
    // least), so that the arrays never move while growing; pages of the
    // reserve that are never touched cost no memory.
    tags.reserve(buf.size() / 3 + 16);
    recs.reserve(buf.size() / 3 + 16);
    adviseHuge(tags.offData(), tags.capacity() * sizeof(std::uint32_t));
    adviseHuge(tags.codeData(), tags.capacity() * sizeof(std::int16_t));
    adviseHuge(recs.startData(), recs.capacity() * sizeof(std::uint32_t));
    adviseHuge(recs.marksData(), recs.capacity());

    // Line end and code padding of new groups follow the file's first line.
    await(buf.size() < (1u << 16) ? buf.size() : 1u << 16);
    const char* firstNl = static_cast<const char*>(std::memchr(p, '\n', readTo - prefixLen));
    if (!firstNl) {
        await(buf.size());
        firstNl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(e - p)));
    }
    if (const char* nl = firstNl) {
        eol = (nl > p && nl[-1] == '\r') ? "\r\n" : "\n";
        padCodes = *p == ' ';
    }

    Section* cur = nullptr; // open section
    std::uint32_t openParent = kNone;
    bool awaitingName = false;
    bool sawEof = false;
    std::size_t line = 1;

    // Sub-records take the ids right after their parent, so any other record
    // ends the parent's sequence.
    auto startRec = [&](std::uint32_t tagIndex, Sec sec) {
        recs.beginRead(tagIndex, sec);
        openParent = kNone;
    };

    // the progress is told every so many groups
    constexpr std::uint32_t kProgressEvery = 1u << 16;
    std::uint32_t untilProgress = kProgressEvery;
    const double total = static_cast<double>(e - b);
    while (p < e) {
        if (progress && --untilProgress == 0) {
            untilProgress = kProgressEvery;
            if (!(*progress)(from + (1 - from) * static_cast<double>(p - b) / total))
                throw LoadCancelled();
        }
        // group code: optional blanks, optional sign, digits, optional blanks
        // and the line end, scanned in one go (no search for the newline)
        int code = 0;
        bool ok = false, neg = false;
        const char* nl = nullptr;
        const char* q = p;
        if (const int width = paddedCodeWidth(p, e); width > 0) {
            code = paddedCode(p);
            ok = true;
            q = nl = p + width;
        } else {
            // (the buffer ends in a '\0' none of these loops goes past)
            while (*q == ' ')
                ++q;
            neg = *q == '-';
            q += neg;
            const char* digits = q;
            while (static_cast<unsigned>(*q - '0') < 10u && q - digits < 7)
                code = code * 10 + (*q++ - '0');
            ok = q > digits;
            while (*q == ' ' || *q == '\r' || *q == '\t')
                ++q;
            nl = *q == '\n' ? q : nullptr;
        }
        if (!ok || !nl) {
            // (what seems wrong may lie past the bytes read so far)
            if (readTo < buf.size()) {
                await(buf.size());
                continue;
            }
        }
        if (!ok || (!nl && q != e)) {
            const char* lineEnd
                = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(e - p)));
            const char* codeEnd = lineEnd ? lineEnd : e;
            // Blank lines at the very end are padding, not a group; blanks
            // after the last line end are a code line cut short.
            const char* r = p;
            bool cutLine = false;
            while (r < e && (*r == ' ' || *r == '\r' || *r == '\n' || *r == '\t' || *r == 0x1A || *r == 0)) {
                if (*r == ' ' || *r == '\t')
                    cutLine = true;
                else if (*r == '\n')
                    cutLine = false;
                ++r;
            }
            if (r == e && !sawEof && (cur || awaitingName || cutLine))
                throw DxfError(line, "the file ends inside a group code: it is incomplete");
            if (r == e)
                break;
            throw DxfError(line,
                           "group code expected, found \""
                               + shown(std::string_view(p, static_cast<std::size_t>(codeEnd - p))) + "\"");
        }
        if (neg)
            code = -code;
        if (!nl)
            throw DxfError(line,
                           "the file ends after group code " + std::to_string(code) + " without its value");
        const char* v = nl + 1;
        const char* vnl = findNewline(v, e);
        const char* vend = vnl ? vnl + 1 : e;
        // (the code line lies before the value's end: both were read)
        if (static_cast<std::size_t>(vend - b) > readTo) {
            await(static_cast<std::size_t>(vend - b));
            continue;
        }
        auto ti = static_cast<std::uint32_t>(tags.size());
        tags.push_back(Tag{code, static_cast<std::uint32_t>(p - b)});
        p = vend;
        // the value without its line end, where it is looked at
        auto valueText = [v, vend] {
            const char* t = vend;
            while (t > v && (t[-1] == '\n' || t[-1] == '\r'))
                --t;
            return std::string_view(v, static_cast<std::size_t>(t - v));
        };

        if ((code == 5 || code == 105) && cur && cur->kind != Sec::Header) {
            // handles, for new ones to start above all of them
            std::uint64_t h = 0;
            const char* hp = v;
            int nd = 0;
            for (; hp < vend && nd <= 16; ++hp, ++nd) {
                char ch = *hp;
                int dg = ch >= '0' && ch <= '9' ? ch - '0'
                    : ch >= 'A' && ch <= 'F'    ? ch - 'A' + 10
                    : ch >= 'a' && ch <= 'f'    ? ch - 'a' + 10
                                                : -1;
                if (dg < 0)
                    break;
                h = (h << 4) | static_cast<std::uint64_t>(dg);
            }
            if (nd > 0 && nd <= 16) {
                maxHandle = std::max(maxHandle, h);
                anyHandle = true;
            }
        }
        if (code == 0) {
            std::string_view val = trim(valueText());
            if (awaitingName)
                throw DxfError(line, "section name expected after SECTION");
            if (val == "SECTION") {
                if (cur)
                    throw DxfError(line, "section " + cur->name + " has no ENDSEC");
                sections.emplace_back();
                cur = &sections.back();
                startRec(ti, Sec::Loose);
                cur->head = static_cast<std::uint32_t>(recs.size() - 1);
                awaitingName = true;
                openParent = kNone;
            } else if (val == "ENDSEC") {
                if (!cur) {
                    // an unmatched ENDSEC (seen in legacy writers' files) is kept as it is
                    if (sections.empty() || sections.back().head != kNone)
                        sections.emplace_back();
                    startRec(ti, Sec::Loose);
                    sections.back().readItem(static_cast<std::uint32_t>(recs.size() - 1));
                    line += 2;
                    continue;
                }
                startRec(ti, cur->kind);
                cur->end = static_cast<std::uint32_t>(recs.size() - 1);
                cur = nullptr;
            } else if (val == "EOF") {
                if (cur)
                    throw DxfError(line, "EOF inside section " + cur->name);
                if (sections.empty() || sections.back().kind != Sec::Loose || sections.back().head != kNone)
                    sections.emplace_back();
                startRec(ti, Sec::Loose);
                sections.back().readItem(static_cast<std::uint32_t>(recs.size() - 1));
                sawEof = true;
                break;
            } else {
                if (!cur) {
                    // stray records between sections are kept as they are
                    if (sections.empty() || sections.back().head != kNone)
                        sections.emplace_back();
                    startRec(ti, Sec::Loose);
                    sections.back().readItem(static_cast<std::uint32_t>(recs.size() - 1));
                    line += 2;
                    continue;
                }
                std::uint32_t parent = openParent;
                startRec(ti, cur->kind);
                auto id = static_cast<std::uint32_t>(recs.size() - 1);
                bool sub = val == "ATTRIB" || val == "VERTEX" || val == "SEQEND";
                if (sub && parent != kNone) {
                    recs.setChild(id);
                    if (val != "SEQEND")
                        openParent = parent;
                } else {
                    cur->readItem(id);
                    openParent = (val == "INSERT" || val == "POLYLINE") ? id : kNone;
                }
            }
        } else if (awaitingName) {
            if (code != 2)
                throw DxfError(line, "section name expected after SECTION");
            cur->name = std::string(trim(valueText()));
            cur->kind = sectionKind(cur->name);
            recs.setSec(recs.size() - 1, cur->kind);
            awaitingName = false;
        } else if (code == 9 && cur && cur->kind == Sec::Header) {
            startRec(ti, Sec::Header);
            cur->readItem(static_cast<std::uint32_t>(recs.size() - 1));
        } else if (!cur
                   && (recs.empty() || recs.sec(recs.size() - 1) != Sec::Loose || sections.empty()
                       || sections.back().head != kNone)) {
            // groups outside any section (comments, a legacy writer's stray
            // header variables): kept as a record of their own
            if (sections.empty() || sections.back().head != kNone)
                sections.emplace_back();
            startRec(ti, Sec::Loose);
            sections.back().readItem(static_cast<std::uint32_t>(recs.size() - 1));
        } // else the group belongs to the record before
        line += 2;
    }
    if (awaitingName)
        throw DxfError(line, "the file ends after SECTION: it is incomplete");
    // "  0\nEO": the end of file marker itself was cut
    if (!sawEof && !cur && tags.size() > 0 && tags.code(tags.size() - 1) == 0) {
        std::string_view last = trim(value(tags[tags.size() - 1]));
        if (last.size() < 3 && std::string_view("EOF").substr(0, last.size()) == last)
            throw DxfError(line - 1, "the file ends inside its final EOF: it is incomplete");
    }
    if (cur)
        throw DxfError(line > 1 ? line - 1 : 1,
                       "the file ends inside section " + cur->name + " (no ENDSEC): it is incomplete");
    if (tags.size() == 0)
        throw DxfError(1, "no DXF groups found");
    trailerOff = static_cast<std::uint32_t>(p - b);
    fileTags = tags.size();
    recs.endRead(fileTags);
}

std::uint32_t DocData::valueEnd(const Tag& t, std::uint32_t start) const
{
    const char* b = base(t);
    std::size_t n = baseSize(t);
    const char* nl = findNewline(b + start, b + n);
    return nl ? static_cast<std::uint32_t>(nl - b + 1) : static_cast<std::uint32_t>(n);
}

int DocData::code(const Tag& t) const
{
    if (t.code != kWideCode)
        return t.code;
    std::string_view line = trim(codeLine(t));
    int c = 0;
    std::from_chars(line.data(), line.data() + line.size(), c);
    return c;
}

std::string_view DocData::codeLine(const Tag& t) const
{
    std::uint32_t o = t.off & ~kArena;
    const char* bp = base(t);
    std::uint32_t e = valueStart(t);
    while (e > o && (bp[e - 1] == '\n' || bp[e - 1] == '\r'))
        --e;
    return {bp + o, e - o};
}

void DocData::write(const std::function<void(const char*, std::size_t)>& put) const
{
    // Untouched groups lie next to each other in the buffer: runs of them
    // go out as one span.
    put(buf.data(), prefixLen);
    bool endsLine = true;
    const char* pend = nullptr;
    const char* pstart = nullptr;
    auto flush = [&] {
        if (pstart) {
            // a group that ended the file without a line end is followed by
            // new ones now
            if (!endsLine)
                put(eol.data(), eol.size());
            put(pstart, static_cast<std::size_t>(pend - pstart));
            endsLine = pend[-1] == '\n';
        }
        pstart = pend = nullptr;
    };
    auto span = [&](const char* s, const char* e) {
        if (s != pend) {
            flush();
            pstart = s;
        }
        pend = e;
    };
    auto emitRec = [&](std::uint32_t id) {
        const Rec& r = recs[id];
        if (r.deleted || r.tb == r.te)
            return;
        if (r.te <= fileTags) {
            // as read: from its first code line to the next group of the file
            std::uint32_t end = r.te < fileTags ? tags.off(r.te) : trailerOff;
            span(buf.data() + tags.off(r.tb), buf.data() + end);
            return;
        }
        for (std::uint32_t t = r.tb; t < r.te; ++t) {
            const Tag tg = tags[t];
            const char* b = base(tg);
            span(b + (tg.off & ~kArena), b + valueEnd(tg, valueStart(tg)));
        }
    };
    auto emitTree = [&](std::uint32_t id) {
        emitRec(id);
        if (recs[id].deleted)
            return;
        for (std::uint32_t k = 1, n = childCount(id); k <= n; ++k)
            emitRec(id + k);
    };
    for (const Section& s : sections) {
        if (s.head != kNone)
            emitRec(s.head);
        // (not listed yet: straight from the span, listing nothing)
        if (s.spanBegin != kNone) {
            for (std::uint32_t id = s.spanBegin; id < s.spanEnd; ++id)
                if (!recs[id].child)
                    emitTree(id);
        } else {
            for (std::uint32_t id : s.listed)
                emitTree(id);
        }
        if (s.end != kNone)
            emitRec(s.end);
    }
    flush();
    put(buf.data() + trailerOff, buf.size() - trailerOff);
}

// ---------------------------------------------------------------- Document

// Renames the backup to the temporary name when it is a plain file of no
// one else (a single link); false when it is not there or not to be taken.
static bool reuseAsTemporary(const std::filesystem::path& bak, const std::filesystem::path& tmp)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(bak, ec))
        || std::filesystem::hard_link_count(bak, ec) != 1 || ec)
        return false;
    std::filesystem::rename(bak, tmp, ec);
    return !ec;
}

Document::Document() : d_(std::make_unique<DocData>()) { }
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::fromMemory(std::string bytes)
{
    Document doc;
    doc.d_->buf.adopt(std::move(bytes));
    doc.d_->parse();
    doc.d_->index();
    return doc;
}

Document Document::load(const std::string& path)
{
    return load(path, nullptr);
}

// Reads the file's first n bytes into `into`, a chunk at a time, telling
// `goOn` how many are read after each; false when the file cannot be read
// so far or goOn says stop.
static bool readFile(const std::string& path, char* into, std::size_t n,
                     const std::function<bool(std::size_t)>& goOn)
{
    constexpr std::size_t kChunk = std::size_t(1) << 22;
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in)
        return false;
    for (std::size_t done = 0; done < n;) {
        const std::size_t part = std::min(kChunk, n - done);
        in.read(into + done, static_cast<std::streamsize>(part));
        if (static_cast<std::size_t>(in.gcount()) != part)
            return false;
        done += part;
        if (!goOn(done))
            return false;
    }
    return true;
}

Document Document::load(const std::string& path, const LoadProgress& progress)
{
    std::error_code ec;
    if (std::filesystem::is_directory(toPath(path), ec))
        throw DxfError(0, path + " is a folder, not a drawing");
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in)
        throw DxfError(0, "cannot open " + path);
    in.seekg(0, std::ios::end);
    auto size = static_cast<std::streamoff>(in.tellg());
    if (size < 0)
        throw DxfError(0, "cannot read " + path);
    in.seekg(0);
    in.close();
    auto n = static_cast<std::size_t>(size);
    std::unique_ptr<char[]> bytes(new char[n + 1]);
    bytes[n] = '\0';
    adviseHuge(bytes.get(), n);
    if (progress && !progress(0.0))
        throw LoadCancelled();
    // Copying the file out of the system's cache takes a processor's time:
    // a helper thread reads it while this one parses what is there.
    Document doc;
    char* const into = bytes.get();
    doc.d_->buf.adopt(std::move(bytes), n);
    ReadAhead ahead;
    std::atomic<bool> stop{false};
    auto readAll = [&ahead, &stop, &path, into, n] {
        if (!readFile(path, into, n, [&](std::size_t done) {
                ahead.advance(done);
                return !stop.load();
            }))
            ahead.fail();
    };
#ifdef _WIN32
    // The Windows build reads it all first, on this thread: a run of its
    // tests under Wine once stalled with the helper thread, cause unknown.
    readAll();
    std::thread reader;
#else
    std::thread reader(readAll);
#endif
    // (the reader is done with the bytes before they can go away)
    struct Finish {
        std::thread& reader;
        std::atomic<bool>& stop;
        ~Finish()
        {
            stop = true;
            if (reader.joinable())
                reader.join();
        }
    } finish{reader, stop};
    doc.d_->parse(progress ? &progress : nullptr, 0.0, &ahead);
    // the bytes after the last group too
    if (ahead.await(n) < n)
        throw DxfError(0, "cannot read " + path);
    doc.d_->index();
    if (progress)
        progress(1.0);
    return doc;
}

std::string Document::toString() const
{
    d_->syncHandseed();
    std::string out;
    out.reserve(d_->buf.size() + d_->arena.size() + 64);
    d_->write([&](const char* p, std::size_t n) { out.append(p, n); });
    return out;
}

bool Document::isModified() const
{
    return d_->modified;
}

std::string_view Document::bytesRead() const
{
    return {d_->buf.data(), d_->buf.size()};
}

void Document::save(const std::string& path) const
{
    namespace fs = std::filesystem;
    d_->syncHandseed();
    fs::path target = toPath(path);
    fs::path dir = target.parent_path();
    std::random_device rd;
    fs::path tmp = dir / (target.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    fs::path bak = target;
    bak += ".bak";
    {
        // The backup about to be replaced by the file there now lends its
        // storage: the drawing is written over it rather than into fresh
        // blocks (or pages) that the system would first clear.
        std::fstream f;
        std::error_code exists;
        if (fs::exists(target, exists) && reuseAsTemporary(bak, tmp)) {
            f.open(tmp, std::ios::binary | std::ios::in | std::ios::out);
            if (!f) {
                std::error_code ec;
                fs::remove(tmp, ec);
            }
        }
        if (!f.is_open())
            f.open(tmp, std::ios::binary | std::ios::out | std::ios::trunc);
        if (!f)
            throw DxfError(0, "cannot write " + tmp.string());
        // streamed: large runs of untouched groups go straight from the
        // loaded buffer to the file, without a copy of the whole drawing
        std::uintmax_t written = 0;
        d_->write([&](const char* p, std::size_t n) {
            f.write(p, static_cast<std::streamsize>(n));
            written += n;
        });
        f.close();
        const bool wroteAll = !f.fail();
        std::error_code ec;
        if (wroteAll)
            fs::resize_file(tmp, written, ec); // what is left of the backup goes
        if (!wroteAll || ec) {
            fs::remove(tmp, ec);
            throw DxfError(0, "cannot write " + tmp.string());
        }
    }
    flushToDisk(tmp, false);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        fs::remove(bak, ec);
        ec.clear();
        fs::create_hard_link(target, bak, ec);
        if (ec) {
            ec.clear();
            fs::copy_file(target, bak, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                fs::remove(tmp, ec);
                throw DxfError(0, "cannot keep the previous file as " + bak.string());
            }
        }
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignore;
        fs::remove(tmp, ignore);
        throw DxfError(0, "cannot replace " + path + ": " + ec.message());
    }
    flushToDisk(dir.empty() ? fs::path(".") : dir, true);
    d_->modified = false;
}

} // namespace lumo::dxf
