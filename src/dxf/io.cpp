// Reading and writing: one pass over the bytes into tags and records, and
// the reverse concatenation of raw spans.
#include "dxf/internal.h"

#include "base/atomic_file.h"
#include "base/byte_hash.h"
#include "dxf/saved_file.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifdef __linux__
#include <sys/mman.h>
#endif

// The large lambdas of the parse loop are to be inlined into it, which
// GCC and Clang must be told (a lambda takes the attribute in this form
// only; MSVC has none).
#if defined(__GNUC__)
#define LUMO_ALWAYS_INLINE __attribute__((always_inline))
#else
#define LUMO_ALWAYS_INLINE
#endif

namespace lumo::dxf {

// Asks for huge pages on a large buffer before it is first written (with
// 4 KB pages, faulting in a 100 MB drawing costs more than parsing it), or,
// with huge false, for none. Only whole huge pages within [p, p + n) are
// advised.
static void advisePages(const void* p, std::size_t n, bool huge)
{
#ifdef __linux__
    constexpr std::uintptr_t hugePage = 2u << 20;
    auto a = reinterpret_cast<std::uintptr_t>(p);
    std::uintptr_t start = (a + hugePage - 1) & ~(hugePage - 1);
    std::uintptr_t end = (a + n) & ~(hugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, huge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
#else
    (void)p;
    (void)n;
    (void)huge;
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

// A code line: optional blanks, optional sign, digits, optional blanks and
// the line end, scanned in one go (no search for the newline).
struct CodeLine {
    int code = 0;
    bool ok = false; // digits found
    const char* q = nullptr; // where the scan stopped
    const char* nl = nullptr; // the line's '\n', or null
};

[[gnu::always_inline]] inline static CodeLine scanCodeLine(const char* p, const char* e)
{
    CodeLine c;
    if (const int width = paddedCodeWidth(p, e); width > 0) {
        c.code = paddedCode(p);
        c.ok = true;
        c.q = c.nl = p + width;
        return c;
    }
    const char* q = p;
    while (q < e && *q == ' ')
        ++q;
    const bool neg = q < e && *q == '-';
    q += neg;
    const char* digits = q;
    int code = 0;
    while (q < e && static_cast<unsigned>(*q - '0') < 10u && q - digits < 7)
        code = code * 10 + (*q++ - '0');
    c.ok = q > digits;
    while (q < e && (*q == ' ' || *q == '\r' || *q == '\t'))
        ++q;
    c.nl = q < e && *q == '\n' ? q : nullptr;
    c.q = q;
    c.code = neg ? -code : code;
    return c;
}

// Gives the whole pages within [p, p + n) back to the system; they read as
// zeros if touched again.
static void releasePages(void* p, std::size_t n)
{
#ifdef __linux__
    constexpr std::uintptr_t page = 4096;
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t start = (a + page - 1) & ~(page - 1);
    const std::uintptr_t end = (a + n) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
#else
    (void)p;
    (void)n;
#endif
}

void TagList::appendPlaced(std::size_t from, std::size_t n)
{
    const std::size_t to = off_.size();
    const std::size_t end = to + n;
    off_.resize(end);
    code_.resize(end);
    if (from == to)
        return;
    // a part at a time, so that the tags are never held twice
    constexpr std::size_t kPart = std::size_t(1) << 18;
    for (std::size_t i = 0; i < n; i += kPart) {
        const std::size_t m = std::min(kPart, n - i);
        std::memmove(&off_[to + i], &off_[from + i], m * sizeof(std::uint32_t));
        std::memmove(&code_[to + i], &code_[from + i], m * sizeof(std::int16_t));
        const std::size_t lo = std::max(from + i, end), hi = from + i + m;
        if (hi > lo)
            releasePlaced(lo, hi - lo);
    }
}

void TagList::releasePlaced(std::size_t from, std::size_t n)
{
    releasePages(&off_[from], n * sizeof(std::uint32_t));
    releasePages(&code_[from], n * sizeof(std::int16_t));
}

// What a record opened by "0" and this (trimmed) type name means to the
// reading.
enum class Opens : std::uint8_t { Record, Parent, Sub, SeqEnd, Section, EndSec, Eof };

static Opens recordKind(std::string_view type)
{
    if (type == "SECTION")
        return Opens::Section;
    if (type == "ENDSEC")
        return Opens::EndSec;
    if (type == "EOF")
        return Opens::Eof;
    if (type == "ATTRIB" || type == "VERTEX")
        return Opens::Sub;
    if (type == "SEQEND")
        return Opens::SeqEnd;
    if (type == "INSERT" || type == "POLYLINE")
        return Opens::Parent;
    return Opens::Record;
}

// The trimmed value of a group whose value line is [v, vend).
[[gnu::always_inline]] inline static std::string_view trimmedValue(const char* v, const char* vend)
{
    const char* t = vend;
    while (t > v && (t[-1] == '\n' || t[-1] == '\r'))
        --t;
    return trim(std::string_view(v, static_cast<std::size_t>(t - v)));
}

// A handle's value (up to 16 hex digits at the start of [v, vend)); false
// if there is none.
[[gnu::always_inline]] inline static bool readHandle(const char* v, const char* vend, std::uint64_t& h)
{
    h = 0;
    int nd = 0;
    for (const char* hp = v; hp < vend && nd <= 16; ++hp, ++nd) {
        const char ch = *hp;
        const int dg = ch >= '0' && ch <= '9' ? ch - '0'
            : ch >= 'A' && ch <= 'F'          ? ch - 'A' + 10
            : ch >= 'a' && ch <= 'f'          ? ch - 'a' + 10
                                              : -1;
        if (dg < 0)
            break;
        h = (h << 4) | static_cast<std::uint64_t>(dg);
    }
    return nd > 0 && nd <= 16;
}

// Where a line that opens a record ("  0" and a type name, then another
// group code) begins, at or after `from`, looked for in the next MB; 0 if
// none.
static std::size_t recordStartFrom(const char* b, std::size_t from, std::size_t size)
{
    const char* const e = b + size;
    const char* line = static_cast<const char*>(std::memchr(b + from - 1, '\n', size - from + 1));
    const char* const last = b + std::min(size, from + (std::size_t(1) << 20));
    while (line && ++line < last) {
        const CodeLine c = scanCodeLine(line, e);
        if (c.ok && c.nl && c.code == 0) {
            const char* name = c.nl + 1;
            const char* q = name;
            while ((*q >= 'A' && *q <= 'Z') || (*q >= '0' && *q <= '9') || *q == '_')
                ++q;
            q += *q == '\r';
            if (q > name && *q == '\n' && q + 1 < e) {
                const CodeLine next = scanCodeLine(q + 1, e);
                if (next.ok && next.nl)
                    return static_cast<std::size_t>(line - b);
            }
        }
        line = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(e - line)));
    }
    return 0;
}

// The second reader of a large drawing, on a thread of its own. It picks a
// record start in what the parser has not reached yet and offers it; once
// the parser takes the offer, it reads the groups from there on into the
// tag list's room past any the parser can reach first. On arriving at that
// record the parser takes those tags over, with their records' bookkeeping
// (a quick pass); a parser that arrives past it (what looked like a record
// start was a value line) has it stop and goes on alone. Either way the
// outcome is the one of a single reader.
class SplitReader {
public:
    static constexpr std::size_t kNoOffset = SIZE_MAX;

