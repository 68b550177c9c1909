// Internals of the DXF engine, shared by its source files only.
//
// The loaded file stays in one buffer; each group is a Tag: its code and the
// offset of its code line in that buffer, the value line following it.
// Changed or new groups are written as complete "code\nvalue\n" text into a
// second buffer (the arena) and marked with kArena. The groups read from the
// file keep their places in the tag list for good (a record that changes gets
// a copy of its tags at the end), so an untouched record is one span of the
// file. Saving writes those spans, so untouched groups come back byte for
// byte.
#pragma once

#include "dxf/codepage.h"
#include "dxf/document.h"
#include "base/names.h"
#include "base/utf8.h"

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lumo::dxf {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;
inline constexpr std::uint32_t kArena = 0x80000000u;

struct Tag {
    std::int32_t code;
    std::uint32_t off; // start of the code line; kArena bit: in the arena
};

// Codes outside 16 bits (legal in no DXF version, but kept) are read back
// from the code line.
inline constexpr std::int16_t kWideCode = INT16_MIN;

// A growable array of plain values. Room reserved is not written (nor
// zeroed) until used: a large reserve costs memory only where written, and
// may be written ahead of the size (see TagList::roomAt).
template <class T> class PodArray {
public:
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    void reserve(std::size_t n)
    {
        if (n <= capacity_)
            return;
        std::unique_ptr<T[]> grown(new T[n]);
        if (size_)
            std::memcpy(grown.get(), data_.get(), size_ * sizeof(T));
        data_ = std::move(grown);
        capacity_ = n;
    }
    void push_back(T v)
    {
        if (size_ == capacity_)
            reserve(capacity_ < 16 ? 16 : capacity_ * 2);
        data_[size_++] = v;
    }
    void insert(std::size_t pos, T v)
    {
        push_back(v);
        std::memmove(&data_[pos + 1], &data_[pos], (size_ - 1 - pos) * sizeof(T));
        data_[pos] = v;
    }
    void erase(std::size_t pos)
    {
        std::memmove(&data_[pos], &data_[pos + 1], (size_ - 1 - pos) * sizeof(T));
        --size_;
    }
    void resize(std::size_t n)
    {
        reserve(n);
        size_ = n;
    }

private:
    std::unique_ptr<T[]> data_;
    std::size_t size_ = 0, capacity_ = 0;
};

// The tags as two parallel arrays: 6 bytes a group, where the text of an
// average group takes 12 to 13.
class TagList {
public:
    std::uint32_t size() const { return static_cast<std::uint32_t>(off_.size()); }
    Tag operator[](std::uint32_t t) const { return Tag{code_[t], off_[t]}; }
    int code(std::uint32_t t) const { return code_[t]; }
    std::uint32_t off(std::uint32_t t) const { return off_[t]; }
    void push_back(const Tag& t)
    {
        off_.push_back(t.off);
        code_.push_back(narrow(t.code));
    }
    void insert(std::uint32_t pos, const Tag& t)
    {
        off_.insert(pos, t.off);
        code_.insert(pos, narrow(t.code));
    }
    void erase(std::uint32_t pos)
    {
        off_.erase(pos);
        code_.erase(pos);
    }
    void set(std::uint32_t pos, const Tag& t)
    {
        off_[pos] = t.off;
        code_[pos] = narrow(t.code);
    }
    void reserve(std::size_t n)
    {
        off_.reserve(n);
        code_.reserve(n);
    }
    const void* offData() const { return off_.data(); }
    const void* codeData() const { return code_.data(); }
    std::size_t capacity() const { return off_.capacity(); }

    // Reading in two parts: the later part's tags are written into the
    // reserved room at some distance past the size (by another thread,
    // through these pointers), then moved down to follow the earlier
    // part's.
    struct Room {
        std::uint32_t* off;
        std::int16_t* code;
    };
    Room roomAt(std::size_t pos) { return Room{off_.data() + pos, code_.data() + pos}; }
    // Appends the tags placed at [from, from + n), from >= size(): their
    // old place is given back to the system as they move.
    void appendPlaced(std::size_t from, std::size_t n);
    // Gives back the memory of tags placed at [from, from + n) and not
    // taken.
    void releasePlaced(std::size_t from, std::size_t n);
    // The first tag of code 0 in [from, to), or to.
    std::uint32_t nextOfCode0(std::uint32_t from, std::uint32_t to) const
    {
        const std::int16_t* c = code_.data();
#ifdef __SSE2__
        // eight at a time
        const __m128i zero = _mm_setzero_si128();
        for (; from + 8 <= to; from += 8) {
            const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + from));
            if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(eight, zero)))
                return from + static_cast<std::uint32_t>(__builtin_ctz(static_cast<unsigned>(mask)) / 2);
        }