    // `around`: the offset to split at or after, or 0 to split what is
    // left in two
    // once all bytes are there.
    SplitReader(const char* b, std::size_t size, TagList& tags, const ReadAhead* ahead, std::size_t around)
        : b_(b), size_(size), tags_(tags), ahead_(ahead), around_(around)
    {
        thread_ = std::thread([this] { run(); });
    }
    ~SplitReader() { stop(); }
    SplitReader(const SplitReader&) = delete;
    SplitReader& operator=(const SplitReader&) = delete;

    // Told by the parser now and then: where it is and how many tags it
    // has. The offset of the offer when taken just now, else kNoOffset.
    std::size_t poll(std::size_t parsedTo, std::uint32_t tagCount)
    {
        parsedTo_.store(parsedTo, std::memory_order_relaxed);
        if (decided_)
            return kNoOffset;
        const std::size_t offer = offer_.load(std::memory_order_acquire);
        if (offer == 0)
            return kNoOffset; // not yet
        decided_ = true;
        if (offer == kNoOffset || parsedTo >= offer) {
            answer_.store(kRefused, std::memory_order_release);
            return kNoOffset;
        }
        // each group takes 3 bytes at least: the parser's own tags stay
        // below this one
        base_ = tagCount + (offer - parsedTo) / 3 + 16;
        answer_.store(kTaken, std::memory_order_release);
        return offer;
    }
    // For a split at a given offset: the parser waits for the offer.
    std::size_t awaitOffer(std::size_t parsedTo, std::uint32_t tagCount)
    {
        while (offer_.load(std::memory_order_acquire) == 0)
            std::this_thread::yield();
        return poll(parsedTo, tagCount);
    }
    // The parser arrived at the offer: the helper's tags, moved to follow
    // the parser's. Returns the offset where the helper stopped (at the
    // end, or before a group it left to the parser).
    std::size_t takeOver()
    {
        thread_.join();
        tags_.appendPlaced(base_, count_);
        count_ = 0;
        return end_;
    }
    // Then what it saw. The records other than plain ones (Opens::Record):
    // their first tags, counted from the helper's first, and what they
    // open. And the handles: the largest of each segment, where segment 0
    // begins at the helper's first record and each record that opens or
    // ends a section or the file begins the next.
    struct Handles {
        bool any = false;
        std::uint64_t most = 0;
    };
    static bool startsSegment(Opens kind)
    {
        return kind == Opens::Section || kind == Opens::EndSec || kind == Opens::Eof;
    }
    std::size_t specials() const { return specialAt_.size(); }
    std::uint32_t specialAt(std::size_t k) const { return specialAt_[k]; }
    Opens specialKind(std::size_t k) const { return specialKind_[k]; }
    const Handles& segment(std::size_t g) const { return segments_[g]; }
    // Stops the helper (if still running) and gives back what it read.
    void stop()
    {
        stop_.store(true);
        if (ahead_)
            ahead_->wake();
        if (thread_.joinable())
            thread_.join();
        if (count_)
            tags_.releasePlaced(base_, count_);
        count_ = 0;
    }

private:
    static constexpr int kTaken = 1, kRefused = 2;