#endif
        while (from < to && c[from] != 0)
            ++from;
        return from;
    }
    // Keeps the first n tags.
    void truncate(std::uint32_t n)
    {
        off_.resize(n);
        code_.resize(n);
    }

    static std::int16_t narrow(std::int32_t c)
    {
        return c > INT16_MIN && c <= INT16_MAX ? static_cast<std::int16_t>(c) : kWideCode;
    }

private:
    PodArray<std::uint32_t> off_;
    PodArray<std::int16_t> code_;
};

enum class Sec : std::uint8_t { Loose, Header, Classes, Tables, Blocks, Entities, Objects, Other }; // 3 bits

// A record's tags and marks, as RecList hands them out.
struct Rec {
    std::uint32_t tb = 0, te = 0; // tags [tb, te)
    Sec sec = Sec::Loose;
    bool deleted = false;
    // A sub-record (ATTRIB, VERTEX, SEQEND): sub-records take the ids right
    // after their parent's.
    bool child = false;
};

// The records, 5 bytes each: where its tags begin and a byte of marks. A
// record read from the file ends where the next one begins, as the file's
// tags never move; the tags of records given tags of their own since (to
// change them) and of new records are kept aside, as they are few.
class RecList {
public:
    std::uint32_t size() const { return static_cast<std::uint32_t>(marks_.size()); }
    bool empty() const { return marks_.empty(); }
    Rec operator[](std::uint32_t id) const
    {
        const std::uint8_t m = marks_[id];
        Rec r;
        r.sec = static_cast<Sec>(m & kSecMask);
        r.deleted = (m & kDeleted) != 0;
        r.child = (m & kChild) != 0;
        if (m & kAside) {
            const auto& range = aside_.find(id)->second;
            r.tb = range.first;
            r.te = range.second;
        } else {
            r.tb = start_[id];
            r.te = id + 1 < read_ ? start_[id + 1] : readEnd_;
        }
        return r;
    }
    Rec back() const { return (*this)[size() - 1]; }
    Sec sec(std::uint32_t id) const { return static_cast<Sec>(marks_[id] & kSecMask); }

    void setSec(std::uint32_t id, Sec sec)
    {
        marks_[id] = static_cast<std::uint8_t>((marks_[id] & ~kSecMask) | static_cast<std::uint8_t>(sec));
    }
    void setDeleted(std::uint32_t id) { marks_[id] |= kDeleted; }
    void setChild(std::uint32_t id) { marks_[id] |= kChild; }
    // The record's tags are [tb, te) from now on.
    void setTags(std::uint32_t id, std::uint32_t tb, std::uint32_t te)
    {
        marks_[id] |= kAside;
        aside_[id] = {tb, te};
    }

    // Reading: the file's next record begins at this tag; after the last,
    // endRead with the number of the file's tags.
    void beginRead(std::uint32_t tb, Sec sec)
    {
        start_.push_back(tb);
        marks_.push_back(static_cast<std::uint8_t>(sec));
        read_ = size();
    }
    void endRead(std::uint32_t tagCount) { readEnd_ = tagCount; }
    // A new record of tags [tb, te); its id.
    std::uint32_t add(std::uint32_t tb, std::uint32_t te, Sec sec)
    {
        const std::uint32_t id = size();
        start_.push_back(tb);
        marks_.push_back(static_cast<std::uint8_t>(sec));
        setTags(id, tb, te);
        return id;
    }
    void reserve(std::size_t n)
    {
        start_.reserve(n);
        marks_.reserve(n);
    }
    const void* startData() const { return start_.data(); }
    const void* marksData() const { return marks_.data(); }