    void run()
    {
        if (ahead_ && ahead_->await(size_, &stop_) < size_) {
            offer_.store(kNoOffset, std::memory_order_release);
            return;
        }
        std::size_t from = around_;
        if (!from) {
            // the parser goes on meanwhile, and then takes the helper's
            // groups over: it keeps a little less than half of what is left
            const std::size_t at = parsedTo_.load(std::memory_order_relaxed);
            from = at + (size_ - at) / 64 * 31;
        }
        const std::size_t offer = from > 0 && from < size_ ? recordStartFrom(b_, from, size_) : 0;
        offer_.store(offer ? offer : kNoOffset, std::memory_order_release);
        if (!offer)
            return;
        int answer;
        while ((answer = answer_.load(std::memory_order_acquire)) == 0
               && !stop_.load(std::memory_order_relaxed))
            std::this_thread::yield();
        if (answer != kTaken)
            return;
        const char* const b = b_;
        const char* const e = b + size_;
        const char* p = b + offer;
        std::size_t n = 0;
        const std::size_t room = base_ < tags_.capacity() ? tags_.capacity() - base_ : 0;
        // (the parser keeps changing the list's size next to where its
        // storage is named: the storage is taken once)
        const TagList::Room to = tags_.roomAt(base_);
        // This room is written once and soon given back: small pages, as the
        // fault of a huge page may wait while the system compacts memory
        // for it (seen taking 70 ms of this thread's 120).
        const std::size_t most = std::min(room, (size_ - offer) / 3 + 16);
        advisePages(to.off, most * sizeof(std::uint32_t), false);
        advisePages(to.code, most * sizeof(std::int16_t), false);
        // What the parser will want to know: the records other than plain
        // ones, and the largest handle between sections' ends. Gathered in
        // this thread's own variables and memory, as anything written here
        // on every group must not share a cache line with the parser's.
        PodArray<std::uint32_t> specialAt;
        PodArray<Opens> specialKind;
        std::vector<Handles> segments;
        Handles current;
        // the groups the parser would read alike; anything else is left
        // to it
        while (p < e && n < room) {
            if ((n & 4095) == 0 && stop_.load(std::memory_order_relaxed))
                break;
            const CodeLine c = scanCodeLine(p, e);
            if (!c.ok || !c.nl)
                break;
            const char* vnl = findNewline(c.nl + 1, e);
            if (!vnl)
                break;
            to.off[n] = static_cast<std::uint32_t>(p - b);
            to.code[n] = TagList::narrow(c.code);
            if (c.code == 0) {
                const Opens kind = recordKind(trimmedValue(c.nl + 1, vnl + 1));
                if (kind != Opens::Record) {
                    // (a drawing of nothing else takes too much room this way)
                    if (specialAt.size() * 5 > static_cast<std::size_t>(p - b - offer) / 8 + 4096)
                        break;
                    specialAt.push_back(static_cast<std::uint32_t>(n));
                    specialKind.push_back(kind);
                    if (startsSegment(kind)) {
                        segments.push_back(current);
                        current = Handles{};
                    }
                }
            } else if (c.code == 5 || c.code == 105) {
                if (std::uint64_t h; readHandle(c.nl + 1, vnl + 1, h)) {
                    current.most = std::max(current.most, h);
                    current.any = true;
                }
            }
            ++n;
            p = vnl + 1;
        }
        segments.push_back(current);
        specialAt_ = std::move(specialAt);
        specialKind_ = std::move(specialKind);
        segments_ = std::move(segments);
        count_ = n;
        end_ = static_cast<std::size_t>(p - b);
    }

    const char* const b_;
    const std::size_t size_;
    TagList& tags_;
    const ReadAhead* const ahead_;
    const std::size_t around_;
    alignas(64) std::atomic<std::size_t> parsedTo_{0}; // (told often: on a line of its own)
    alignas(64) std::atomic<std::size_t> offer_{0}; // 0: none yet; kNoOffset: none coming
    std::atomic<int> answer_{0};
    std::atomic<bool> stop_{false};
    bool decided_ = false; // (the parser's)
    std::size_t base_ = 0; // the helper's first tag, set before the answer
    std::size_t count_ = 0, end_ = 0; // the helper's outcome, read after joining
    // its records other than plain ones: their first tags, counted from
    // its first, and what they open
    PodArray<std::uint32_t> specialAt_;
    PodArray<Opens> specialKind_;
    std::vector<Handles> segments_;
    std::thread thread_;
};

// Drawings from this size on are read by two threads.
static constexpr std::size_t kSplitFrom = std::size_t(8) << 20;

// One reading of a drawing's bytes into tags, records and sections: the
// start of the file checked, then group after group, each taken into its
// record and section, and the end of the file checked.
class Parser {
public:
    Parser(DocData& d, const std::function<bool(double)>* progress, double from, const ReadAhead* ahead)
        : d_(d), progress_(progress), from_(from), ahead_(ahead), b_(d.buf.data()), e_(b_ + d.buf.size()),
          readTo_(ahead ? 0 : d.buf.size()), progressEvery_(progressEvery(d.buf.size())),
          untilProgress_(progressEvery_)
    {
    }

    void run()
    {
        readStart();
        reserveRoom();
        readLineStyle();
        startSplit();
        readGroups();
        checkEnd();
        d_.trailerOff = static_cast<std::uint32_t>(p_ - b_);
        d_.fileTags = d_.tags.size();
        d_.recs.endRead(d_.fileTags);
    }

private:
    // The bytes known to be there: a group that reaches past them is
    // parsed again once they are.
    void await(std::size_t need)
    {
        need = std::min(need, d_.buf.size());
        if (need <= readTo_)
            return;
        readTo_ = ahead_->await(need);
        if (readTo_ < need)
            throw DxfError(0, "cannot read the file to its end");
    }

    // What the file is: ASCII DXF of a size we can count in, after a
    // byte-order mark if it has one.
    void readStart()
    {
        await(64);
        static const char kBinary[] = "AutoCAD Binary DXF";
        const std::size_t size = d_.buf.size();
        if (size >= sizeof kBinary - 1 && std::memcmp(b_, kBinary, sizeof kBinary - 1) == 0)
            throw DxfError(1, "binary DXF is not supported; save the drawing as ASCII DXF");
        if (size >= 0x7FFFFFF0u)
            throw DxfError(0, "file too large");
        if (size >= 3 && std::memcmp(b_, "\xEF\xBB\xBF", 3) == 0)
            d_.prefixLen = 3;
        p_ = b_ + d_.prefixLen;
        if (p_ == e_)
            throw DxfError(1, "empty file");
    }

    // Room for the most groups the file can hold (each takes 3 bytes at
    // least), so that the arrays never move while growing; pages of the
    // reserve that are never touched cost no memory.
    void reserveRoom()
    {
        TagList& tags = d_.tags;
        RecList& recs = d_.recs;
        tags.reserve(d_.buf.size() / 3 + 64);
        recs.reserve(d_.buf.size() / 3 + 64);
        advisePages(tags.offData(), tags.capacity() * sizeof(std::uint32_t), true);
        advisePages(tags.codeData(), tags.capacity() * sizeof(std::int16_t), true);
        advisePages(recs.startData(), recs.capacity() * sizeof(std::uint32_t), true);
        advisePages(recs.marksData(), recs.capacity(), true);
    }