    // The records' marks and tag ranges, to be put back later.
    struct Saved {
        std::vector<std::uint8_t> marks;
        std::unordered_map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> aside;
    };
    Saved save() const { return {marks_, aside_}; }
    // Records made since are marked deleted, and keep their tags for a
    // later restore that brings them back.
    void restore(const Saved& saved)
    {
        const auto known = static_cast<std::uint32_t>(saved.marks.size());
        auto aside = saved.aside;
        for (const auto& [id, range] : aside_)
            if (id >= known)
                aside.emplace(id, range);
        aside_ = std::move(aside);
        std::copy(saved.marks.begin(), saved.marks.end(), marks_.begin());
        for (std::uint32_t id = known; id < size(); ++id)
            marks_[id] |= kDeleted;
    }
    std::size_t capacity() const { return start_.capacity(); }
    // The records restore(saved) would change: their marks or tags differ
    // from those saved, or they were made since and are not deleted.
    std::vector<std::uint32_t> differences(const Saved& saved) const
    {
        std::vector<std::uint32_t> out;
        const auto known = static_cast<std::uint32_t>(saved.marks.size());
        for (std::uint32_t id = 0; id < known; ++id) {
            const std::uint8_t now = marks_[id], then = saved.marks[id];
            if (now != then) {
                out.push_back(id);
            } else if (now & kAside) {
                const auto was = saved.aside.find(id);
                if (was == saved.aside.end() || was->second != aside_.find(id)->second)
                    out.push_back(id);
            }
        }
        for (std::uint32_t id = known; id < size(); ++id)
            if (!(marks_[id] & kDeleted))
                out.push_back(id);
        return out;
    }

private:
    static constexpr std::uint8_t kSecMask = 0x07;
    static constexpr std::uint8_t kDeleted = 0x08;
    static constexpr std::uint8_t kChild = 0x10;
    static constexpr std::uint8_t kAside = 0x20;
    std::vector<std::uint32_t> start_;
    std::vector<std::uint8_t> marks_;
    std::uint32_t read_ = 0, readEnd_ = 0; // records read from the file, and their tags
    std::unordered_map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> aside_;
};

struct Section {
    Sec kind = Sec::Loose;
    std::string name;
    std::uint32_t head = kNone; // 0 SECTION / 2 NAME
    std::uint32_t end = kNone; // 0 ENDSEC
    // Its top-level records in order: DocData::items. As read, they are
    // every record with an id in [spanBegin, spanEnd) but the sub-records,
    // and are listed one by one only when first asked for, so that a file
    // of many small records costs nothing more per record for them.
    mutable std::vector<std::uint32_t> listed;
    mutable std::uint32_t spanBegin = kNone, spanEnd = kNone;
    // The parser's next top-level record (ids come in order).
    void readItem(std::uint32_t id)
    {
        if (spanBegin == kNone)
            spanBegin = id;
        spanEnd = id + 1;
    }
};

struct Table {
    std::string name; // upper case: "LAYER", "STYLE", ...
    std::uint32_t head = kNone;
    std::uint32_t endtab = kNone;
    std::vector<std::uint32_t> entries;
};

struct BlockDef {
    std::uint32_t block = kNone;
    std::uint32_t endblk = kNone;
    std::vector<std::uint32_t> ents; // top-level entities
};

// Model-space references for findBlockReferences. Names and attribute
// values are folded and kept once each, under a key; each distinct value
// lists the attributes that hold it, so that a search by value looks only
// at the references it finds.
struct RefIndex {
    bool valid = false;
    struct Ref {
        std::uint32_t rec, layer, block, attrBegin, attrEnd;
    };
    struct Attr {
        std::uint32_t tag, value, ref;
    }; // keys, index in refs
    std::vector<Ref> refs;
    std::vector<Attr> attrs;
    std::vector<std::string> layers, blocks, tags, values; // by key
    std::unordered_map<std::string, std::uint32_t> valueKeys;
    // attrs holding value key k: holders[holderStart[k] .. holderStart[k + 1])
    std::vector<std::uint32_t> holderStart, holders;
};

// The bytes of the loaded file: a string handed in, or a buffer read from a
// file without first filling it with zeros. Either way a '\0' follows the
// last byte, where the parser's scans stop.
class Bytes {
public:
    void adopt(std::string s)
    {
        str_ = std::move(s);
        raw_.reset();
        data_ = str_.data();
        size_ = str_.size();
    }
    void adopt(std::unique_ptr<char[]> p, std::size_t n)
    {
        raw_ = std::move(p);
        str_.clear();
        data_ = raw_.get();
        size_ = n;
    }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    std::string str_;
    std::unique_ptr<char[]> raw_;
    const char* data_ = "";
    std::size_t size_ = 0;
};

// A file that another thread is still reading while it is parsed: its
// first bytes are there, as many as the reader last told.
class ReadAhead {
public:
    void advance(std::size_t done)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = done;
        }
        changed_.notify_all();
    }
    void fail()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
        }
        changed_.notify_all();
    }
    // Waits (asleep: a slow disk costs no processor) until at least the
    // first `need` bytes are there, or the reading failed; how many are.
    // A waiter may also stop waiting when `giveUp` turns true (and wake
    // is called).
    std::size_t await(std::size_t need, const std::atomic<bool>* giveUp = nullptr) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_ >= need || failed_ || (giveUp && giveUp->load()); });
        return done_;
    }
    void wake() const
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
        }
        changed_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t done_ = 0;
    bool failed_ = false;
};

struct DocData {
    Bytes buf; // the file as read
    std::string arena; // text of changed and new groups
    TagList tags;
    std::uint32_t fileTags = 0; // tags [0, fileTags) are the file's, never changed
    // Tags [0, keptTags) are never changed either: a checkpoint may hold
    // records whose tags lie there (see DocState).
    std::uint32_t keptTags = 0;
    RecList recs;
    std::vector<Section> sections;
    std::uint32_t prefixLen = 0; // a byte-order mark before the first group
    std::uint32_t trailerOff = 0; // bytes after the last group (after EOF)
    std::string eol = "\r\n";
    bool padCodes = true; // "  0" rather than "0"
    bool modified = false;
    std::uint64_t edits = 0; // changes made since it was read
    bool importing = false; // names come from another drawing

    std::string versionText = "AC1009";
    int version = 1009;
    bool handles = true; // new records get handles
    bool handseedDirty = false; // $HANDSEED to be raised before writing
    std::uint64_t nextHandle = 1;
    std::uint64_t maxHandle = 0; // largest handle seen while parsing
    bool anyHandle = false;
    Codec codec;

    std::vector<Table> tables;
    std::vector<BlockDef> blockDefs;
    mutable RefIndex refIndex;
    mutable std::unordered_map<std::string, std::uint32_t> handleMap; // lazily built
    mutable bool handleMapValid = false;

    // ---- reading
    // `progress` hears the share of the file parsed, scaled into [from, 1].
    // With `ahead`, the bytes come in while they are parsed.
    void parse(const std::function<bool(double)>* progress = nullptr, double from = 0,
               const ReadAhead* ahead = nullptr);
    // Where a large drawing's later part is handed to a second thread: by
    // default (0) chosen as the reading goes; tests set a byte offset near
    // which to split, whatever the size.
    std::size_t splitNear = 0;
    std::uint32_t tagsReadBySecondThread = 0; // (for tests: that it happened)
    void index(); // tables, blocks, version, handles after parse
    void configureCodec(); // from $DWGCODEPAGE and the version