    // Line end and code padding of new groups follow the file's first line.
    void readLineStyle()
    {
        const std::size_t size = d_.buf.size();
        await(size < (1u << 16) ? size : 1u << 16);
        const char* nl = static_cast<const char*>(std::memchr(p_, '\n', readTo_ - d_.prefixLen));
        if (!nl) {
            await(size);
            nl = static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(e_ - p_)));
        }
        if (nl) {
            d_.eol = (nl > p_ && nl[-1] == '\r') ? "\r\n" : "\n";
            d_.padCodes = *p_ == ' ';
        }
    }

    // Sub-records take the ids right after their parent, so any other record
    // ends the parent's sequence.
    LUMO_ALWAYS_INLINE void startRecord(std::uint32_t ti, Sec sec)
    {
        d_.recs.beginRead(ti, sec);
        openParent_ = kNone;
    }

    std::uint32_t lastRecord() const { return static_cast<std::uint32_t>(d_.recs.size() - 1); }

    // A record of a section other than the header begins at tag ti.
    LUMO_ALWAYS_INLINE void openRecord(std::uint32_t ti, Opens kind)
    {
        const std::uint32_t parent = openParent_;
        startRecord(ti, cur_->kind);
        const std::uint32_t id = lastRecord();
        if ((kind == Opens::Sub || kind == Opens::SeqEnd) && parent != kNone) {
            d_.recs.setChild(id);
            if (kind == Opens::Sub)
                openParent_ = parent;
        } else {
            cur_->readItem(id);
            openParent_ = kind == Opens::Parent ? id : kNone;
        }
    }

    // A record outside any section (stray records, an unmatched ENDSEC, the
    // end of file marker, a legacy writer's loose groups) is kept as it is,
    // in a loose section of its own.
    void keepLoose(std::uint32_t ti)
    {
        auto& sections = d_.sections;
        if (sections.empty() || sections.back().head != kNone)
            sections.emplace_back();
        startRecord(ti, Sec::Loose);
        sections.back().readItem(lastRecord());
    }

    // A group of code 0 at tag ti: what it opens, closes or starts.
    // False after the end of file marker.
    LUMO_ALWAYS_INLINE bool takeRecordStart(std::uint32_t ti, Opens kind)
    {
        if (awaitingName_)
            throw DxfError(line_, "section name expected after SECTION");
        switch (kind) {
        case Opens::Section:
            if (cur_)
                throw DxfError(line_, "section " + cur_->name + " has no ENDSEC");
            d_.sections.emplace_back();
            cur_ = &d_.sections.back();
            startRecord(ti, Sec::Loose);
            cur_->head = lastRecord();
            awaitingName_ = true;
            return true;
        case Opens::EndSec:
            if (!cur_) {
                keepLoose(ti); // (seen in legacy writers' files)
            } else {
                startRecord(ti, cur_->kind);
                cur_->end = lastRecord();
                cur_ = nullptr;
            }
            return true;
        case Opens::Eof: {
            if (cur_)
                throw DxfError(line_, "EOF inside section " + cur_->name);
            auto& sections = d_.sections;
            if (sections.empty() || sections.back().kind != Sec::Loose || sections.back().head != kNone)
                sections.emplace_back();
            startRecord(ti, Sec::Loose);
            sections.back().readItem(lastRecord());
            sawEof_ = true;
            return false;
        }
        default:
            if (cur_)
                openRecord(ti, kind);
            else
                keepLoose(ti);
            return true;
        }
    }

    // A group read, tag ti, from its code line at gp to vend: its record,
    // its section, its handle. `v` is where its value begins, or null if
    // not known yet. False after the end of file marker.
    LUMO_ALWAYS_INLINE bool takeGroup(std::uint32_t ti, int code, const char* gp, const char* v, const char* vend)
    {
        auto valueBegin = [&] {
            if (!v) {
                v = gp; // (a code line is short, and ends in '\n')
                while (*v != '\n')
                    ++v;
                ++v;
            }
            return v;
        };
        if ((code == 5 || code == 105) && cur_ && cur_->kind != Sec::Header) {
            // handles, for new ones to start above all of them
            if (std::uint64_t h; readHandle(valueBegin(), vend, h)) {
                d_.maxHandle = std::max(d_.maxHandle, h);
                d_.anyHandle = true;
            }
        }
        if (code == 0) {
            if (!takeRecordStart(ti, recordKind(trimmedValue(valueBegin(), vend))))
                return false;
        } else if (awaitingName_) {
            if (code != 2)
                throw DxfError(line_, "section name expected after SECTION");
            cur_->name = std::string(trimmedValue(valueBegin(), vend));
            cur_->kind = sectionKind(cur_->name);
            d_.recs.setSec(d_.recs.size() - 1, cur_->kind);
            awaitingName_ = false;
        } else if (code == 9 && cur_ && cur_->kind == Sec::Header) {
            startRecord(ti, Sec::Header);
            cur_->readItem(lastRecord());
        } else if (!cur_
                   && (d_.recs.empty() || d_.recs.sec(d_.recs.size() - 1) != Sec::Loose || d_.sections.empty()
                       || d_.sections.back().head != kNone)) {
            // groups outside any section (comments, a legacy writer's stray
            // header variables): kept as a record of their own
            keepLoose(ti);
        } // else the group belongs to the record before
        line_ += 2;
        return true;
    }

    // A large drawing's later part is read by a second thread.
    void startSplit()
    {
        if (d_.splitNear || (d_.buf.size() >= kSplitFrom && std::thread::hardware_concurrency() > 1))
            split_.emplace(b_, d_.buf.size(), d_.tags, ahead_, d_.splitNear);
        if (d_.splitNear)
            splitAt_ = split_->awaitOffer(static_cast<std::size_t>(p_ - b_), d_.tags.size());
    }

    // Every so many groups the helper hears where the parser is, and the
    // progress (less often) how much is parsed.
    static constexpr std::uint32_t kCheckEvery = 1024, kChecksPerProgress = 64;

    // A hundred times over the file or so (a group takes some 16 bytes),
    // so that a drawing of a few megabytes can be given up too; at most
    // every kChecksPerProgress checks.
    static std::uint32_t progressEvery(std::size_t size)
    {
        return static_cast<std::uint32_t>(
            std::clamp<std::size_t>(size / (std::size_t(kCheckEvery) * 16 * 100), 1, kChecksPerProgress));
    }

    void check(const char* at)
    {
        untilCheck_ = kCheckEvery;
        if (split_) {
            const std::size_t taken = split_->poll(static_cast<std::size_t>(at - b_), d_.tags.size());
            if (taken != SplitReader::kNoOffset)
                splitAt_ = taken;
        }
        if (progress_ && --untilProgress_ == 0) {
            untilProgress_ = progressEvery_;
            const double total = static_cast<double>(e_ - b_);
            if (!(*progress_)(from_ + (1 - from_) * static_cast<double>(at - b_) / total))
                throw LoadCancelled();
        }
    }

    // Where the helper began: its groups taken over, up to where it stopped.
    // Within a section other than the header the groups after a record's
    // first count only as lines and by their handles, which the helper
    // read: such records are taken whole. Any other group goes the long
    // way, as read by this thread. False after the end of file marker.
    bool takeOverSecondPart()
    {
        TagList& tags = d_.tags;
        SplitReader& split = *split_;
        const std::uint32_t first = tags.size();
        const std::size_t helperEnd = split.takeOver();
        const std::uint32_t last = tags.size();
        d_.tagsReadBySecondThread = last - first;
        auto groupEnd = [&](std::uint32_t ti) { return ti + 1 < last ? b_ + tags.off(ti + 1) : b_ + helperEnd; };
        auto plain = [&] { return cur_ && cur_->kind != Sec::Header && !awaitingName_; };
        std::size_t segment = 0, special = 0;
        auto takeHandles = [&] {
            if (split.segment(segment).any) {
                d_.maxHandle = std::max(d_.maxHandle, split.segment(segment).most);
                d_.anyHandle = true;
            }
        };
        // What the record at ti opens (the helper's specials are met in order).
        auto opens = [&](std::uint32_t ti) {
            if (special < split.specials() && first + split.specialAt(special) == ti) {
                const Opens kind = split.specialKind(special++);
                segment += SplitReader::startsSegment(kind);
                return kind;
            }
            return Opens::Record;
        };
        bool plainNow = plain();
        if (plainNow)
            takeHandles();
        for (std::uint32_t ti = first; ti < last;) {
            if (--untilCheck_ == 0)
                check(b_ + tags.off(ti));
            if (plainNow) {
                const std::uint32_t next = tags.nextOfCode0(ti, last);
                line_ += 2 * (next - ti);
                ti = next;
                if (ti == last)
                    break;
                const Opens kind = opens(ti);
                if (!SplitReader::startsSegment(kind)) {
                    openRecord(ti, kind);
                    line_ += 2;
                    ++ti;
                    continue;
                }
            } else if (tags.code(ti) == 0) {
                opens(ti);
            }
            if (!takeGroup(ti, tags.code(ti), b_ + tags.off(ti), nullptr, groupEnd(ti))) {
                p_ = groupEnd(ti);
                tags.truncate(ti + 1);
                return false;
            }
            ++ti;
            const bool wasPlain = plainNow;
            if ((plainNow = plain()) && !wasPlain)
                takeHandles();
        }
        p_ = b_ + helperEnd;
        return true;
    }

    // At p_, where a group code was expected, none: padding at the very
    // end (false), or an error that says what is wrong.
    bool noGroupCode()
    {
        const char* p = p_;
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(e_ - p)));
        const char* codeEnd = lineEnd ? lineEnd : e_;
        // Blank lines at the very end are padding, not a group; blanks
        // after the last line end are a code line cut short.
        const char* r = p;
        bool cutLine = false;
        while (r < e_ && (*r == ' ' || *r == '\r' || *r == '\n' || *r == '\t' || *r == 0x1A || *r == 0)) {
            if (*r == ' ' || *r == '\t')
                cutLine = true;
            else if (*r == '\n')
                cutLine = false;
            ++r;
        }
        if (r == e_ && !sawEof_ && (cur_ || awaitingName_ || cutLine))
            throw DxfError(line_, "the file ends inside a group code: it is incomplete");
        if (r == e_)
            return false;
        throw DxfError(line_, "group code expected, found \""
                                  + shown(std::string_view(p, static_cast<std::size_t>(codeEnd - p))) + "\"");
    }

    // Group after group to the end of the file (or of its groups), handing
    // over to the second thread's part where it took one.
    void readGroups()
    {
        TagList& tags = d_.tags;
        while (p_ < e_) {
            if (--untilCheck_ == 0)
                check(p_);
            if (static_cast<std::size_t>(p_ - b_) >= splitAt_) {
                const bool arrived = static_cast<std::size_t>(p_ - b_) == splitAt_;
                splitAt_ = SplitReader::kNoOffset;
                if (!arrived)
                    split_->stop();
                else if (!takeOverSecondPart())
                    return;
                continue;
            }
            // (only the bytes read so far are looked at: a group that goes
            // on past them is read again once more are there)
            const char* const there = b_ + readTo_;
            const CodeLine c = scanCodeLine(p_, there);
            if ((!c.ok || !c.nl) && readTo_ < d_.buf.size()) {
                await(readTo_ + 1);
                continue;
            }
            if (!c.ok || (!c.nl && c.q != e_)) {
                if (!noGroupCode())
                    return;
            }
            if (!c.nl)
                throw DxfError(line_,
                               "the file ends after group code " + std::to_string(c.code) + " without its value");
            const char* v = c.nl + 1;
            const char* vnl = findNewline(v, there);
            if (!vnl && readTo_ < d_.buf.size()) {
                await(readTo_ + 1);
                continue;
            }
            const char* vend = vnl ? vnl + 1 : e_;
            const auto ti = static_cast<std::uint32_t>(tags.size());
            tags.push_back(Tag{c.code, static_cast<std::uint32_t>(p_ - b_)});
            const char* gp = p_;
            p_ = vend;
            if (!takeGroup(ti, c.code, gp, v, vend))
                return;
        }
    }

    // What an incomplete file lacks, said where it ends.
    void checkEnd() const
    {
        if (awaitingName_)
            throw DxfError(line_, "the file ends after SECTION: it is incomplete");
        const TagList& tags = d_.tags;
        // "  0\nEO": the end of file marker itself was cut
        if (!sawEof_ && !cur_ && tags.size() > 0 && tags.code(tags.size() - 1) == 0) {
            std::string_view last = trim(d_.value(tags[tags.size() - 1]));
            if (last.size() < 3 && std::string_view("EOF").substr(0, last.size()) == last)
                throw DxfError(line_ - 1, "the file ends inside its final EOF: it is incomplete");
        }
        if (cur_)
            throw DxfError(line_ > 1 ? line_ - 1 : 1,
                           "the file ends inside section " + cur_->name + " (no ENDSEC): it is incomplete");
        if (tags.size() == 0)
            throw DxfError(1, "no DXF groups found");
    }

    DocData& d_;
    const std::function<bool(double)>* const progress_;
    const double from_;
    const ReadAhead* const ahead_;
    const char* const b_;
    const char* const e_;
    const char* p_ = nullptr;
    std::size_t readTo_;
    Section* cur_ = nullptr; // open section
    std::uint32_t openParent_ = kNone;
    bool awaitingName_ = false;
    bool sawEof_ = false;
    std::size_t line_ = 1;
    std::optional<SplitReader> split_;
    std::size_t splitAt_ = SplitReader::kNoOffset;
    const std::uint32_t progressEvery_;
    std::uint32_t untilCheck_ = 1, untilProgress_;
};