    // ---- raw access
    const char* base(const Tag& t) const { return (t.off & kArena) ? arena.data() : buf.data(); }
    std::size_t baseSize(const Tag& t) const { return (t.off & kArena) ? arena.size() : buf.size(); }
    // Start of the value line: after the code line, which always ends in '\n'.
    std::uint32_t valueStart(const Tag& t) const
    {
        const char* b = base(t);
        std::uint32_t i = t.off & ~kArena;
        while (b[i] != '\n')
            ++i;
        return i + 1;
    }
    // After the value line's '\n', or the end of the text.
    std::uint32_t valueEnd(const Tag& t, std::uint32_t start) const;
    std::string_view value(const Tag& t) const
    {
        const char* b = base(t);
        std::uint32_t v = valueStart(t);
        std::uint32_t e = valueEnd(t, v);
        while (e > v && (b[e - 1] == '\n' || b[e - 1] == '\r'))
            --e;
        return {b + v, e - v};
    }
    // The value of the tag at index t; one read from the file ends where
    // the file's next group begins, without a search for its line end.
    std::string_view valueAt(std::uint32_t t) const
    {
        if (t + 1 >= fileTags)
            return value(tags[t]);
        const char* b = buf.data();
        const std::uint32_t v = valueStart(tags[t]);
        std::uint32_t e = tags.off(t + 1);
        while (e > v && (b[e - 1] == '\n' || b[e - 1] == '\r'))
            --e;
        return {b + v, e - v};
    }
    int code(const Tag& t) const; // the code, wide ones included
    std::uint32_t childCount(std::uint32_t id) const
    {
        std::uint32_t n = 0;
        if (!recs[id].child)
            while (id + n + 1 < recs.size() && recs[id + n + 1].child)
                ++n;
        return n;
    }
    std::string_view codeLine(const Tag& t) const;
    std::string_view type(std::uint32_t id) const;
    // Index of the first tag of this code in the record's own data (skipping
    // 102 groups, stopping at XDATA for codes below 1000), or kNone.
    std::uint32_t find(std::uint32_t id, int code, std::uint32_t from = 0) const;
    std::string_view get(std::uint32_t id, int code, std::string_view fallback = {}) const;
    double num(std::uint32_t id, int code, double fallback) const;
    std::string handleOf(std::uint32_t id) const;
    std::string text(std::uint32_t id, int code) const { return codec.decode(get(id, code)); }

    // ---- editing
    Tag makeTag(int code, std::string_view rawValue);
    Tag makeTagLike(const Tag& like, std::string_view rawValue);
    // Makes the record's tags the last ones of `tags` so they can grow.
    void own(std::uint32_t id);
    void setRaw(std::uint32_t id, int code, std::string_view rawValue);
    void insertTag(std::uint32_t id, std::uint32_t pos, int code, std::string_view rawValue);
    void removeTag(std::uint32_t id, std::uint32_t pos);
    std::uint32_t newRec(Sec sec, const std::vector<std::pair<int, std::string>>& groups);
    std::string allocHandle();
    void syncHandseed();
    void touch()
    {
        modified = true;
        ++edits;
        refIndex.valid = false;
    }
    // The record was changed (or made, or deleted).
    void touch(std::uint32_t id)
    {
        logChange(id);
        touch();
    }

    // ---- what changed, for readers that keep something made of the
    // records (see Document::changesSince): the records changed since the
    // drawing was read, oldest first. A mark is changeLogStart plus the
    // length of the log then; the log is dropped when it grows long, and
    // marks from before say nothing any more.
    std::vector<std::uint32_t> changeLog;
    std::uint64_t changeLogStart = 0;
    void logChange(std::uint32_t id)
    {
        if (changeLog.size() >= kChangeLogLimit)
            forgetChanges();
        changeLog.push_back(id);
    }
    void forgetChanges()
    {
        changeLogStart += changeLog.size() + 1; // no earlier mark is the mark now
        changeLog.clear();
    }
    std::uint64_t changeMark() const { return changeLogStart + changeLog.size(); }
    static constexpr std::size_t kChangeLogLimit = std::size_t(1) << 20;
    // The record's tags may be changed where they are (else own() first).
    bool ownsTags(std::uint32_t id) const { return recs[id].tb >= std::max(fileTags, keptTags); }

    // ---- structure
    // The section's top-level records, listed from its span if not yet.
    std::vector<std::uint32_t>& items(const Section& s) const
    {
        if (s.spanBegin != kNone) {
            for (std::uint32_t id = s.spanBegin; id < s.spanEnd; ++id)
                if (!recs[id].child)
                    s.listed.push_back(id);
            s.spanBegin = s.spanEnd = kNone;
        }
        return s.listed;
    }
    Section* section(Sec kind);
    const Section* section(Sec kind) const;
    Section& ensureSection(Sec kind, std::string_view name);
    Table* table(std::string_view name);
    const Table* table(std::string_view name) const;
    std::uint32_t findEntry(std::string_view table, std::string_view utf8Name) const;
    const BlockDef* blockDef(std::uint32_t blockRec) const;
    std::uint32_t blockRecordOf(std::string_view utf8Name) const; // BLOCK_RECORD id
    std::uint32_t headerVar(std::string_view name) const;
    std::string modelSpaceOwner() const; // handle of *Model_Space record, "" in R12
    void addTableEntry(std::string_view table, std::uint32_t rec);
    void appendToBlock(std::uint32_t blockRec, std::uint32_t rec);
    void setHeaderRaw(std::string_view name, int code, std::string_view raw);

    // Hands the drawing's bytes to put, span by span, in file order.
    void write(const std::function<void(const char*, std::size_t)>& put) const;
    void buildRefIndex() const;
    void buildHandleMap() const;
};

// The drawing as it stood at a checkpoint: what says which records there
// are, in which order, with which tags. The tags and their text are not
// copied: edits add new ones rather than change those a checkpoint may
// hold (keptTags), so the old ones are still there to go back to.
struct DocState {
    const DocData* owner = nullptr;
    std::uint64_t edits = 0;
    RecList::Saved recs;
    std::vector<Section> sections;
    std::vector<Table> tables;
    std::vector<BlockDef> blockDefs;
    std::uint32_t prefixLen = 0, trailerOff = 0;
    std::string eol;
    bool padCodes = true;
    std::string versionText;
    int version = 1009;
    bool handles = true, handseedDirty = false, anyHandle = false;
    std::uint64_t nextHandle = 1, maxHandle = 0;
};

// A folded wildcard pattern taken apart once, for matching many folded
// texts (see ReferenceQuery).
class FoldedPattern {
public:
    explicit FoldedPattern(std::string_view folded);
    bool matches(std::string_view folded) const;

private:
    struct Alternative {
        std::string text; // as given
        std::string core; // without '*' at its ends
        bool lead = false, trail = false;
        bool plain = false; // no wildcard inside the core
    };
    std::vector<Alternative> alternatives_;
    bool full_ = false;
    std::string pattern_;
};

// The engine's access to the private parts of handles.
struct Access {
    static std::uint32_t id(const Record& r) { return r.id_; }
    template <class T> static T make(DocData* d, std::uint32_t id) { return T(d, id); }
    // The bytes read; with `around` (for tests) the later part is handed
    // to the second reader from the first record at or after it, whatever
    // the size.
    static Document fromMemory(std::string bytes, std::size_t around);
    static const DocData& data(const Document& d) { return *d.d_; }
    static DocData& data(Document& d) { return *d.d_; }
    // A save that calls `step` after each of its steps on disk (and each
    // stretch written), so that tests can stop it there.
    static void save(const Document& d, const std::string& path, const std::function<void()>& step);
};

// Formatting of numbers in new groups.
std::string formatNumber(double v);
std::string hexHandle(std::uint64_t h);
bool parseHex(std::string_view s, std::uint64_t& out);
std::string_view trim(std::string_view s);

} // namespace lumo::dxf