void DocData::parse(const std::function<bool(double)>* progress, double from, const ReadAhead* ahead)
{
    Parser(*this, progress, from, ahead).run();
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

// ---------------------------------------------------------------- saving
//
// A save never leaves the drawing's name on anything but a complete file,
// and never a moment without a complete .bak once there was one; a save
// killed on the way leaves only its temporary files, which the next save
// (or opening by the host) removes. The one atomic writer of the program
// (base/atomic_file.h) does all of it.

void RemoveSaveLeftovers(const std::string& path)
{
    base::RemoveWriteLeftovers(toPath(path));
}

static SavedFile saveDocument(DocData& d, const std::string& path, const std::function<void()>* step)
{
    d.syncHandseed();
    base::AtomicWrite how;
    how.keepBackup = true;
    how.throughLinks = true; // a drawing reached by a link stays reached by it
    // set back, so that a later write of the file by anyone leaves another time
    how.modified = std::filesystem::file_time_type::clock::now() - kSavedTimeBack;
    if (step)
        how.step = *step;
    base::AtomicFile file(toPath(path), std::move(how));
    if (const auto failed = file.open())
        throw SaveError(path, failed);
    // streamed: large runs of untouched groups go straight from the loaded
    // buffer to the file, without a copy of the whole drawing; hashed as
    // they go, so the file is not read back for its stamp
    SavedFile saved;
    base::ByteHasher hasher;
    d.write([&](const char* p, std::size_t n) {
        hasher.add(p, n);
        saved.size += n;
        file.put(p, n);
    });
    if (const auto failed = file.commit())
        throw SaveError(path, failed);
    saved.hash = hasher.value();
    saved.modified = file.modified();
    d.modified = false;
    return saved;
}

SaveError::SaveError(const std::string& path, std::error_code code)
    : DxfError(0, "cannot save " + path + ": " + code.message()), path_(path), code_(code)
{
}

// ---------------------------------------------------------------- Document

Document::Document() : d_(std::make_unique<DocData>()) { }
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::fromMemory(std::string bytes)
{
    return Access::fromMemory(std::move(bytes), 0);
}

Document Access::fromMemory(std::string bytes, std::size_t around)
{
    Document doc;
    doc.d_->buf.adopt(std::move(bytes));
    doc.d_->splitNear = around;
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
    advisePages(bytes.get(), n, true);
    if (progress && !progress(0.0))
        throw LoadCancelled();
    // Copying the file out of the system's cache takes a processor's time:
    // a helper thread reads it while this one parses what is there.
    Document doc;
    char* const into = bytes.get();
    doc.d_->buf.adopt(std::move(bytes), n);
    ReadAhead ahead;
    std::atomic<bool> stop{false};
    std::thread reader([&ahead, &stop, &path, into, n] {
        if (!readFile(path, into, n, [&](std::size_t done) {
                ahead.advance(done);
                return !stop.load();
            }))
            ahead.fail();
    });
    // (the reader is done with the bytes before they can go away)
    struct Finish {
        std::thread& reader;
        std::atomic<bool>& stop;
        ~Finish()
        {
            stop = true;
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
    saveDocument(*d_, path, nullptr);
}

SavedFile SaveAndTell(const Document& document, const std::string& path)
{
    // (a save changes no content, only the record of it: as Document::save)
    return saveDocument(const_cast<DocData&>(Access::data(document)), path, nullptr);
}

void Access::save(const Document& doc, const std::string& path, const std::function<void()>& step)
{
    saveDocument(*doc.d_, path, &step);
}

} // namespace lumo::dxf
